#include "dependencies/include_warnings.h"

#include "dependencies/dependency_output.h"
#include "model/message_texts.h"
#include "model/status_codes.h"
#include "platform/ui_hooks.h"

namespace zelvan {

void IncludeWarnings::BeginRefresh() {
  unresolved_pending_ = true;
  nesting_pending_ = true;
  unresolved_count_ = 0;
}

void IncludeWarnings::Report(std::span<const IncludeNote> notes, const IncludeScanOptions& options,
                             std::string_view source) {
  bool title_written = false;
  for (const IncludeNote& note : notes) {
    if (note.nesting_limit) {
      if (!nesting_pending_) continue;
      nesting_pending_ = false;
      output_.WriteOutputLine("W-007-D003:" + LoadMessage(ui_, kMsgIncludeTooDeep), kOutputWarning);
      if (options.include_chains && !note.text.empty()) {
        output_.WriteOutputLine("  " + std::string(note.text), kOutputWarning);
      }
      continue;
    }
    if (!options.report_unresolved) continue;
    if (unresolved_pending_) {
      unresolved_pending_ = false;
      output_.WriteOutputLine("W-007-D000:" + LoadMessage(ui_, kMsgIncludeNotFound),
                              kOutputWarning);
    }
    if (!options.title.empty() && !title_written) {
      title_written = true;
      output_.WriteOutputLine("I-007-1300:" + options.title + " - (" + std::string(source) + ")",
                              kOutputInformation);
    }
    ++unresolved_count_;
    output_.WriteOutputLineAt("W-007-D001:", note.file, note.line_number, note.text,
                              kOutputWarning);
  }
}

}  // namespace zelvan

#include "model/ide_services.h"

#include "model/message_texts.h"
#include "model/status_codes.h"

namespace zelvan {

void ReportErrorById(IdeServices& ide, UiHooks& ui, uint32_t code, unsigned message_id) {
  ide.ReportError(code, LoadMessage(ui, message_id));
}

void WriteOutputFileLine(IdeServices& ide, std::string_view prefix, std::string_view file, int line,
                         std::string_view text, int kind) {
  std::string formatted = std::string(prefix) + std::string(file) + "(" + std::to_string(line) +
                          "):" + std::string(text);
  ide.WriteOutputLineAt(file, line, formatted, kind);
}

void ProgressWriter::Write(IdeServices& ide, UiHooks& ui, std::string_view name, uint32_t done,
                           uint32_t total) {
  if (total == 0) return;
  int64_t percentage = static_cast<int64_t>(done) * 100 / total;
  if (percentage == last_percentage_) return;
  last_percentage_ = percentage;
  ide.ShowOutputPane();
  ide.WriteOutputLine(LoadMessage(ui, kMsgProgress, {name, std::to_string(percentage)}),
                      kOutputInformation);
}

}  // namespace zelvan

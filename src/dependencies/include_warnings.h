// The status lines of the include scan. A run of the scan notes, in the
// order it meets them, each include line found nowhere (once per including
// file and line) and whether a branch stopped at the nesting limit (once);
// the lines are written from these notes when the run is over:
//
//   W-007-D000:<5073>                   the first unresolved include of the refresh
//   I-007-1300:<title> - (<source>)     the first unresolved include of a run
//   W-007-D001:<file>(<line>):<text>    each unresolved include line
//   W-007-D003:<5093>                   nesting past the limit, once per refresh
//     <source> > <header> > ...           the chain that went too deep, when asked
//
// Unresolved includes are reported and counted only when the caller asks.
// Because a run's lines depend only on its notes, a run scanned on another
// thread is reported by handing its notes to the refresh's warnings.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace zelvan {

class DependencyOutput;
class UiHooks;

// What a caller of the scan asks for besides the records.
struct IncludeScanOptions {
  // Unresolved includes are reported ("W-007-D000:", "I-007-1300:",
  // "W-007-D001:") and counted.
  bool report_unresolved = false;
  // Angle-bracket includes are ignored altogether.
  bool skip_system_includes = false;
  // When not empty, the first unresolved include of a run is preceded by
  // "I-007-1300:" + title + " - (" + source + ")".
  std::string title;
  // The depth warning is followed by the chain of includes that went too
  // deep. The IDE's window never gets it: only a command line asks.
  bool include_chains = false;
};

// One note of a run: the nesting limit was reached (`text`: the chain that
// went too deep, when asked for), or the include line `text` (line
// `line_number` of `file`) named no file that was found.
struct IncludeNote {
  bool nesting_limit = false;
  std::string_view file;
  int line_number = 0;
  std::string_view text;
};

class IncludeWarnings {
 public:
  // `ui` and `output` must outlive the warnings.
  IncludeWarnings(UiHooks& ui, DependencyOutput& output) : ui_(ui), output_(output) {}

  // Both warnings ("W-007-D000:", "W-007-D003:") are due again, and the
  // count of unresolved includes is 0.
  void BeginRefresh();
  // Writes the lines of one run of `source`.
  void Report(std::span<const IncludeNote> notes, const IncludeScanOptions& options,
              std::string_view source);
  // Unresolved includes reported since BeginRefresh.
  int unresolved_count() const { return unresolved_count_; }

 private:
  UiHooks& ui_;
  DependencyOutput& output_;
  bool unresolved_pending_ = true;
  bool nesting_pending_ = true;
  int unresolved_count_ = 0;
};

}  // namespace zelvan

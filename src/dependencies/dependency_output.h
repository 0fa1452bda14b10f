// Where the dependency refresh writes its status lines: the IDE's output
// window, or whatever a host or a test puts in its place.
//
// Lines carry a prefix such as "I-007-1000:" (information) or "W-007-D001:"
// (warning) and a kind (kOutputWarning, kOutputInformation of
// model/ide_services.h) that tells the window how to show them.
#pragma once

#include <string_view>

#include "model/ide_services.h"

namespace zelvan {

class DependencyOutput {
 public:
  virtual ~DependencyOutput() = default;
  // One line, as it stands.
  virtual void WriteOutputLine(std::string_view text, int kind) = 0;
  // The line "<prefix><file>(<line>):<text>"; the window also receives file
  // and line, so the user can open the place.
  virtual void WriteOutputLineAt(std::string_view prefix, std::string_view file, int line,
                                 std::string_view text, int kind) = 0;
};

// The output pane of the IDE.
class IdeDependencyOutput final : public DependencyOutput {
 public:
  explicit IdeDependencyOutput(IdeServices& ide) : ide_(ide) {}
  void WriteOutputLine(std::string_view text, int kind) override {
    ide_.WriteOutputLine(text, kind);
  }
  void WriteOutputLineAt(std::string_view prefix, std::string_view file, int line,
                         std::string_view text, int kind) override {
    WriteOutputFileLine(ide_, prefix, file, line, text, kind);
  }

 private:
  IdeServices& ide_;
};

}  // namespace zelvan

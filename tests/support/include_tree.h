// Helpers for the include-scan tests, the fuzz harness and the comparison
// with the plain recursion: an output that records its lines, string
// resources with fixed texts, and small include trees made from bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "dependencies/dependency_output.h"
#include "platform/ui_hooks.h"

namespace zelvan::testing {

// Keeps every line as "<kind>:<text>", the located ones formatted as the
// output window shows them ("<prefix><file>(<line>):<text>").
class RecordingDependencyOutput : public DependencyOutput {
 public:
  void WriteOutputLine(std::string_view text, int kind) override;
  void WriteOutputLineAt(std::string_view prefix, std::string_view file, int line,
                         std::string_view text, int kind) override;
  std::vector<std::string> lines;
};

// String resources whose text for ID n is "<text n>"; message boxes answer OK.
class FixedTextUi : public UiHooks {
 public:
  int MessageBox(std::string_view, std::string_view, unsigned) override { return kIdOk; }
  std::string LoadString(unsigned id) override;
};

// A small include tree with everything a scan needs.
struct IncludeTreeCase {
  struct File {
    std::string path;
    std::string text;
  };
  std::vector<File> files;
  std::vector<std::string> sources;  // full paths, scanned in this order
  std::vector<int> scan_kinds;       // parallel to sources
  std::vector<std::string> search_list;
  std::string base_directory;
  std::string toolchain_include;
  int style = 0;
  bool update_dependency_file = false;
  bool skip_system_includes = false;

  // The case as text, to print when a comparison fails.
  std::string Describe() const;
};

// Builds a case from arbitrary bytes; every input gives a valid case. The
// files stand in the project directory C:\p, in its folders src, inc and
// inc\sub, and in C:\sys; the include lines use quoted and angle forms, relative and
// absolute names, letter-case variants, names that exist nowhere, comments
// and assembler syntax.
IncludeTreeCase MakeIncludeTreeCase(std::string_view bytes);

}  // namespace zelvan::testing

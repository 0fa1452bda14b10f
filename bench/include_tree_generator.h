// A generated C tree shaped like a large embedded project, for the
// dependency benchmarks: sources in module directories, module-local
// headers, shared headers found through an include directory, and system
// headers included with angle brackets. Headers include headers of higher
// number, so include paths form many diamonds; a few shared headers include
// a header of lower number back, closing cycles; a few sources include a
// header that exists nowhere. Files carry realistic text around their
// include lines (include guards, comments, declarations, function bodies).
//
// The tree is plain data (Windows paths and texts); the caller writes it
// where it wants it. The same tree serves the scanner benchmark and, turned
// into a workspace, the benchmark of a whole refresh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zelvan::bench {

struct IncludeTreeShape {
  int modules = 50;
  int sources = 5000;         // spread evenly over the modules
  int headers = 1000;         // all headers together
  int system_headers = 60;    // of `headers`, in <root>sys\, included with <...>
  int local_per_module = 16;  // of `headers`, beside the sources of each module
  int cycles = 4;             // back edges among the shared headers
  uint32_t seed = 1;
};

struct GeneratedFile {
  std::string path;  // full Windows path
  std::string text;
};

struct GeneratedTree {
  std::string root;                       // "C:\bench\"
  std::vector<GeneratedFile> files;       // sources first, then headers
  std::vector<std::string> sources;       // full paths, in project order
  std::vector<std::string> include_dirs;  // what the compile options give with "-I"
  size_t header_count = 0;
  size_t total_bytes = 0;
};

GeneratedTree GenerateIncludeTree(const IncludeTreeShape& shape, const std::string& root);

// The folder lines of a project file holding `tree`'s sources, grouped by
// their directory in project order: "Folder=" with the folder sections
// `section(0)`, `section(1)` ..., then each section with SOURCECOUNT and its
// SOURCEn entries (paths relative to the root); lines end in "\r\n".
std::string ProjectFolderLines(const GeneratedTree& tree,
                               const std::function<std::string(size_t)>& section);

}  // namespace zelvan::bench

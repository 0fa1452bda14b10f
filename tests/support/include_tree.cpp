#include "tests/support/include_tree.h"

#include <cstdint>
#include <iterator>

#include "platform/ansi_text.h"

namespace zelvan::testing {

void RecordingDependencyOutput::WriteOutputLine(std::string_view text, int kind) {
  lines.push_back(std::to_string(kind) + ":" + std::string(text));
}

void RecordingDependencyOutput::WriteOutputLineAt(std::string_view prefix, std::string_view file,
                                                  int line, std::string_view text, int kind) {
  lines.push_back(std::to_string(kind) + ":" + std::string(prefix) + std::string(file) + "(" +
                  std::to_string(line) + "):" + std::string(text));
}

std::string FixedTextUi::LoadString(unsigned id) {
  return "<text " + std::to_string(id) + ">";
}

std::string IncludeTreeCase::Describe() const {
  std::string out = "style " + std::to_string(style) + ", UpdateDependencyFile " +
                    std::to_string(update_dependency_file) + ", skip system " +
                    std::to_string(skip_system_includes) + ", base " + base_directory +
                    ", toolchain include " + toolchain_include + "\nsearch:";
  for (const std::string& dir : search_list)
    out += " [" + dir + "]";
  out += "\nsources:";
  for (size_t i = 0; i < sources.size(); ++i) {
    out += " " + sources[i] + " (kind " + std::to_string(scan_kinds[i]) + ")";
  }
  out += "\n";
  for (const File& file : files) {
    out += "--- " + file.path + "\n";
    for (char c : file.text) {
      if (c == '\r') {
        out += "\\r";
      } else {
        out += c;
      }
    }
    out += "\n";
  }
  return out;
}

namespace {

class ByteSource {
 public:
  explicit ByteSource(std::string_view bytes) : bytes_(bytes) {}
  uint8_t Next() { return pos_ < bytes_.size() ? static_cast<uint8_t>(bytes_[pos_++]) : 0; }
  size_t Pick(size_t count) { return count == 0 ? 0 : Next() % count; }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

const char* const kDirectories[] = {"C:\\p\\", "C:\\p\\src\\", "C:\\p\\inc\\", "C:\\p\\inc\\sub\\",
                                    "C:\\sys\\"};
const char* const kHeaderNames[] = {"a.h", "b.h", "c.h", "d.h", "e.inc", "f.h"};
const char* const kSearchEntries[] = {"C:\\p\\inc\\", "inc",       "..\\sys", "C:\\sys", "",
                                      "inc\\sub",     "C:\\p\\src"};
const char* const kLineEnds[] = {"\r\n", "\n", "\r"};

std::string IncludeName(ByteSource& in, const IncludeTreeCase& tree) {
  std::string base = kHeaderNames[in.Pick(std::size(kHeaderNames))];
  switch (in.Pick(9)) {
    case 0:
    case 1:
      return base;
    case 2:
      return "sub\\" + base;
    case 3:
      return "..\\inc\\" + base;
    case 4:
      return ToUpperAscii(base);
    case 5:
      return std::string(kDirectories[in.Pick(std::size(kDirectories))]) + base;
    case 6:
      return "nofile.h";
    case 7:
      return "\\p\\inc\\" + base;
    default: {
      // A source: cycles may lead back to the file a run started from.
      const std::string& source = tree.sources[in.Pick(tree.sources.size())];
      return source.substr(source.rfind('\\') + 1);
    }
  }
}

std::string IncludeLineText(ByteSource& in, const std::string& name, const char* line_end) {
  bool angle = in.Next() % 3 == 0;
  std::string quoted = angle ? "<" + name + ">" : "\"" + name + "\"";
  switch (in.Pick(7)) {
    case 0:
    case 1:
      return "#include " + quoted;
    case 2:
      return "  #  include\t" + quoted + " // trailing";
    case 3:
      return "// #include " + quoted;
    case 4:
      return std::string("/* start") + line_end + "#include " + quoted + line_end + "*/";
    case 5:
      return "x = \"#include \\\"" + name + "\\\"\";";
    default:
      return "  .INCLUDE " + quoted + " ; comment";
  }
}

}  // namespace

IncludeTreeCase MakeIncludeTreeCase(std::string_view bytes) {
  ByteSource in(bytes);
  IncludeTreeCase tree;
  tree.base_directory = "C:\\p\\";
  tree.style = static_cast<int>(in.Pick(4));
  tree.update_dependency_file = in.Pick(4) == 0;
  tree.skip_system_includes = in.Pick(5) == 0;
  if (in.Pick(2) == 0) tree.toolchain_include = "C:\\sys\\";
  size_t entries = in.Pick(4);
  for (size_t i = 0; i < entries; ++i) {
    tree.search_list.emplace_back(kSearchEntries[in.Pick(std::size(kSearchEntries))]);
  }

  size_t sources = 1 + in.Pick(3);
  for (size_t i = 0; i < sources; ++i) {
    static const int kKinds[] = {1, 2, 3, 4};
    static const char* const kExtensions[] = {".c", ".c", ".asm", ".mac"};
    size_t kind = in.Pick(4);
    std::string dir = in.Pick(3) == 0 ? "C:\\p\\" : "C:\\p\\src\\";
    tree.sources.push_back(dir + "s" + std::to_string(i) + kExtensions[kind]);
    tree.scan_kinds.push_back(kKinds[kind]);
  }
  std::vector<std::string> paths = tree.sources;
  size_t headers = 1 + in.Pick(10);
  for (size_t i = 0; i < headers; ++i) {
    std::string path = std::string(kDirectories[in.Pick(std::size(kDirectories))]) +
                       kHeaderNames[in.Pick(std::size(kHeaderNames))];
    bool known = false;
    for (const std::string& p : paths)
      known = known || EqualsNoCase(p, path);
    if (!known) paths.push_back(path);
  }

  for (const std::string& path : paths) {
    const char* line_end = kLineEnds[in.Pick(std::size(kLineEnds))];
    std::string text;
    size_t lines = in.Pick(5);
    for (size_t i = 0; i < lines; ++i) {
      text += IncludeLineText(in, IncludeName(in, tree), line_end);
      text += line_end;
    }
    tree.files.push_back({path, text});
  }
  return tree;
}

}  // namespace zelvan::testing

// Feeds arbitrary bytes through the line-level include scanner pieces: the
// line splitter, the C comment remover, the assembler line cleaner, the
// keyword finder and the include-line parser; and checks that the file
// cache's reading of a whole text, which skips the lines that cannot
// matter, finds the include lines that reading every line finds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dependencies/include_file_cache.h"
#include "dependencies/include_line.h"

namespace {

// The include lines of a text found the slow way, every line cleaned and
// parsed; the file cache's reading skips lines and must find the same.
void CheckAgainstLineByLine(std::string_view text, zelvan::IncludeReading reading) {
  std::vector<zelvan::IncludeLine> fast = zelvan::ParseIncludeLines(text, reading);
  zelvan::TextLineReader reader(text);
  zelvan::CommentRemover remover;
  std::string_view line;
  size_t index = 0;
  while (reader.Next(&line)) {
    std::string cleaned = reading == zelvan::IncludeReading::kC ? remover.RemoveComments(line)
                                                                : zelvan::CleanAsmLine(line);
    std::string name;
    int form = -1;
    if (!zelvan::ParseIncludeLine(cleaned, &name, &form)) continue;
    if (index >= fast.size()) __builtin_trap();
    const zelvan::IncludeLine& found = fast[index++];
    if (found.line_number != reader.line_number() || found.form != form || found.name != name ||
        found.text != line) {
      __builtin_trap();
    }
  }
  if (index != fast.size()) __builtin_trap();
}

void CheckInclude(std::string_view line) {
  int keyword = zelvan::FindIncludeKeyword(line);
  if (keyword < -1) __builtin_trap();
  if (keyword >= 0 && line.substr(static_cast<size_t>(keyword), 7) != "include") __builtin_trap();
  std::string name;
  int form = -1;
  if (zelvan::ParseIncludeLine(line, &name, &form)) {
    if (keyword < 0 || name.empty()) __builtin_trap();
    if (form == zelvan::kIncludeQuoted) {
      if (name.find('"') != std::string::npos) __builtin_trap();
    } else if (form == zelvan::kIncludeAngle) {
      if (name.find('>') != std::string::npos) __builtin_trap();
    } else {
      __builtin_trap();
    }
    if (line.find(name) == std::string_view::npos) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  zelvan::TextLineReader reader(text);
  zelvan::CommentRemover remover;
  std::string_view line;
  int previous = 0;
  while (reader.Next(&line)) {
    if (reader.line_number() != previous + 1) __builtin_trap();
    previous = reader.line_number();
    if (line.find_first_of("\r\n") != std::string_view::npos) __builtin_trap();

    std::string cleaned = remover.RemoveComments(line);
    if (cleaned.size() > line.size()) __builtin_trap();
    CheckInclude(cleaned);

    std::string asm_line = zelvan::CleanAsmLine(line);
    if (asm_line.find(';') != std::string::npos || asm_line.size() > line.size()) __builtin_trap();
    CheckInclude(asm_line);
    CheckInclude(line);
  }
  if (static_cast<size_t>(previous) > size) __builtin_trap();
  CheckAgainstLineByLine(text, zelvan::IncludeReading::kC);
  CheckAgainstLineByLine(text, zelvan::IncludeReading::kAssembler);
  return 0;
}

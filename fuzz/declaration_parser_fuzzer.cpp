// Feeds arbitrary bytes to the declaration parser, from a file and from an
// editor's text: the two must list the same functions for a text without
// carriage returns, every entry must be a function with a name and a line
// inside the text, and its stored form must read back as the same entry
// (so the function database file and the transfer text can carry it).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/declaration_parser.h"

namespace {

void Check(const std::vector<zelvan::FunctionDatabaseEntry>& functions, size_t lines) {
  for (const zelvan::FunctionDatabaseEntry& entry : functions) {
    if (entry.kind != zelvan::FunctionDatabaseEntry::kFunction) __builtin_trap();
    if (entry.name.empty()) __builtin_trap();
    if (entry.line < 1 || static_cast<size_t>(entry.line) > lines) __builtin_trap();
    zelvan::FunctionDatabaseEntry read;
    if (!read.ReadStoredForm(entry.StoredForm()) || !(read == entry)) __builtin_trap();
    for (const std::string* field : {&entry.type, &entry.name}) {
      if (field->find_first_of(std::string_view("\r\n;\0", 4)) != std::string::npos) {
        __builtin_trap();
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // Lines as the file source counts them at most: every CR and LF one, plus one.
  size_t lines = 1 + static_cast<size_t>(std::count_if(
                         text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }));

  std::vector<zelvan::FunctionDatabaseEntry> from_text;
  bool text_ok = zelvan::ParseFunctionsInText(text, &from_text);
  Check(from_text, lines);
  if (!text_ok && !from_text.empty()) __builtin_trap();

  std::vector<zelvan::FunctionDatabaseEntry> from_file;
  uint32_t last = 0;
  bool file_ok = zelvan::ParseFunctionsInBytes(
      std::string(text), "C:\\fuzz\\input.c",
      [&last, size](const std::string&, uint32_t position, uint32_t length) {
        if (position > length || length != size || position < last) __builtin_trap();
        last = position;
      },
      &from_file);
  Check(from_file, lines);
  if (text.find('\r') == std::string_view::npos && (text_ok != file_ok || from_text != from_file)) {
    __builtin_trap();
  }
  return 0;
}

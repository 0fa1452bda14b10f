#include "linkmap/memory_map_reader.h"

#include <algorithm>
#include <initializer_list>

#include "linkmap/memory_block_text.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"

namespace zelvan {

namespace {

bool IsControlOrBlank(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte <= 0x20 || byte == 0x7F;
}

std::string_view TrimControl(std::string_view text) {
  while (!text.empty() && IsControlOrBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsControlOrBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

bool IsHexText(std::string_view text) {
  return text.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
}

std::string NormalName(std::string_view name) {
  if (name.starts_with("IO") && IsHexText(name.substr(2))) return "IO";
  if (name.starts_with("Reserved") && IsHexText(name.substr(8))) return "Reserved";
  for (std::string_view data : {"data.s", "data.m", "data.l"}) {
    if (EqualsNoCase(name, data)) return "RAM";
  }
  for (std::string_view code : {"code.s", "code.m", "code.l"}) {
    if (EqualsNoCase(name, code)) return "ROM";
  }
  return std::string(name);
}

// The value after the "=" that follows the first of `keywords`, searched
// from `*cursor` up to `end`; the cursor moves past the value. The value
// ends at a blank, a line end or ",": at a line feed too, or the name on an
// unindented next line would be read as part of the number.
bool ReadKeywordValue(std::string_view lower, std::string_view text,
                      std::initializer_list<std::string_view> keywords, size_t end, size_t* cursor,
                      std::string_view* value) {
  size_t at = std::string_view::npos;
  size_t keyword_size = 0;
  for (std::string_view keyword : keywords) {
    size_t found = lower.substr(0, end).find(keyword, *cursor);
    if (found < at) {
      at = found;
      keyword_size = keyword.size();
    }
  }
  if (at == std::string_view::npos) return false;
  size_t equals = text.substr(0, end).find('=', at + keyword_size);
  if (equals == std::string_view::npos) return false;
  size_t begin = equals + 1;
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t' || text[begin] == '\r' ||
                         text[begin] == '\n')) {
    ++begin;
  }
  size_t stop = begin;
  while (stop < end && text[stop] != ' ' && text[stop] != '\t' && text[stop] != '\r' &&
         text[stop] != '\n' && text[stop] != ',') {
    ++stop;
  }
  *value = text.substr(begin, stop - begin);
  *cursor = stop;
  return true;
}

// An entry that starts inside an area of the same name widens that area to
// cover both, whatever their starts.
void AddArea(std::string name, uint32_t start, uint32_t size, MemoryAreaList* areas) {
  uint64_t end = uint64_t{start} + size;
  for (size_t i = 0; i < areas->size(); ++i) {
    uint64_t held_start = areas->starts[i];
    uint64_t held_end = held_start + areas->sizes[i];
    if (areas->names[i] == name && held_start <= start && start < held_end) {
      areas->sizes[i] = static_cast<uint32_t>(std::max(held_end, end) - held_start);
      return;
    }
  }
  areas->Append(std::move(name), start, size);
}

}  // namespace

bool ParseHexValue(std::string_view text, uint32_t* value) {
  std::string digits = ToLowerAscii(text);
  std::erase(digits, '\n');
  for (size_t at = digits.find("0x"); at != std::string::npos; at = digits.find("0x", at))
    digits.erase(at, 2);
  return ParseHexDigits(digits, value);
}

bool ReadMemoryMapText(std::string_view text, MemoryAreaList* areas) {
  std::string blanked = BlankBlockComments(text);
  MemoryBlockSpan span;
  if (!FindMemoryBlock(blanked, &span)) return false;
  std::string lower = ToLowerAscii(blanked);
  size_t end = span.close;
  size_t cursor = span.open + 1;
  for (;;) {
    while (cursor < end && IsControlOrBlank(blanked[cursor]))
      ++cursor;
    size_t colon = blanked.find(':', cursor);
    if (colon == std::string::npos || colon >= end) break;
    std::string_view name = TrimControl(std::string_view(blanked).substr(cursor, colon - cursor));
    name = TrimControl(name.substr(0, name.find('(')));
    cursor = colon + 1;
    std::string_view origin;
    std::string_view length;
    if (!ReadKeywordValue(lower, blanked, {"origin", "org"}, end, &cursor, &origin) ||
        !ReadKeywordValue(lower, blanked, {"len"}, end, &cursor, &length)) {
      break;
    }
    uint32_t start = 0;
    uint32_t size = 0;
    if (!ParseHexValue(origin, &start) || !ParseHexValue(length, &size)) continue;
    AddArea(NormalName(name), start, size, areas);
  }
  return true;
}

bool ReadMemoryMap(FileSystem& fs, std::string_view path, MemoryAreaList* areas,
                   std::string* error) {
  std::string text;
  if (!fs.ReadFile(path, &text)) {
    if (error) *error = "cannot read " + std::string(path);
    return false;
  }
  if (!ReadMemoryMapText(text, areas)) {
    if (error) *error = std::string(path) + " has no memory block";
    return false;
  }
  return true;
}

}  // namespace zelvan

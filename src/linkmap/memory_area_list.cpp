#include "linkmap/memory_area_list.h"

#include <utility>

#include "platform/ansi_text.h"

namespace zelvan {

void MemoryAreaList::Append(std::string name, uint32_t start, uint32_t size) {
  names.push_back(std::move(name));
  starts.push_back(start);
  sizes.push_back(size);
}

bool MemoryAreaList::HoldsName(std::string_view name) const {
  for (const std::string& held : names) {
    if (EqualsNoCase(held, name)) return true;
  }
  return false;
}

std::string FormatAreaListText(const MemoryAreaList& areas) {
  std::string text;
  for (size_t i = 0; i < areas.size(); ++i) {
    text += StringPrintf("0x%X;0x%X;", areas.starts[i], areas.sizes[i]);
    text += areas.names[i];
    text += '\n';
  }
  return text;
}

bool ParseHexDigits(std::string_view digits, uint32_t* value) {
  uint64_t result = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    result = result * 16 + digit;
    if (result > 0xFFFFFFFFu) return false;
  }
  *value = static_cast<uint32_t>(result);
  return true;
}

namespace {

bool ParseListNumber(std::string_view text, uint32_t* value) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    text.remove_prefix(2);
  return !text.empty() && ParseHexDigits(text, value);
}

}  // namespace

bool ParseAreaListText(std::string_view text, MemoryAreaList* areas, std::string* error) {
  for (std::string_view line : SplitAll(text, '\n')) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    size_t first = line.find(';');
    size_t second = first == std::string_view::npos ? first : line.find(';', first + 1);
    uint32_t start = 0;
    uint32_t size = 0;
    if (second == std::string_view::npos || !ParseListNumber(line.substr(0, first), &start) ||
        !ParseListNumber(line.substr(first + 1, second - first - 1), &size)) {
      if (error) *error = "not an area (start;size;name): " + std::string(line);
      return false;
    }
    areas->Append(std::string(line.substr(second + 1)), start, size);
  }
  return true;
}

bool CheckMemoryArea(std::string_view name, uint32_t start, uint32_t size, std::string* error) {
  std::string why;
  if (name.empty()) {
    why = "the area has no name";
  } else if (name.find("/*") != std::string_view::npos ||
             name.find("*/") != std::string_view::npos) {
    why = "a name cannot hold a comment mark";
  } else if (uint64_t{start} + size > uint64_t{1} << 32) {
    why = "the area reaches beyond 0xFFFFFFFF";
  } else {
    for (char c : name) {
      auto byte = static_cast<unsigned char>(c);
      if (byte <= 0x20 || byte == 0x7F ||
          std::string_view(":,;=(){}").find(c) != std::string_view::npos) {
        why = StringPrintf("a name cannot hold the character 0x%02X", byte);
        break;
      }
    }
  }
  if (why.empty()) return true;
  if (error) *error = std::string(name) + ": " + why;
  return false;
}

}  // namespace zelvan

#include "linkmap/memory_map_generator.h"

#include <algorithm>

#include "linkmap/memory_block_text.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"

namespace zelvan {

namespace {

// At most two digits of width or precision: the number stays short.
bool SkipDigits(std::string_view format, size_t* i) {
  size_t begin = *i;
  while (*i < format.size() && format[*i] >= '0' && format[*i] <= '9')
    ++*i;
  return *i - begin <= 2;
}

void AppendLine(std::string_view name, uint32_t origin, uint32_t length,
                const MemoryMapSettings& settings, std::string* lines) {
  *lines += "    ";
  *lines += name;
  *lines += " : origin=" + settings.FormatHex(origin) + " length=" + settings.FormatHex(length);
  *lines += "\r\n";
}

// The first of name1 ... name999 that the list does not hold yet.
void NumberArea(MemoryAreaList& areas, size_t index) {
  for (int n = 1; n <= 999; ++n) {
    std::string numbered = StringPrintf("%s%d", areas.names[index].c_str(), n);
    if (!areas.HoldsName(numbered)) {
      areas.names[index] = numbered;
      return;
    }
  }
}

}  // namespace

bool MemoryMapSettings::SetHexFormat(std::string_view format) {
  int conversions = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (static_cast<unsigned char>(format[i]) < 0x20) return false;
    if (format[i] != '%') continue;
    if (++i < format.size() && format[i] == '%') continue;
    while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string::npos)
      ++i;
    bool short_numbers = SkipDigits(format, &i);
    if (i < format.size() && format[i] == '.') {
      ++i;
      short_numbers = short_numbers && SkipDigits(format, &i);
    }
    if (!short_numbers || i >= format.size() ||
        std::string_view("xXuo").find(format[i]) == std::string::npos) {
      return false;
    }
    ++conversions;
  }
  if (conversions != 1) return false;
  hex_format_ = std::string(format);
  return true;
}

std::string MemoryMapSettings::FormatHex(uint32_t value) const {
  // The format holds one unsigned conversion (SetHexFormat sees to it).
  return StringPrintf(hex_format_.c_str(), static_cast<unsigned>(value));
}

uint32_t AreaSizeBelow(uint32_t limit, uint32_t first, uint32_t last) {
  if (first >= limit) return 0;
  if (last < limit) return last - first + 1;
  return limit - first;
}

bool GenerateMemoryBlock(MemoryAreaList& areas, MemoryMapSettings& settings, std::string* lines,
                         std::string* error) {
  lines->clear();
  settings.SetHeapFlag(false);
  int io_count = 0;
  int reserved_count = 0;
  for (size_t i = 0; i < areas.size(); ++i) {
    if (!CheckMemoryArea(areas.names[i], areas.starts[i], areas.sizes[i], error)) return false;
    if (EqualsNoCase(areas.names[i], "IO")) ++io_count;
    if (EqualsNoCase(areas.names[i], "RESERVED")) ++reserved_count;
    if (EqualsNoCase(areas.names[i], "HEAP")) settings.SetHeapFlag(true);
  }
  for (size_t i = 0; i < areas.size(); ++i) {
    uint32_t start = areas.starts[i];
    uint32_t size = areas.sizes[i];
    bool ram = EqualsNoCase(areas.names[i], "RAM");
    if (ram || EqualsNoCase(areas.names[i], "ROM")) {
      std::string prefix = ram ? "data" : "code";
      // An empty area has no part below either limit.
      uint32_t last = size == 0 ? start : start + (size - 1);
      uint32_t small = size == 0 ? 0 : AreaSizeBelow(0x100, start, last);
      uint32_t medium = size == 0 ? 0 : AreaSizeBelow(0x10000, start, last);
      if (small != 0) AppendLine(prefix + ".s", start, small, settings, lines);
      if (medium != 0) AppendLine(prefix + ".m", start, medium, settings, lines);
      AppendLine(prefix + ".l", start, size, settings, lines);
      continue;
    }
    if ((io_count > 1 && EqualsNoCase(areas.names[i], "IO")) ||
        (reserved_count > 1 && EqualsNoCase(areas.names[i], "RESERVED"))) {
      NumberArea(areas, i);
    }
    AppendLine(StringPrintf("%-6s", areas.names[i].c_str()), start, size, settings, lines);
  }
  return true;
}

bool GenerateMemoryBlock(std::string_view area_list_text, MemoryMapSettings& settings,
                         std::string* lines, std::string* error) {
  MemoryAreaList areas;
  if (!ParseAreaListText(area_list_text, &areas, error)) return false;
  return GenerateMemoryBlock(areas, settings, lines, error);
}

bool ReplaceMemoryBlock(std::string_view lcf_text, const MemoryAreaList& areas,
                        MemoryMapSettings& settings, std::string* new_text, std::string* error) {
  MemoryBlockSpan span;
  if (!FindMemoryBlock(BlankBlockComments(lcf_text), &span)) {
    if (error) *error = "the file has no memory block (memory { ... })";
    return false;
  }
  MemoryAreaList numbered = areas;
  std::string lines;
  if (!GenerateMemoryBlock(numbered, settings, &lines, error)) return false;
  size_t first_line_end = lcf_text.find('\n');
  bool crlf = first_line_end != std::string_view::npos && first_line_end > 0 &&
              lcf_text[first_line_end - 1] == '\r';
  if (!crlf) std::erase(lines, '\r');
  std::string text(lcf_text.substr(0, span.open));
  text += crlf ? "{\r\n" : "{\n";
  text += lines;
  text += lcf_text.substr(span.close);
  *new_text = std::move(text);
  return true;
}

bool WriteMemoryMapToLcf(FileSystem& fs, std::string_view path, const MemoryAreaList& areas,
                         MemoryMapSettings& settings, std::string* error) {
  std::string old_text;
  if (!fs.ReadFile(path, &old_text)) {
    if (error) *error = "cannot read " + std::string(path);
    return false;
  }
  std::string new_text;
  std::string why;
  if (!ReplaceMemoryBlock(old_text, areas, settings, &new_text, &why)) {
    if (error) *error = std::string(path) + ": " + why;
    return false;
  }
  if (new_text == old_text) return true;
  Status written = WriteFileAtomic(
      fs, path, new_text, WriteOptions{Durability::kDurable, /*replace_read_only=*/true, {}});
  if (!written && error) *error = std::string(path) + ": " + written.ToString();
  return written.ok();
}

}  // namespace zelvan

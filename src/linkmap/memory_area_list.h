// A memory map: the memory areas of a target (name, start address, size),
// as read from a link command file or taken from a CPU's memory model.
//
// Names with a meaning of their own, compared without regard to case:
// "ROM" (code), "RAM" (data), "IO", "RESERVED" and "HEAP".
//
// The area list text is the form in which a list is handed between parts of
// the system, one area a line as start, size and name:
//
//   0x0;0x40000;ROM
//   0x80000;0x4000;RAM
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

// Three parallel lists, one entry per area, in map order.
struct MemoryAreaList {
  std::vector<std::string> names;
  std::vector<uint32_t> starts;
  std::vector<uint32_t> sizes;

  size_t size() const { return names.size(); }
  bool empty() const { return names.empty(); }
  void Append(std::string name, uint32_t start, uint32_t size);
  // Whether an area of that name exists, letter case ignored.
  bool HoldsName(std::string_view name) const;

  bool operator==(const MemoryAreaList&) const = default;
};

// "0x%X;0x%X;%s\n" for each area, with start, size and name.
std::string FormatAreaListText(const MemoryAreaList& areas);
// Reads an area list text (hexadecimal numbers with or without "0x"; a
// missing final line end and CR LF line ends are accepted). False, with
// the line in `error`, for a line that is not start;size;name.
bool ParseAreaListText(std::string_view text, MemoryAreaList* areas, std::string* error);

// Reads hexadecimal digits (either case, no prefix) as an unsigned 32-bit
// value; an empty text is 0. False for any other character and for a value
// above 0xFFFFFFFF (leading zeros do not count).
bool ParseHexDigits(std::string_view digits, uint32_t* value);

// Whether an area can be written into a link command file so that it reads
// back as written: a name without blanks, control characters, ":", ",",
// ";", "=", "(", ")", "{", "}", "/*" or "*/", and a range that ends at or
// below 0xFFFFFFFF. False with the reason in `error`.
bool CheckMemoryArea(std::string_view name, uint32_t start, uint32_t size, std::string* error);

}  // namespace zelvan

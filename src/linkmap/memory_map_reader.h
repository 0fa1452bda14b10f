// Reads the memory areas back out of the memory block of a link command
// file. Entries look like either of
//
//   memory                                  MEMORY
//   {                                       {
//       code.l : origin=0x0 length=0x40000    rom (rx) : ORIGIN = 0x0, LENGTH = 0x40000
//       IO     : org=FF000,len=1000           ram (rwx) : org = 0x80000, len = 0x4000
//   }                                       }
//
// An entry is a name up to ":" (an attribute list in parentheses is cut
// off), then the value after the "=" that follows "org" (or "origin"), then
// the value after the "=" that follows "len" (or "length"). Values are read
// as hexadecimal, with or without "0x"; a value with any other character
// (a "K" suffix, an expression) makes the entry be skipped, and an entry
// without ":", "org" or "len" ends the list. Names are normalised:
// "IO<hex digits>" reads as "IO", "Reserved<hex digits>" as "Reserved",
// "data.s"/"data.m"/"data.l" as "RAM" and "code.s"/"code.m"/"code.l" as
// "ROM" (these six without regard to case). An entry whose start lies within
// an area of the same name read before widens that area instead of adding one,
// so the three nested lines of a RAM or ROM area read back as one area.
#pragma once

#include <string>
#include <string_view>

#include "linkmap/memory_area_list.h"

namespace zelvan {

class FileSystem;

// Appends the areas of the memory block of `text` to `areas`. False when the
// text has no memory block.
bool ReadMemoryMapText(std::string_view text, MemoryAreaList* areas);

// The same for the file at `path`. False, with the reason in `error`, when
// the file cannot be read or has no memory block.
bool ReadMemoryMap(FileSystem& fs, std::string_view path, MemoryAreaList* areas,
                   std::string* error = nullptr);

// A value of an entry: line feeds and every "0x" removed, then hexadecimal
// digits only (an empty text is 0), at most 0xFFFFFFFF.
bool ParseHexValue(std::string_view text, uint32_t* value);

}  // namespace zelvan

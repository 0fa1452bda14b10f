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
// off), then "keyword = value" clauses: "origin", "org" or "o" for the
// start, "length", "len" or "l" for the size, with or without "," between.
// Several entries may stand on one line. Values are read as hexadecimal,
// with or without "0x" (a decimal "1024" too reads as 0x1024, as the
// generator's own files are written). A value that goes on with an operator,
// a suffix or a parenthesis before the next "," or the end of its line
// ("0x0 + 8K", "256K", "(8*1024)") is no plain value, and its entry is
// skipped, as is an entry without start or size; the next entry begins after
// it, so a name never holds another entry's text or a line break. Names are
// normalised: "IO<hex digits>" reads as "IO", "Reserved<hex digits>" as
// "Reserved", "data.s"/"data.m"/"data.l" as "RAM" and "code.s"/"code.m"/
// "code.l" as "ROM" (these six without regard to case). An entry whose start
// lies within the area of the same name that starts nearest below it widens
// that area instead of adding one, so the three nested lines of a RAM or ROM
// area read back as one area.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "linkmap/memory_area_list.h"

namespace zelvan {

class FileReader;

// Appends the areas of the memory block of `text` to `areas`. False when the
// text has no memory block. The reading is linear: `steps`, when given,
// receives the number of characters looked at and areas compared.
bool ReadMemoryMapText(std::string_view text, MemoryAreaList* areas, size_t* steps = nullptr);

// The same for the file at `path`. False, with the reason in `error`, when
// the file cannot be read or has no memory block.
bool ReadMemoryMap(FileReader& fs, std::string_view path, MemoryAreaList* areas,
                   std::string* error = nullptr);

// A value of an entry: line feeds and every "0x" removed, then hexadecimal
// digits only (an empty text is 0), at most 0xFFFFFFFF.
bool ParseHexValue(std::string_view text, uint32_t* value);

}  // namespace zelvan

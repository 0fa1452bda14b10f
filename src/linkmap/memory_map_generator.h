// Turns a memory map into the memory block of a link command file, and
// writes that block into an existing link command file in place of the old
// one. A RAM area from 0x80 to 0x1FFFF and an IO area give:
//
//   memory
//   {
//       data.s : origin=0x00000080 length=0x00000080
//       data.m : origin=0x00000080 length=0x0000FF80
//       data.l : origin=0x00000080 length=0x0001FF80
//       IO     : origin=0x000FF000 length=0x00001000
//   }
//
// A RAM area gives three nested lines "data.s", "data.m" and "data.l" with
// the same origin, each as long as its addressing range allows (below
// 0x100, below 0x10000, all of it); "data.s" and "data.m" are left out
// when they would be empty. A ROM area gives "code.s", "code.m" and
// "code.l" the same way. Every other area gives one line under its own
// name; several IO areas are numbered IO1, IO2 ..., several RESERVED areas
// likewise.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "linkmap/memory_area_list.h"

namespace zelvan {

class FileSystem;

// What memory-map generation and template filling share within one run of
// the new-project code (which owns the object): the number format of the
// memory block, read from the CPU template, and whether the map generated
// last holds a heap.
class MemoryMapSettings {
 public:
  static constexpr const char* kDefaultHexFormat = "0x%08X";

  // The printf format of one number of the memory block. False, keeping the
  // format, for a text that is not exactly one conversion of an unsigned
  // number (%x, %X, %u or %o, with flags, width and precision) among
  // literal text and "%%": the format comes from a template file.
  bool SetHexFormat(std::string_view format);
  const std::string& HexFormat() const { return hex_format_; }
  std::string FormatHex(uint32_t value) const;

  // Set by GenerateMemoryBlock when the map holds a "HEAP" area, cleared by
  // it when not; InstantiateTemplateText then switches the heap on.
  bool HeapFlag() const { return heap_flag_; }
  void SetHeapFlag(bool heap) { heap_flag_ = heap; }

 private:
  std::string hex_format_ = kDefaultHexFormat;
  bool heap_flag_ = false;
};

// The part of the area from `first` to `last` (inclusive, first <= last)
// that lies below `limit`: 0 when `first` is at or above it, the whole size
// when `last` is below it, else limit - first.
uint32_t AreaSizeBelow(uint32_t limit, uint32_t first, uint32_t last);

// The lines of the memory block, each "    %s : origin=%s length=%s\r\n"
// with the numbers in the settings' format; the names of numbered IO and
// RESERVED areas are stored back into `areas`. Sets the settings' heap
// flag. False, with the reason in `error`, for an area that CheckMemoryArea
// refuses (nothing is generated then).
bool GenerateMemoryBlock(MemoryAreaList& areas, MemoryMapSettings& settings, std::string* lines,
                         std::string* error);
// The same from an area list text.
bool GenerateMemoryBlock(std::string_view area_list_text, MemoryMapSettings& settings,
                         std::string* lines, std::string* error);

// `lcf_text` with the contents of its memory block, from "{" to "}", replaced
// by the block generated from `areas`; everything else stays byte for byte.
// The block's lines end as the file's first line does (CR LF or LF). False,
// with the reason in `error`, when the text has no memory block or an area
// is refused.
bool ReplaceMemoryBlock(std::string_view lcf_text, const MemoryAreaList& areas,
                        MemoryMapSettings& settings, std::string* new_text, std::string* error);

// ReplaceMemoryBlock on the file at `path`, written atomically (a read-only
// file too, as every file the system writes): on any failure (unreadable, no
// memory block, a failed write) the file stays as it was. An unchanged text
// is not written again.
bool WriteMemoryMapToLcf(FileSystem& fs, std::string_view path, const MemoryAreaList& areas,
                         MemoryMapSettings& settings, std::string* error);

}  // namespace zelvan

// Link command files from arbitrary bytes: the symbol reader and the memory
// block reader must not fail on anything, every area name read is one word,
// and a map written into a file with a memory block must read back as
// written, with everything outside the block kept byte for byte.
//
// Input: one byte with the number of areas (low three bits), nine bytes per
// area (name, start, size), then the file's text. Inputs up to 64 MB are
// taken, so a memory block may hold a great many areas (the corpus seeds
// one with thousands; run with -max_len to go further): every reader here
// is linear.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "linkmap/link_command_file.h"
#include "linkmap/memory_block_text.h"
#include "linkmap/memory_map_generator.h"
#include "linkmap/memory_map_reader.h"
#include "platform/ansi_text.h"

namespace {

// Names that read back as they are written, each used once.
constexpr const char* kNames[] = {"ROM",      "RAM",   "IO",      "HEAP",
                                  "RESERVED", "stack", "vectors", "user_1"};

uint32_t Word(const uint8_t* p) {
  uint32_t value;
  std::memcpy(&value, p, 4);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > (size_t{1} << 26)) return 0;
  size_t count = data[0] & 7;
  if (size < 1 + count * 9) return 0;
  zelvan::MemoryAreaList areas;
  bool used[8] = {};
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = data + 1 + i * 9;
    size_t name = p[0] & 7;
    if (used[name]) continue;
    used[name] = true;
    uint32_t start = Word(p + 1);
    uint64_t room = (uint64_t{1} << 32) - start;
    areas.Append(kNames[name], start, static_cast<uint32_t>(Word(p + 5) % (room + 1)));
  }
  std::string text(reinterpret_cast<const char*>(data) + 1 + count * 9, size - 1 - count * 9);

  zelvan::LinkCommandFileParser lcf("C:\\fuzz\\input.lcf");
  lcf.AnalyzeText(text);
  uint32_t number = 0;
  for (const auto& [name, value] : lcf.outer_values()) {
    if (zelvan::ToLowerAscii(name) != name) __builtin_trap();
    if (lcf.GetOuterValue(name, &number) != zelvan::ParseLinkerNumber(value, &number)) {
      __builtin_trap();
    }
  }
  for (const auto& [name, value] : lcf.sections_values()) {
    if (lcf.GetSectionsValue(name, &number) != zelvan::ParseLinkerNumber(value, &number)) {
      __builtin_trap();
    }
  }

  zelvan::MemoryAreaList read;
  zelvan::MemoryBlockSpan span;
  bool has_block = zelvan::FindMemoryBlock(zelvan::BlankBlockComments(text), &span);
  if (zelvan::ReadMemoryMapText(text, &read) != has_block) __builtin_trap();
  // A name is one word: never a line break, a blank or another entry's text.
  for (const std::string& name : read.names) {
    if (name.empty()) __builtin_trap();
    for (char c : name) {
      auto byte = static_cast<unsigned char>(c);
      if (byte <= 0x20 || byte == 0x7F ||
          std::string_view(":,;=()").find(c) != std::string_view::npos) {
        __builtin_trap();
      }
    }
  }

  zelvan::MemoryMapSettings settings;
  std::string written;
  std::string error;
  if (!zelvan::ReplaceMemoryBlock(text, areas, settings, &written, &error)) {
    if (has_block) __builtin_trap();
    return 0;
  }
  if (!has_block) __builtin_trap();
  std::string_view out(written);
  if (out.substr(0, span.open) != std::string_view(text).substr(0, span.open)) __builtin_trap();
  if (!out.ends_with(std::string_view(text).substr(span.close))) __builtin_trap();
  zelvan::MemoryAreaList read_back;
  if (!zelvan::ReadMemoryMapText(written, &read_back) || !(read_back == areas)) __builtin_trap();
  std::string again;
  if (!zelvan::ReplaceMemoryBlock(written, areas, settings, &again, &error) || again != written) {
    __builtin_trap();
  }
  return 0;
}

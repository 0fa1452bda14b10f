#include "com/com_types.h"

#include <cstdio>

namespace zelvan {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads `digits` hex digits at `pos`; false when one is not a hex digit.
bool ReadHex(std::string_view text, size_t pos, int digits, uint64_t* out) {
  uint64_t value = 0;
  for (int i = 0; i < digits; ++i) {
    int v = HexValue(text[pos + i]);
    if (v < 0) return false;
    value = (value << 4) | static_cast<uint64_t>(v);
  }
  *out = value;
  return true;
}

}  // namespace

bool ParseGuid(std::string_view text, GUID* out) {
  if (text.size() == 38) {
    if (text.front() != '{' || text.back() != '}') return false;
    text = text.substr(1, 36);
  }
  if (text.size() != 36) return false;
  if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') return false;

  uint64_t d1, d2, d3, d4a, d4b;
  if (!ReadHex(text, 0, 8, &d1) || !ReadHex(text, 9, 4, &d2) || !ReadHex(text, 14, 4, &d3) ||
      !ReadHex(text, 19, 4, &d4a) || !ReadHex(text, 24, 12, &d4b)) {
    return false;
  }
  GUID guid;
  guid.Data1 = static_cast<uint32_t>(d1);
  guid.Data2 = static_cast<uint16_t>(d2);
  guid.Data3 = static_cast<uint16_t>(d3);
  guid.Data4[0] = static_cast<uint8_t>(d4a >> 8);
  guid.Data4[1] = static_cast<uint8_t>(d4a);
  for (int i = 0; i < 6; ++i) {
    guid.Data4[2 + i] = static_cast<uint8_t>(d4b >> (8 * (5 - i)));
  }
  *out = guid;
  return true;
}

std::string FormatGuid(REFGUID guid) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), static_cast<unsigned>(guid.Data2),
                static_cast<unsigned>(guid.Data3), guid.Data4[0], guid.Data4[1], guid.Data4[2],
                guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return buffer;
}

}  // namespace zelvan

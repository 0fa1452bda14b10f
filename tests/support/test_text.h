// Small helpers for tests that compare texts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvan::testing {

// A string from a literal that may hold NUL bytes: Bytes("a\0b") has three.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

// The text with CR and LF shown as \r and \n, so a failing comparison shows
// which line end differs.
inline std::string Visible(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n\n";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace zelvan::testing

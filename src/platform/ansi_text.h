// Single-byte (ANSI) text helpers shared by every layer.
//
// Text inside the system is single-byte. Names of sections, keys, files and
// CPUs are compared without regard to ASCII case, the way the Windows
// functions the system was designed around compare them. Double-byte lead
// bytes follow the ANSI code page of the process: single-byte (no lead bytes)
// unless a code page such as 932 is chosen with SetAnsiCodePage.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

inline char ToLowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
inline char ToUpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

std::string ToLowerAscii(std::string_view text);
std::string ToUpperAscii(std::string_view text);

bool EqualsNoCase(std::string_view a, std::string_view b);
// <0, 0, >0 like _stricmp.
int CompareNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);
// Index of the first occurrence of `needle` ignoring case, or npos.
size_t FindNoCase(std::string_view text, std::string_view needle, size_t from = 0);

// Blanks are space and tab.
inline bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
// Whether `text` holds a CR or LF: such a text cannot stand on one line of
// a profile or list file. A plain loop, since the lists of a large workspace
// hold millions of short texts and find_first_of costs more per character.
inline bool HasLineBreak(std::string_view text) {
  for (char c : text) {
    if (c == '\r' || c == '\n') return true;
  }
  return false;
}
// The end of the line that starts at `pos` in `text`, and in `*next` where
// the following line starts. Every reader of the system's files ends lines
// by this one rule: CR LF, LF and a lone CR alike.
inline size_t FindLineEnd(std::string_view text, size_t pos, size_t* next) {
  size_t end = pos;
  while (end < text.size() && text[end] != '\n' && text[end] != '\r')
    ++end;
  *next = end;
  if (end < text.size()) {
    *next = end + 1;
    if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') *next = end + 2;
  }
  return end;
}
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimLeftBlanks(std::string_view text);
std::string_view TrimRightBlanks(std::string_view text);

// Splits at every occurrence of `separator`, keeping empty pieces.
std::vector<std::string> SplitAll(std::string_view text, char separator);

// printf-style formatting into a std::string.
std::string StringPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Function objects for containers keyed without regard to case.
struct NoCaseLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return CompareNoCase(a, b) < 0; }
};
struct NoCaseHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const;
};
struct NoCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
};

// The ANSI code page decides which bytes lead a double-byte character.
// 0 (the default) and every single-byte code page have none; 932, 936, 949
// and 950 have their usual lead-byte ranges.
void SetAnsiCodePage(unsigned code_page);
unsigned GetAnsiCodePage();
bool IsLeadByteOfCodePage(unsigned char byte);
// In line: path loops ask it of every byte, and no code page has a lead
// byte below 0x81.
inline bool IsLeadByte(unsigned char byte) {
  return byte >= 0x81 && IsLeadByteOfCodePage(byte);
}

}  // namespace zelvan

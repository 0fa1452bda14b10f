// Line-level pieces of the include scanner: it reads a source line by line
// (no C scanner, no preprocessor) and looks for one include per line.
//
//   C sources:         comments removed (block comments carried across
//                      lines), then ParseIncludeLine.
//   Assembler sources: CleanAsmLine (lower-case, cut at ";"), then
//                      ParseIncludeLine.
//
// Accepted include lines, with any text before the keyword:
//   #include "dir\name.h"     quoted form (1)
//   #include <name.h>         angle form (0)
//     .include "macros.inc"   assembler (after CleanAsmLine)
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvan {

inline constexpr int kIncludeAngle = 0;
inline constexpr int kIncludeQuoted = 1;

// Removes C comments from consecutive lines of one text. Inside a block
// comment every character is dropped up to "*/", which may come lines later;
// outside one, "//" drops the rest of the line. Comment marks inside string
// and character literals are text, not comments, so "/*" in a string does
// not hide the includes that follow.
class CommentRemover {
 public:
  // `line` without its line end.
  std::string RemoveComments(std::string_view line);
  // The same into `out`, whose buffer serves again (no allocation per line).
  void RemoveComments(std::string_view line, std::string* out);
  // Only carries the comment state over `line`, for a line whose text is
  // not needed (no include can stand in it).
  void SkipLine(std::string_view line);
  bool in_block_comment() const { return in_block_comment_; }
  void Reset() { in_block_comment_ = false; }
  void set_in_block_comment(bool in) { in_block_comment_ = in; }

 private:
  // Carries the comment state over `line`, appending its text outside
  // comments to `out` when given.
  void Walk(std::string_view line, std::string* out);
  bool in_block_comment_ = false;
};

// An assembler line as the include scanner reads it: lower-cased, cut before
// its first ";".
std::string CleanAsmLine(std::string_view line);

// Index of the first "include" (lower case, as a whole word: no letter, digit
// or '_' on either side) outside double-quoted text, or -1. In quoted text
// a backslash escapes the next character. No "#" is required.
int FindIncludeKeyword(std::string_view line);

// The include of a line: after the keyword, a double quote starts a quoted
// name that ends at the next double quote; failing that, "<" starts an angle
// name that ends at the next ">". No include when there is no keyword, a
// "//" stands before it, the closing character is missing or the name is
// empty. `form` receives kIncludeQuoted or kIncludeAngle.
bool ParseIncludeLine(std::string_view line, std::string* name, int* form);

// Splits a text into lines as a text-mode read does: a line ends at CR LF or
// LF, and also at a lone CR (old Macintosh files; the C scanner counts a
// lone CR as a line end too). Line ends are not part of the lines; a last
// line without a line end is a line; the text after its last line end is
// no line when empty. Zero bytes are ordinary characters.
class TextLineReader {
 public:
  explicit TextLineReader(std::string_view text) : text_(text) {}

  // The next line; false at the end of the text.
  bool Next(std::string_view* line);
  // The number of the line last returned, counted from 1 (0 before the first).
  int line_number() const { return line_number_; }

 private:
  std::string_view text_;
  size_t position_ = 0;
  int line_number_ = 0;
};

}  // namespace zelvan

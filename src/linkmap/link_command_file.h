// Reads symbol assignments back out of a link command file without a full
// grammar, so that the IDE can ask for a numeric symbol:
//
//   stack_size = 0x400;              outside SECTIONS: stack_size is 0x400
//   SECTIONS
//   {
//       .text : { *(code) } > code.l
//       stack_top = 0x00083FE0;      first level: stack_top is 0x00083FE0
//       .bss : { end = .; } > data.l deeper levels are not read
//   }
//
// The file is read as words by the C scanner: a name, then the word before
// ";" is its value. A value of more than one word is an expression
// ("0x10000000 + 0x2000", "DEFINED(x) ? x : 0"), which has no number: no
// one of its words is taken for it. Names are found whatever their letter
// case. A statement must stand on one line: the end of a line drops what
// was collected on it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "scanner/c_file_scanner.h"

namespace zelvan {

class FileReader;

// A number as the C library's strtol reads it in base 0 ("0x" hexadecimal,
// a leading 0 octal, else decimal), only when it makes up the whole text and
// lies within 0..0xFFFFFFFF. An empty text is no number.
bool ParseLinkerNumber(std::string_view text, uint32_t* value);

class LinkCommandFileParser : public CFileScanner {
 public:
  explicit LinkCommandFileParser(std::string path) : path_(std::move(path)) {}

  // Reads the file at the path through `fs`; false only when it cannot be read.
  bool AnalyzeLinkCommandFile(FileReader& fs);
  // Reads `bytes` as the file's contents.
  void AnalyzeText(std::string bytes);

  // The value assigned to `name` outside SECTIONS, or at its first level, as
  // a number (ParseLinkerNumber). False when the name was never assigned
  // with ";" or its value is no number.
  bool GetOuterValue(std::string_view name, uint32_t* value) const;
  bool GetSectionsValue(std::string_view name, uint32_t* value) const;

  const std::string& path() const { return path_; }
  // Lower-cased names to the value texts as written (the words of an
  // expression joined by one blank).
  const std::map<std::string, std::string>& outer_values() const { return outer_; }
  const std::map<std::string, std::string>& sections_values() const { return sections_; }

 private:
  void CollectAssignments();

  std::string path_;
  std::map<std::string, std::string> outer_;
  std::map<std::string, std::string> sections_;
};

}  // namespace zelvan

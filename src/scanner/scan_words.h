// The words of a C text as the scanner sees them, for tools and tests that
// want to show them (for instance a command that prints a file's words).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/c_scanner.h"

namespace zelvan {

struct ScannedWord {
  std::string text;
  uint32_t kind = 0;  // the delimiter that ended it, a token::k... value
  int32_t line = 0;   // the line on which the word began

  bool operator==(const ScannedWord&) const = default;
};

// Every word that NextToken reads from `source` up to the end of its text,
// directives and inactive branches included.
void ReadAllWords(CScanner& source, std::vector<ScannedWord>* words);

// The words that ParseTokens hands on: directives consumed, inactive branches
// dropped. Returns the result of ParseTokens. The source's declaration
// handler is replaced for the run and cleared afterwards.
bool ReadActiveWords(CScanner& source, std::vector<ScannedWord>* words);

// One line per word: line number, the word in brackets, the delimiter name;
// control characters in a word are written as \xHH. For example
//   1 [char] SPACE
//   1 [*] *
//   1 [p] ;
std::string FormatWords(const std::vector<ScannedWord>& words);

// A short name of a delimiter kind: "LF", "TAB", "SPACE", ";", ",", "*",
// "&", "=", "{", "}", "(", ")"; "?" for anything else.
std::string_view DelimiterName(uint32_t kind);

}  // namespace zelvan

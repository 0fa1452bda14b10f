#include "linkmap/link_command_file.h"

#include <cerrno>
#include <cstdlib>

#include "platform/ansi_text.h"
#include "platform/file_system.h"

namespace zelvan {

bool ParseLinkerNumber(std::string_view text, uint32_t* value) {
  // strtoll reads the same forms as strtol, and wide enough to see what lies
  // beyond 32 bits instead of wrapping it.
  std::string digits(text);
  if (digits.empty() || IsBlank(digits[0]) || digits.find('\0') != std::string::npos) return false;
  errno = 0;
  char* end = nullptr;
  long long number = std::strtoll(digits.c_str(), &end, 0);
  if (errno != 0 || end != digits.c_str() + digits.size() || number < 0 || number > 0xFFFFFFFFll) {
    return false;
  }
  *value = static_cast<uint32_t>(number);
  return true;
}

bool LinkCommandFileParser::AnalyzeLinkCommandFile(FileReader& fs) {
  if (!Open(fs, path_)) return false;
  CollectAssignments();
  Close();
  return true;
}

void LinkCommandFileParser::AnalyzeText(std::string bytes) {
  if (!OpenBytes(std::move(bytes), path_)) return;
  CollectAssignments();
  Close();
}

void LinkCommandFileParser::CollectAssignments() {
  int level = 0;
  bool in_sections = false;
  std::string name;
  std::string value;
  // More than one word after the name makes an expression
  // ("0x10000000 + 0x2000", "ORIGIN(RAM) + LENGTH(RAM)"): its words are kept
  // joined by blanks, which no number reads.
  int value_words = 0;
  std::string word;
  while (uint32_t result = NextToken(&word)) {
    uint32_t kind = token::KindOf(result);
    if (EqualsNoCase(word, "SECTIONS")) in_sections = true;
    if (in_sections && kind == token::kOpenBrace) ++level;
    if (in_sections && kind == token::kCloseBrace && --level < 1) {
      level = 0;
      in_sections = false;
    }
    if (kind == token::kEndOfLine) {
      // The word that ends a line goes with the line: taken as a name, it
      // would swallow the assignment on the next line.
      name.clear();
      value.clear();
      value_words = 0;
      continue;
    }
    if (!word.empty()) {
      if (name.empty()) {
        name = ToLowerAscii(word);
      } else {
        if (value_words++ > 0) value += ' ';
        value += word;
      }
    }
    if (kind == token::kSemicolon && level <= 1) {
      (level == 0 ? outer_ : sections_)[name] = value;
      name.clear();
      value.clear();
      value_words = 0;
    }
  }
}

bool LinkCommandFileParser::GetOuterValue(std::string_view name, uint32_t* value) const {
  auto it = outer_.find(ToLowerAscii(name));
  return it != outer_.end() && ParseLinkerNumber(it->second, value);
}

bool LinkCommandFileParser::GetSectionsValue(std::string_view name, uint32_t* value) const {
  auto it = sections_.find(ToLowerAscii(name));
  return it != sections_.end() && ParseLinkerNumber(it->second, value);
}

}  // namespace zelvan

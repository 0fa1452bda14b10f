#include "linkmap/memory_block_text.h"

#include "platform/ansi_text.h"

namespace zelvan {

namespace {

bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || c == '$';
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

}  // namespace

std::string BlankBlockComments(std::string_view text) {
  std::string out(text);
  size_t at = 0;
  while ((at = out.find("/*", at)) != std::string::npos) {
    size_t end = out.find("*/", at + 2);
    end = end == std::string::npos ? out.size() : end + 2;
    for (size_t i = at; i < end; ++i) {
      if (out[i] != '\n') out[i] = ' ';
    }
    at = end;
  }
  return out;
}

bool FindMemoryBlock(std::string_view blanked, MemoryBlockSpan* span) {
  constexpr std::string_view kKeyword = "memory";
  for (size_t at = FindNoCase(blanked, kKeyword); at != std::string_view::npos;
       at = FindNoCase(blanked, kKeyword, at + 1)) {
    size_t after = at + kKeyword.size();
    if ((at > 0 && IsWordChar(blanked[at - 1])) ||
        (after < blanked.size() && IsWordChar(blanked[after]))) {
      continue;
    }
    while (after < blanked.size() && IsSpace(blanked[after]))
      ++after;
    if (after >= blanked.size() || blanked[after] != '{') continue;
    size_t close = blanked.find('}', after + 1);
    if (close == std::string_view::npos) return false;
    *span = {at, after, close};
    return true;
  }
  return false;
}

}  // namespace zelvan

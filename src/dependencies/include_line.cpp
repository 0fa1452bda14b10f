#include "dependencies/include_line.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/ansi_text.h"

namespace zelvan {

namespace {

constexpr std::string_view kKeyword = "include";

bool IsIdentifierChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

std::string CommentRemover::RemoveComments(std::string_view line) {
  std::string out;
  RemoveComments(line, &out);
  return out;
}

void CommentRemover::RemoveComments(std::string_view line, std::string* cleaned) {
  cleaned->clear();
  cleaned->reserve(line.size());
  Walk(line, cleaned);
}

void CommentRemover::SkipLine(std::string_view line) {
  Walk(line, nullptr);
}

void CommentRemover::Walk(std::string_view line, std::string* out) {
  char quote = 0;   // the open literal's quote character, 0 outside literals
  size_t kept = 0;  // start of the run of kept characters not yet copied
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    char next = i + 1 < line.size() ? line[i + 1] : '\0';
    if (in_block_comment_) {
      if (c == '*' && next == '/') {
        in_block_comment_ = false;
        ++i;
        kept = i + 1;
      }
      continue;
    }
    if (quote != 0) {
      if (c == '\\' && i + 1 < line.size()) {
        ++i;
      } else if (c == quote) {
        quote = 0;
      }
      continue;
    }
    if (c == '/' && (next == '/' || next == '*')) {
      if (out != nullptr) out->append(line.substr(kept, i - kept));
      kept = line.size();
      if (next == '/') return;
      in_block_comment_ = true;
      ++i;
      continue;
    }
    if (c == '"' || c == '\'') quote = c;
  }
  if (out != nullptr && !in_block_comment_ && kept < line.size()) out->append(line.substr(kept));
}

std::string CleanAsmLine(std::string_view line) {
  return ToLowerAscii(line.substr(0, line.find(';')));
}

int FindIncludeKeyword(std::string_view line) {
  // Lines are far shorter than this; a longer one has no index to give.
  if (line.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return -1;
  // Up to the first "include" only a quote matters: without one the walk
  // starts there.
  size_t first = line.find(kKeyword);
  if (first == std::string_view::npos) return -1;
  size_t from = std::memchr(line.data(), '"', first) == nullptr ? first : 0;
  bool quoted = false;
  for (size_t i = from; i < line.size(); ++i) {
    char c = line[i];
    if (quoted) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        quoted = false;
      }
      continue;
    }
    if (c == '"') {
      quoted = true;
      continue;
    }
    if (line.compare(i, kKeyword.size(), kKeyword) != 0) continue;
    size_t end = i + kKeyword.size();
    bool starts_word = i == 0 || !IsIdentifierChar(line[i - 1]);
    bool ends_word = end >= line.size() || !IsIdentifierChar(line[end]);
    if (starts_word && ends_word) return static_cast<int>(i);
  }
  return -1;
}

bool ParseIncludeLine(std::string_view line, std::string* name, int* form) {
  int keyword = FindIncludeKeyword(line);
  if (keyword < 0) return false;
  size_t start = static_cast<size_t>(keyword);
  if (line.substr(0, start).find("//") != std::string_view::npos) return false;
  size_t after = start + kKeyword.size();

  char close = '"';
  int found_form = kIncludeQuoted;
  size_t open = line.find('"', after);
  if (open == std::string_view::npos) {
    open = line.find('<', after);
    if (open == std::string_view::npos) return false;
    close = '>';
    found_form = kIncludeAngle;
  }
  size_t end = line.find(close, open + 1);
  if (end == std::string_view::npos || end == open + 1) return false;
  name->assign(line.substr(open + 1, end - open - 1));
  *form = found_form;
  return true;
}

bool TextLineReader::Next(std::string_view* line) {
  if (position_ >= text_.size()) return false;
  // Two vectorised searches per chunk beat a search for either character;
  // chunks keep the work linear when a file has only one kind of line end.
  size_t end = std::string_view::npos;
  for (size_t from = position_; from < text_.size() && end == std::string_view::npos;) {
    size_t chunk = std::min<size_t>(text_.size() - from, 256);
    const char* begin = text_.data() + from;
    const void* lf = std::memchr(begin, '\n', chunk);
    size_t span = lf != nullptr ? static_cast<size_t>(static_cast<const char*>(lf) - begin) : chunk;
    const void* cr = std::memchr(begin, '\r', span);
    if (cr != nullptr) {
      end = from + static_cast<size_t>(static_cast<const char*>(cr) - begin);
    } else if (lf != nullptr) {
      end = from + span;
    }
    from += chunk;
  }
  if (end == std::string_view::npos) {
    *line = text_.substr(position_);
    position_ = text_.size();
  } else {
    *line = text_.substr(position_, end - position_);
    position_ = end + 1;
    if (text_[end] == '\r' && position_ < text_.size() && text_[position_] == '\n') ++position_;
  }
  if (line_number_ < std::numeric_limits<int>::max()) ++line_number_;
  return true;
}

}  // namespace zelvan

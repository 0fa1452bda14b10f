#include "analysis/include_file_cache.h"

#include <string.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "analysis/include_line.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"

namespace zelvan {

namespace {

// Reads one line as the scanner does and appends its include, if any.
// `comments` carries the block-comment state from line to line.
void ParseOneLine(std::string_view line, int line_number, IncludeReading reading,
                  CCommentRemover* comments, std::string* buffer, std::string* name,
                  std::vector<IncludeLine>* lines) {
  // Most lines hold no include at all, so the cleaning is done only where
  // it can change something: the comment state changes only at "/*"
  // outside a comment and at "*/" inside one, and dropping the rest of a
  // line after "//" cannot make an include appear.
  std::string_view cleaned = line;
  if (reading == IncludeReading::kC) {
    if (comments->in_block_comment()) {
      if (line.find("*/") == std::string_view::npos) return;
    } else if (line.find('/') == std::string_view::npos ||
               line.find("/*") == std::string_view::npos) {
      if (line.find("include") == std::string_view::npos) return;
    }
    if (comments->in_block_comment() || line.find('/') != std::string_view::npos) {
      comments->RemoveComments(line, buffer);
      cleaned = *buffer;
    }
  } else {
    if (FindNoCase(line, "include") == std::string_view::npos) return;
    *buffer = CleanAsmLine(line);
    cleaned = *buffer;
  }
  if (cleaned.find("include") == std::string_view::npos) return;
  int form = 0;
  if (!ParseIncludeLine(cleaned, name, &form)) return;
  IncludeLine& entry = lines->emplace_back();
  entry.line_number = line_number;
  entry.form = form;
  entry.name = *name;
  entry.text.assign(line);
}

size_t FindText(std::string_view text, size_t from, std::string_view what) {
  if (from >= text.size()) return std::string_view::npos;
  const void* found = memmem(text.data() + from, text.size() - from, what.data(), what.size());
  if (found == nullptr) return std::string_view::npos;
  return static_cast<size_t>(static_cast<const char*>(found) - text.data());
}

// The next two-character mark ("/*" or "*/") from `from`: a search for its
// first character is much quicker than a search for both.
size_t FindMark(std::string_view text, size_t from, char first, char second) {
  const char* end = text.data() + text.size();
  for (const char* p = text.data() + from; p < end; ++p) {
    p = static_cast<const char*>(std::memchr(p, first, static_cast<size_t>(end - p)));
    if (p == nullptr) break;
    if (p + 1 < end && p[1] == second) return static_cast<size_t>(p - text.data());
  }
  return std::string_view::npos;
}

bool IsLineEnd(char c) {
  return c == '\n' || c == '\r';
}

// A mask with the high bit of each zero byte of `word` set.
uint64_t ZeroBytes(uint64_t word) {
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  return ~(((word & kLow7) + kLow7) | word | kLow7);
}

// The number of bytes marked in a ZeroBytes mask (without a popcount
// instruction, which the target need not have).
int64_t CountMarks(uint64_t marks) {
  return static_cast<int64_t>(((marks >> 7) * 0x0101010101010101ull) >> 56);
}

// The number of line ends in [from, to), where `to` starts a line: LF,
// CR LF and a lone CR each end one line. Eight bytes at a time: the lines
// between those that matter are only counted.
int64_t CountLineEnds(std::string_view text, size_t from, size_t to, bool has_cr) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  const char* p = text.data() + from;
  const char* end = text.data() + to;
  int64_t lf = 0;
  int64_t cr = 0;
  int64_t crlf = 0;
  for (; p + 8 <= end; p += 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    uint64_t lf_bytes = ZeroBytes(word ^ (kOnes * '\n'));
    lf += CountMarks(lf_bytes);
    if (has_cr) {
      uint64_t cr_bytes = ZeroBytes(word ^ (kOnes * '\r'));
      cr += CountMarks(cr_bytes);
      crlf += CountMarks(cr_bytes & (lf_bytes >> 8));  // within the word (little-endian)
      if ((cr_bytes >> 63) != 0 && p + 8 < text.data() + text.size() && p[8] == '\n') ++crlf;
    }
  }
  for (; p < end; ++p) {
    if (*p == '\n') ++lf;
    if (*p == '\r') {
      ++cr;
      if (p + 1 < text.data() + text.size() && p[1] == '\n') ++crlf;
    }
  }
  return lf + cr - crlf;
}

// The C reading, done without visiting every line: a line can only matter
// when it holds "include" or "/*" (outside a block comment) or "*/" (inside
// one), so the text is searched for those and the lines between are
// counted, not read. Each line that may matter is read whole, as the
// line-by-line reading reads it, with the comment state at its start.
std::vector<IncludeLine> ParseCIncludeLines(std::string_view text) {
  std::vector<IncludeLine> lines;
  CCommentRemover comments;
  std::string buffer;
  std::string name;
  bool has_cr = std::memchr(text.data(), '\r', text.size()) != nullptr;
  constexpr size_t npos = std::string_view::npos;
  size_t next_open = FindMark(text, 0, '/', '*');
  size_t next_keyword = FindText(text, 0, "include");
  size_t next_close = npos;
  size_t position = 0;     // start of a line
  int64_t line_count = 0;  // lines before `position`
  while (position < text.size()) {
    size_t target;
    if (comments.in_block_comment()) {
      if (next_close == npos || next_close < position) {
        next_close = FindMark(text, position, '*', '/');
      }
      target = next_close;
    } else {
      if (next_open < position) next_open = FindMark(text, position, '/', '*');
      if (next_keyword < position) next_keyword = FindText(text, position, "include");
      target = std::min(next_open, next_keyword);
    }
    if (target == npos) break;
    size_t line_start = target;
    while (line_start > position && !IsLineEnd(text[line_start - 1]))
      --line_start;
    line_count += CountLineEnds(text, position, line_start, has_cr);
    size_t line_end = line_start;
    while (line_end < text.size() && !IsLineEnd(text[line_end]))
      ++line_end;
    ++line_count;
    int line_number = static_cast<int>(std::min<int64_t>(line_count, INT_MAX));
    ParseOneLine(text.substr(line_start, line_end - line_start), line_number, IncludeReading::kC,
                 &comments, &buffer, &name, &lines);
    position = line_end;
    if (position < text.size()) {
      if (text[position] == '\r' && position + 1 < text.size() && text[position + 1] == '\n') {
        ++position;
      }
      ++position;
    }
  }
  return lines;
}

}  // namespace

std::vector<IncludeLine> ParseIncludeLines(std::string_view text, IncludeReading reading) {
  if (reading == IncludeReading::kC) return ParseCIncludeLines(text);
  std::vector<IncludeLine> lines;
  TextLineReader reader(text);
  CCommentRemover comments;
  std::string_view line;
  std::string name;
  std::string buffer;
  while (reader.Next(&line)) {
    ParseOneLine(line, reader.line_number(), reading, &comments, &buffer, &name, &lines);
  }
  return lines;
}

bool IncludeFileCache::FileExists(std::string_view path) {
  size_t separator = FindLastSeparator(path);
  if (separator != std::string_view::npos && separator + 1 < path.size()) {
    if (const auto* listing = ListingOf(path.substr(0, separator + 1))) {
      name_buffer_.assign(path.substr(separator + 1));
      for (char& c : name_buffer_)
        c = ToLowerAscii(c);
      return listing->count(name_buffer_) != 0;
    }
  }
  auto it = exists_.find(path);
  if (it != exists_.end()) return it->second;
  ++existence_checks_;
  bool exists = zelvan::FileExists(fs_, path);
  exists_.emplace(std::string(path), exists);
  return exists;
}

const IncludeFileCache::Listing* IncludeFileCache::ListingOf(std::string_view dir) {
  auto it = listings_.find(dir);
  if (it != listings_.end()) return it->second.get();
  ++existence_checks_;
  std::unique_ptr<Listing> listing;
  std::vector<DirectoryEntry> entries;
  if (fs_.ListDirectory(dir, "*", &entries)) {
    listing = std::make_unique<Listing>();
    for (const DirectoryEntry& entry : entries) {
      if (!entry.is_directory) listing->insert(ToLowerAscii(entry.name));
    }
  }
  const Listing* result = listing.get();
  listings_.emplace(std::string(dir), std::move(listing));
  return result;
}

const std::vector<IncludeLine>* IncludeFileCache::Lines(std::string_view path,
                                                        IncludeReading reading) {
  LineMap& map = lines_[static_cast<int>(reading)];
  auto it = map.find(path);
  if (it != map.end()) return it->second.get();
  std::unique_ptr<std::vector<IncludeLine>> lines;
  std::string text;
  ++files_read_;
  if (fs_.ReadFile(path, &text)) {
    lines = std::make_unique<std::vector<IncludeLine>>(ParseIncludeLines(text, reading));
  }
  const std::vector<IncludeLine>* result = lines.get();
  map.emplace(std::string(path), std::move(lines));
  return result;
}

void IncludeFileCache::Clear() {
  exists_.clear();
  listings_.clear();
  lines_[0].clear();
  lines_[1].clear();
  files_read_ = 0;
  existence_checks_ = 0;
}

}  // namespace zelvan

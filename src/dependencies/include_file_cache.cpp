#include "dependencies/include_file_cache.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "dependencies/include_line.h"
#include "dependencies/text_search.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"

namespace zelvan {

namespace {

constexpr size_t npos = std::string_view::npos;

// Whether an assembler line holds "include" in any case (it is lower-cased
// before it is parsed).
bool HasIncludeNoCase(std::string_view line) {
  for (size_t i = 0; i + 7 <= line.size(); ++i) {
    if ((line[i] | 0x20) == 'i' && EqualsNoCase(line.substr(i, 7), "include")) return true;
  }
  return false;
}

// Reads one line as the scanner does and appends its include, if any.
// `comments` carries the block-comment state from line to line.
void ParseOneLine(std::string_view line, int line_number, IncludeReading reading,
                  CommentRemover* comments, std::string* buffer, std::string* name,
                  std::vector<IncludeLine>* lines) {
  std::string_view cleaned = line;
  if (reading == IncludeReading::kC) {
    if (comments->in_block_comment() && line.find("*/") == npos) return;
    if (comments->in_block_comment() || line.find('/') != npos) {
      comments->RemoveComments(line, buffer);
      cleaned = *buffer;
    }
  } else {
    if (!HasIncludeNoCase(line)) return;
    *buffer = CleanAsmLine(line);
    cleaned = *buffer;
  }
  if (cleaned.find("include") == npos) return;
  int form = 0;
  if (!ParseIncludeLine(cleaned, name, &form)) return;
  IncludeLine& entry = lines->emplace_back();
  entry.line_number = line_number;
  entry.form = form;
  entry.name = *name;
  entry.text = line;
}

const char* FindChar(const char* p, const char* end, char c) {
  const void* found = std::memchr(p, c, static_cast<size_t>(end - p));
  return found != nullptr ? static_cast<const char*>(found) : end;
}

// Carries the block-comment state over a line that holds no "include", as
// CommentRemover does, without making the cleaned line. Returns the state
// after the line; `joined` is set when comments split the line's kept text
// into several pieces (joined, they might spell "include").
bool CarryCommentState(std::string_view line, bool in_comment, bool* joined) {
  const char* p = line.data();
  const char* end = p + line.size();
  const char* kept = p;  // start of the current kept piece
  int pieces = 0;
  *joined = false;
  while (p < end) {
    if (in_comment) {
      const char* close = end;
      for (const char* star = FindChar(p, end, '*'); star < end;
           star = FindChar(star + 1, end, '*')) {
        if (star + 1 < end && star[1] == '/') {
          close = star;
          break;
        }
      }
      if (close == end) return true;
      in_comment = false;
      p = close + 2;
      kept = p;
      continue;
    }
    // The next character that can change the state: '/' or a quote.
    const char* slash = FindChar(p, end, '/');
    const char* quote = FindChar(p, slash, '"');
    const char* special = FindChar(p, quote, '\'');
    if (special == end) break;
    p = special;
    if (*p == '/') {
      if (p + 1 < end && (p[1] == '/' || p[1] == '*')) {
        if (p > kept && ++pieces > 1) *joined = true;
        if (p[1] == '/') return false;
        in_comment = true;
        p += 2;
        kept = end;
        continue;
      }
      ++p;
      continue;
    }
    // A literal: comment marks inside it are text.
    char close = *p++;
    while (p < end) {
      if (*p == '\\') {
        p = end - p > 2 ? p + 2 : end;
      } else if (*p++ == close) {
        break;
      }
    }
  }
  if (!in_comment && end > kept && ++pieces > 1) *joined = true;
  return in_comment;
}

// The C reading, done without visiting every line: a line can only matter
// when it holds "include" or "/*" (outside a block comment) or "*/" (inside
// one), so the text is searched for those and the lines between are
// counted, not read. Each line that may matter is read whole, with the
// comment state at its start.
void ParseCIncludeLines(std::string_view text, std::vector<IncludeLine>* out) {
  std::vector<IncludeLine>& lines = *out;
  CommentRemover comments;
  std::string buffer;
  std::string name;
  bool has_cr = std::memchr(text.data(), '\r', text.size()) != nullptr;
  // The next comment opening and keyword at or after `position`, searched
  // again only when the position passes them.
  size_t next_open = 0;
  bool open_known = false;
  size_t next_keyword = 0;
  bool keyword_known = false;
  size_t position = 0;     // start of a line
  int64_t line_count = 0;  // lines before `position`
  while (position < text.size()) {
    size_t target;
    if (comments.in_block_comment()) {
      target = FindPair(text, position, '*', '/');
    } else {
      if (!open_known || (next_open != npos && next_open < position)) {
        next_open = FindPair(text, position, '/', '*');
        open_known = true;
      }
      if (!keyword_known || (next_keyword != npos && next_keyword < position)) {
        next_keyword = FindSubstring(text, position, "include");
        keyword_known = true;
      }
      target = std::min(next_open, next_keyword);
    }
    if (target == npos) break;
    size_t line_start = FindLineStart(text, position, target, has_cr);
    line_count += CountLineEnds(text, position, line_start, has_cr);
    size_t line_end = FindLineEnd(text, target, has_cr);
    ++line_count;
    std::string_view line = text.substr(line_start, line_end - line_start);
    if (!keyword_known || (next_keyword != npos && next_keyword < line_start)) {
      next_keyword = FindSubstring(text, line_start, "include");
      keyword_known = true;
    }
    bool joined = false;
    if (next_keyword < line_end) {
      joined = true;
    } else {
      bool before = comments.in_block_comment();
      bool after = CarryCommentState(line, before, &joined);
      if (!joined) {
        // No include can stand in the line: only its comment state counts.
        comments.set_in_block_comment(after);
      }
    }
    if (joined) {
      int line_number = static_cast<int>(std::min<int64_t>(line_count, INT_MAX));
      ParseOneLine(line, line_number, IncludeReading::kC, &comments, &buffer, &name, &lines);
    }
    position = line_end;
    if (position < text.size()) {
      if (text[position] == '\r' && position + 1 < text.size() && text[position + 1] == '\n') {
        ++position;
      }
      ++position;
    }
  }
}

}  // namespace

std::vector<IncludeLine> ParseIncludeLines(std::string_view text, IncludeReading reading) {
  std::vector<IncludeLine> lines;
  AppendIncludeLines(text, reading, &lines);
  return lines;
}

void AppendIncludeLines(std::string_view text, IncludeReading reading,
                        std::vector<IncludeLine>* lines) {
  if (reading == IncludeReading::kC) {
    ParseCIncludeLines(text, lines);
    return;
  }
  TextLineReader reader(text);
  CommentRemover comments;
  std::string_view line;
  std::string name;
  std::string buffer;
  while (reader.Next(&line)) {
    ParseOneLine(line, reader.line_number(), reading, &comments, &buffer, &name, lines);
  }
}

bool IncludeFileCache::FileExists(std::string_view path) {
  size_t separator = FindLastSeparator(path);
  if (separator != std::string_view::npos && separator + 1 < path.size()) {
    if (const Listing* listing = ListingOf(path.substr(0, separator + 1))) {
      name_buffer_.assign(path.substr(separator + 1));
      for (char& c : name_buffer_)
        c = ToLowerAscii(c);
      return std::binary_search(listing->begin(), listing->end(), name_buffer_);
    }
  }
  int32_t id = exists_paths_.Find(path);
  if (id >= 0) return exists_[static_cast<size_t>(id)];
  ++existence_checks_;
  bool exists = zelvan::FileExists(fs_, path);
  exists_paths_.Add(path);
  exists_.push_back(exists);
  return exists;
}

const IncludeFileCache::Listing* IncludeFileCache::ListingOf(std::string_view dir) {
  int32_t id = listed_dirs_.Find(dir);
  if (id >= 0) return listings_[static_cast<size_t>(id)].get();
  ++existence_checks_;
  std::unique_ptr<Listing> listing;
  std::vector<DirectoryEntry> entries;
  FileStatus status;
  if (fs_.ListDirectory(dir, "*", &entries)) {
    listing = std::make_unique<Listing>();
    for (const DirectoryEntry& entry : entries) {
      if (!entry.is_directory) listing->push_back(ToLowerAscii(entry.name));
    }
    std::sort(listing->begin(), listing->end());
    listing->erase(std::unique(listing->begin(), listing->end()), listing->end());
  } else if (!fs_.Stat(StripTrailingSlash(dir), &status)) {
    // A folder that does not exist holds no files: include folders that
    // are not there (an architecture's "linux" folder) are searched for
    // thousands of names.
    listing = std::make_unique<Listing>();
  }
  listed_dirs_.Add(dir);
  listings_.push_back(std::move(listing));
  return listings_.back().get();
}

// Parsed include lines and their texts, in blocks that never move (a
// file's text is dropped once its lines are found).
struct IncludeFileCache::Store {
  SpanArena<IncludeLine> line_store;
  SpanArena<IncludeLines> line_tables{1024};
  std::vector<IncludeLine> scratch;
  std::vector<std::unique_ptr<char[]>> text_blocks;
  std::vector<size_t> text_block_sizes;
  size_t text_block = 0;
  size_t text_used = 0;

  const IncludeLines* Parse(std::string_view text, IncludeReading reading) {
    scratch.clear();
    AppendIncludeLines(text, reading, &scratch);
    std::span<IncludeLine> kept = line_store.Allocate(scratch.size());
    for (size_t i = 0; i < scratch.size(); ++i) {
      kept[i] = std::move(scratch[i]);
      kept[i].text = KeepText(kept[i].text);
    }
    std::span<IncludeLines> table = line_tables.Allocate(1);
    table[0] = kept;
    return &table[0];
  }

  std::string_view KeepText(std::string_view text) {
    constexpr size_t kBlockSize = 64 * 1024;
    if (text.empty()) return {};
    while (text_block < text_blocks.size() &&
           text_block_sizes[text_block] - text_used < text.size()) {
      ++text_block;
      text_used = 0;
    }
    if (text_block == text_blocks.size()) {
      size_t size = std::max(kBlockSize, text.size());
      text_blocks.push_back(std::make_unique<char[]>(size));
      text_block_sizes.push_back(size);
      text_used = 0;
    }
    char* kept = text_blocks[text_block].get() + text_used;
    std::memcpy(kept, text.data(), text.size());
    text_used += text.size();
    return std::string_view(kept, text.size());
  }

  void Reset() {
    line_store.Reset();
    line_tables.Reset();
    text_block = 0;
    text_used = 0;
  }
};

IncludeFileCache::IncludeFileCache(FileReader& fs) : fs_(fs), store_(std::make_unique<Store>()) {}

IncludeFileCache::~IncludeFileCache() = default;

const IncludeLines* IncludeFileCache::Lines(std::string_view path, IncludeReading reading) {
  int r = static_cast<int>(reading);
  // Any spelling of a path names the same file.
  name_buffer_.assign(path);
  for (char& c : name_buffer_)
    c = ToLowerAscii(c);
  int32_t id = line_paths_[r].Find(name_buffer_);
  if (id >= 0) return lines_[r][static_cast<size_t>(id)];
  line_paths_[r].Add(name_buffer_);
  ++files_read_;
  const IncludeLines* result = nullptr;
  std::string text;
  if (fs_.ReadFile(path, &text)) result = store_->Parse(text, reading);
  lines_[r].push_back(result);
  return result;
}

void IncludeFileCache::Clear() {
  exists_paths_.Clear();
  exists_.clear();
  listed_dirs_.Clear();
  listings_.clear();
  for (int r = 0; r < 2; ++r) {
    line_paths_[r].Clear();
    lines_[r].clear();
  }
  store_->Reset();
  files_read_ = 0;
  existence_checks_ = 0;
}

}  // namespace zelvan

#include "linkmap/memory_map_reader.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>

#include "linkmap/memory_block_text.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"

namespace zelvan {

namespace {

bool IsControlOrBlank(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte <= 0x20 || byte == 0x7F;
}

bool IsLineBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAlphanumeric(char c) {
  return IsLetter(c) || (c >= '0' && c <= '9');
}

// What separates the words of a name's text: blanks, control characters
// and the punctuation that no name holds.
bool EndsNameWord(char c) {
  return IsControlOrBlank(c) || c == ',' || c == ';' || c == '=' || c == '(' || c == ')';
}

bool IsHexText(std::string_view text) {
  return text.find_first_not_of("0123456789abcdefABCDEF") == std::string_view::npos;
}

std::string NormalName(std::string_view name) {
  if (name.starts_with("IO") && IsHexText(name.substr(2))) return "IO";
  if (name.starts_with("Reserved") && IsHexText(name.substr(8))) return "Reserved";
  for (std::string_view data : {"data.s", "data.m", "data.l"}) {
    if (EqualsNoCase(name, data)) return "RAM";
  }
  for (std::string_view code : {"code.s", "code.m", "code.l"}) {
    if (EqualsNoCase(name, code)) return "ROM";
  }
  return std::string(name);
}

// The name in the text before an entry's ":": the last word of its last
// non-empty line, an attribute list "(rx)" cut off. Whatever stands before
// it (an INCLUDE line, the rest of an entry that could not be read) is no
// part of it.
std::string_view NameOf(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && IsControlOrBlank(text[end - 1]))
    --end;
  if (end > 0 && text[end - 1] == ')') {
    size_t open = text.rfind('(', end - 1);
    if (open != std::string_view::npos) end = open;
    while (end > 0 && IsControlOrBlank(text[end - 1]))
      --end;
  }
  size_t begin = end;
  while (begin > 0 && !EndsNameWord(text[begin - 1]))
    --begin;
  return text.substr(begin, end - begin);
}

enum class Keyword { kNone, kOrigin, kLength };

constexpr size_t kAttributeLimit = 32;

Keyword KeywordOf(std::string_view word) {
  for (std::string_view origin : {"origin", "org", "o"}) {
    if (EqualsNoCase(word, origin)) return Keyword::kOrigin;
  }
  for (std::string_view length : {"length", "len", "l"}) {
    if (EqualsNoCase(word, length)) return Keyword::kLength;
  }
  return Keyword::kNone;
}

// Reads the entries of a memory block one after the other. Every scan moves
// the cursor forward, so a block is read in one pass; `steps` counts the
// characters looked at and the areas compared.
class EntryReader {
 public:
  EntryReader(std::string_view text, size_t begin, size_t end, MemoryAreaList* areas, size_t* steps)
      : text_(text), cursor_(begin), end_(end), areas_(areas), steps_(steps) {
    for (size_t i = 0; i < areas->size(); ++i) {
      auto [it, first] = by_name_.try_emplace(areas->names[i], Named{i, nullptr});
      if (!first) Index(it->second, areas->starts[i], i);
    }
  }

  void ReadAll() {
    while (ReadEntry()) {
    }
  }

 private:
  char At(size_t at) {
    ++*steps_;
    return text_[at];
  }

  // One entry: name ":" then "keyword = value" clauses, "," between them or
  // not. False when no ":" is left.
  bool ReadEntry() {
    while (cursor_ < end_ && (IsControlOrBlank(At(cursor_)) || text_[cursor_] == ','))
      ++cursor_;
    size_t colon = cursor_;
    while (colon < end_ && At(colon) != ':')
      ++colon;
    if (colon >= end_) return false;
    std::string_view name = NameOf(text_.substr(cursor_, colon - cursor_));
    cursor_ = colon + 1;
    std::optional<uint32_t> origin;
    std::optional<uint32_t> length;
    bool plain = true;
    for (;;) {
      size_t at = cursor_;
      while (at < end_ && (IsControlOrBlank(At(at)) || text_[at] == ','))
        ++at;
      size_t word_end = at;
      while (word_end < end_ && IsLetter(At(word_end)))
        ++word_end;
      Keyword keyword = KeywordOf(text_.substr(at, word_end - at));
      size_t equals = SkipLineBlanks(word_end);
      if (keyword == Keyword::kNone || equals >= end_ || text_[equals] != '=') break;
      uint32_t value = 0;
      bool next_entry = false;
      bool read = ReadValue(equals + 1, &value, &next_entry);
      std::optional<uint32_t>& slot = keyword == Keyword::kOrigin ? origin : length;
      // A value given twice is as unclear as one that is no plain number.
      if (!read || slot) plain = false;
      slot = value;
      if (next_entry) break;
    }
    if (plain && origin && length && !name.empty()) AddArea(NormalName(name), *origin, *length);
    return true;
  }

  size_t SkipLineBlanks(size_t at) {
    while (at < end_ && IsLineBlank(At(at)))
      ++at;
    return at;
  }

  // The value after "=": true when it is one hexadecimal number, with no
  // operator, suffix or parenthesis after it before the next "," or the end
  // of its line. The cursor ends after the value; `next_entry` says that the
  // next entry begins there ("len = 0x10 b : org = ...").
  bool ReadValue(size_t at, uint32_t* value, bool* next_entry) {
    while (at < end_ && IsControlOrBlank(At(at)))
      ++at;
    size_t word_end = at;
    while (word_end < end_ && IsAlphanumeric(At(word_end)))
      ++word_end;
    size_t after = SkipLineBlanks(word_end);
    if (word_end > at &&
        (word_end >= end_ || text_[word_end] == ',' || IsControlOrBlank(text_[word_end]))) {
      if (after >= end_ || text_[after] == ',' || text_[after] == '\n' || StartsClause(after) ||
          (*next_entry = StartsEntry(after))) {
        cursor_ = *next_entry ? after : word_end;
        return ParseHexValue(text_.substr(at, word_end - at), value);
      }
    }
    // An expression: it goes on to the next "," outside parentheses or the
    // end of its line, unless the next entry starts first (after a blank,
    // outside parentheses, and not after a "?", whose ":" is no entry's).
    int depth = 0;
    bool condition = false;
    while (at < end_ && text_[at] != '\n') {
      char c = At(at);
      if (c == ',' && depth == 0) break;
      if (c == '(') ++depth;
      if (c == ')' && depth > 0) --depth;
      if (c == '?') condition = true;
      if (IsLineBlank(c) && depth == 0 && !condition) {
        at = SkipLineBlanks(at);
        if (StartsEntry(at)) {
          *next_entry = true;
          break;
        }
        continue;
      }
      ++at;
    }
    cursor_ = at;
    return false;
  }

  // "length =" or the like.
  bool StartsClause(size_t at) {
    size_t word_end = at;
    while (word_end < end_ && IsLetter(At(word_end)))
      ++word_end;
    if (KeywordOf(text_.substr(at, word_end - at)) == Keyword::kNone) return false;
    word_end = SkipLineBlanks(word_end);
    return word_end < end_ && text_[word_end] == '=';
  }

  // A name, an attribute list or not, then ":".
  bool StartsEntry(size_t at) {
    size_t word_end = at;
    while (word_end < end_ && !EndsNameWord(At(word_end)) && text_[word_end] != ':')
      ++word_end;
    if (word_end == at) return false;
    word_end = SkipLineBlanks(word_end);
    if (word_end < end_ && text_[word_end] == '(') {
      // Attribute lists are short; a longer look would make a line of
      // "a ( b ( c ..." quadratic.
      size_t limit = std::min(end_, word_end + kAttributeLimit);
      while (word_end < limit && At(word_end) != ')' && text_[word_end] != '\n')
        ++word_end;
      if (word_end >= limit || text_[word_end] != ')') return false;
      word_end = SkipLineBlanks(word_end + 1);
    }
    return word_end < end_ && text_[word_end] == ':';
  }

  // An entry that starts inside an area of the same name read before widens
  // it to cover both: the nested lines of a RAM or ROM area read back as
  // one. The area looked at is the one of that name that starts nearest at
  // or below the new start.
  void AddArea(std::string name, uint32_t start, uint32_t size) {
    ++*steps_;
    auto [it, first] = by_name_.try_emplace(name, Named{areas_->size(), nullptr});
    if (!first) {
      Named& named = it->second;
      size_t held = kNone;
      if (!named.starts) {
        if (areas_->starts[named.first] <= start) held = named.first;
      } else if (auto next = named.starts->upper_bound(start); next != named.starts->begin()) {
        held = std::prev(next)->second;
      }
      if (held != kNone) {
        uint64_t held_start = areas_->starts[held];
        uint64_t held_end = held_start + areas_->sizes[held];
        if (start < held_end) {
          areas_->sizes[held] =
              static_cast<uint32_t>(std::max(held_end, uint64_t{start} + size) - held_start);
          return;
        }
      }
      Index(named, start, areas_->size());
    }
    areas_->Append(std::move(name), start, size);
  }

  // Most names stand for one area; a second one makes a map by start.
  struct Named {
    size_t first;
    std::unique_ptr<std::map<uint32_t, size_t>> starts;
  };
  static constexpr size_t kNone = ~size_t{0};

  void Index(Named& named, uint32_t start, size_t area) {
    if (!named.starts) {
      named.starts = std::make_unique<std::map<uint32_t, size_t>>();
      named.starts->emplace(areas_->starts[named.first], named.first);
    }
    // An empty area of the same start gives way to the new one.
    (*named.starts)[start] = area;
  }

  std::string_view text_;
  size_t cursor_;
  size_t end_;
  MemoryAreaList* areas_;
  size_t* steps_;
  std::unordered_map<std::string, Named> by_name_;
};

}  // namespace

bool ParseHexValue(std::string_view text, uint32_t* value) {
  std::string lower = ToLowerAscii(text);
  std::erase(lower, '\n');
  // One pass: each "0x" of the text goes, the digits after it are looked at
  // afresh.
  std::string digits;
  for (size_t i = 0; i < lower.size(); ++i) {
    if (lower[i] == '0' && i + 1 < lower.size() && lower[i + 1] == 'x') {
      ++i;
      continue;
    }
    digits += lower[i];
  }
  return ParseHexDigits(digits, value);
}

bool ReadMemoryMapText(std::string_view text, MemoryAreaList* areas, size_t* steps) {
  std::string blanked = BlankBlockComments(text);
  MemoryBlockSpan span;
  if (!FindMemoryBlock(blanked, &span)) return false;
  size_t counted = 0;
  EntryReader(blanked, span.open + 1, span.close, areas, &counted).ReadAll();
  if (steps) *steps = counted;
  return true;
}

bool ReadMemoryMap(FileReader& fs, std::string_view path, MemoryAreaList* areas,
                   std::string* error) {
  std::string text;
  if (!fs.ReadFile(path, &text)) {
    if (error) *error = "cannot read " + std::string(path);
    return false;
  }
  if (!ReadMemoryMapText(text, areas)) {
    if (error) *error = std::string(path) + " has no memory block";
    return false;
  }
  return true;
}

}  // namespace zelvan

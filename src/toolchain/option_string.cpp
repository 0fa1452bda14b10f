#include "toolchain/option_string.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>

#include "platform/ansi_text.h"
#include "toolchain/option_text.h"

namespace zelvan {
namespace {

// Without a table nothing applies (mask 0): every argument is rejected.
constexpr OptionDefinition kDefaultRows[] = {
    {1, "", kOptionText, nullptr, 0, 0, nullptr, -1, ";", 0, 0, 0},
};

// Arguments that begin with a row's name but are other options of the tool.
struct Exclusion {
  std::string_view name;
  std::string_view other_option;
};
constexpr Exclusion kExclusions[] = {{"-o", "-opndtrk"}};

bool IsExcluded(std::string_view name, std::string_view text) {
  for (const Exclusion& e : kExclusions) {
    if (name == e.name && text.starts_with(e.other_option)) return true;
  }
  return false;
}

// One argument at the start of a text: up to the first blank outside quotes.
struct Argument {
  size_t length = 0;     // characters of the text it spans
  std::string raw;       // as written; a quote left open is closed
  std::string unquoted;  // without its quotes
};

Argument ReadArgument(std::string_view text) {
  QuotedArgument scan = ScanQuotedArgument(text, 0, {.unquote = true});
  Argument arg;
  arg.length = scan.end;
  arg.raw.assign(text.substr(0, scan.end));
  arg.unquoted = std::move(scan.unquoted);
  // Closing the quote keeps the value from swallowing what follows it once
  // it is written back in another place.
  if (scan.open_quote) arg.raw.push_back('"');
  return arg;
}

bool IsFreeText(int32_t type) {
  return type == kOptionText || type == kOptionRawText;
}

// Rows whose value may stand apart from the name behind a blank.
bool TakesBlankSeparatedValue(const OptionDefinition& row) {
  return row.blank_separated != 0 || row.separation_mode == 1;
}

struct Value {
  bool missing = false;  // a blank-separated value is absent: the text ended
  std::string text;
  int32_t flags = 0;
  size_t consumed = 0;  // from the start of the name
};

// Reads the value of `row`, whose name begins `text`.
Value ReadValue(const OptionDefinition& row, std::string_view text, size_t name_length) {
  const bool raw = row.value_type == kOptionRawText;
  std::string_view after = text.substr(name_length);
  Value value;
  if (!after.empty() && !IsBlank(after[0])) {
    Argument arg = ReadArgument(after);
    value.text = raw ? arg.raw : arg.unquoted;
    value.consumed = name_length + arg.length;
    return value;
  }
  size_t skip = 0;
  while (skip < after.size() && IsBlank(after[skip]))
    ++skip;
  std::string_view next = after.substr(skip);
  bool take_next = TakesBlankSeparatedValue(row)
                       ? !next.empty()
                       : IsFreeText(row.value_type) && !next.empty() && next[0] != '-';
  if (take_next) {
    Argument arg = ReadArgument(next);
    value.text = raw ? arg.raw : arg.unquoted;
    value.flags = kOptionFlagBlank;
    value.consumed = name_length + skip + arg.length;
    return value;
  }
  // No value: it is empty and the type decides. A blank-separated value that
  // is missing (the text ended) is stored empty and reported; kept as a bare
  // name, the option would take whatever follows it once rebuilt.
  value.consumed = name_length;
  if (TakesBlankSeparatedValue(row)) {
    value.missing = true;
    value.flags = kOptionFlagBlank;
  }
  return value;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Digits only; saturates instead of overflowing, so huge values compare as
// out of range.
bool ParseNumber(std::string_view text, int base, uint64_t* number) {
  if (text.empty()) return false;
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  uint64_t n = 0;
  for (char c : text) {
    int digit = DigitValue(c);
    if (digit < 0 || digit >= base) return false;
    uint64_t d = static_cast<uint64_t>(digit);
    n = n > (kMax - d) / static_cast<uint64_t>(base) ? kMax : n * static_cast<uint64_t>(base) + d;
  }
  *number = n;
  return true;
}

bool InRange(std::string_view value, std::string_view bounds, int base) {
  size_t dash = bounds.find('-');
  uint64_t low = 0, high = 0, n = 0;
  if (dash == std::string_view::npos || !ParseNumber(bounds.substr(0, dash), base, &low) ||
      !ParseNumber(bounds.substr(dash + 1), base, &high) || !ParseNumber(value, base, &n)) {
    return false;
  }
  return n >= low && n <= high;
}

bool Accepts(const OptionDefinition& row, std::string_view value) {
  switch (row.value_type) {
    case kOptionText:
    case kOptionRawText:
      return true;
    case kOptionWord:
    case kOptionNumber:
      for (const std::string& item : SplitAll(OptionText(row.allowed), ',')) {
        if (item == value) return true;
      }
      return false;
    case kOptionDecimalRange:
      return InRange(value, OptionText(row.allowed), 10);
    case kOptionHexRange:
      return InRange(value, OptionText(row.allowed), 16);
    default:
      return false;
  }
}

bool HasBlankOutsideQuotes(std::string_view text) {
  return ScanQuotedArgument(text, 0).end != text.size();
}

}  // namespace

OptionString::OptionString() : table_(kDefaultRows), cpu_mask_(kCpuMaskMx520) {}

void OptionString::SetTable(std::span<const OptionDefinition> table) {
  size_t rows = 0;
  while (rows < table.size() && table[rows].order != -1)
    ++rows;
  table_ = table.first(rows);
}

void OptionString::SetCpu(std::string_view cpu_name) {
  cpu_mask_ = zelvan::GetCpuMask(cpu_name);
}

bool OptionString::ParseOptions(std::string_view text, bool append) {
  if (!append) ClearOptions();
  rejected_.clear();
  bool ok = true;
  std::string_view rest = TrimBlanks(text);
  while (!rest.empty()) {
    size_t consumed = ParseArgument(rest, &ok);
    rest = TrimLeftBlanks(rest.substr(consumed));
  }
  return ok;
}

OptionString::Match OptionString::MatchArgument(std::string_view text) const {
  Match match;
  // Length of the longest name whose row refused this argument's value.
  size_t refused = 0;
  auto take = [&](const OptionDefinition& row, std::string value, int32_t flags, size_t consumed,
                  bool reject) {
    match.row = &row;
    match.value = std::move(value);
    match.flags = flags;
    match.consumed = consumed;
    match.rejected = reject || refused > OptionText(row.name).size();
    return match;
  };

  for (const OptionDefinition& row : table_) {
    if (!RowAppliesTo(row, cpu_mask_)) continue;
    std::string_view name = OptionText(row.name);
    if (name.empty()) {
      Argument arg = ReadArgument(text);
      return take(row, std::move(arg.raw), 0, arg.length, false);
    }
    if (!text.starts_with(name) || IsExcluded(name, text)) continue;
    if (row.value_type == kOptionSwitch) {
      if (text.size() == name.size() || IsBlank(text[name.size()])) {
        return take(row, std::string(), 0, name.size(), false);
      }
      continue;
    }
    Value value = ReadValue(row, text, name.size());
    if (!Accepts(row, value.text)) {
      refused = std::max(refused, name.size());
      continue;
    }
    return take(row, std::move(value.text), value.flags, value.consumed, value.missing);
  }
  match.consumed = ReadArgument(text).length;
  match.rejected = true;
  return match;
}

size_t OptionString::ParseArgument(std::string_view text, bool* ok) {
  Match match = MatchArgument(text);
  if (match.rejected) {
    rejected_.push_back(ReadArgument(text).raw);
    *ok = false;
  }
  if (match.row) {
    Store(match.row, OptionText(match.row->name), std::move(match.value), match.flags);
  }
  return match.consumed;
}

void OptionString::AppendOption(const OptionDefinition* row, const std::string& name,
                                const std::string& value, int32_t flags, std::string* out) const {
  const int32_t type = row ? row->value_type : kOptionText;
  bool separate = false;
  bool detached = false;  // a free-text value apart from its name behind a blank
  if (row && row->separation_mode == 1) {
    separate = (flags & kOptionFlagBlank) != 0;
  } else if (row && row->blank_separated) {
    separate = true;
  } else if (IsFreeText(type) && (flags & kOptionFlagBlank)) {
    separate = detached = true;
  }
  out->append(name);
  if (separate) out->push_back(' ');
  if (value.empty()) {
    // An empty free-text value must read back as empty, not take what follows.
    if (IsFreeText(type)) out->append("\"\"");
    return;
  }
  bool quote = type != kOptionRawText &&
               (HasBlankOutsideQuotes(value) || (detached && value.front() == '-'));
  if (!quote && !separate && row && type != kOptionRawText && !name.empty() &&
      value.find('"') == std::string::npos) {
    // Name and value run together may spell another option ("-" with the
    // value "e" is "-e"); quotes keep them apart. A value that brings its own
    // quotes is written as given.
    Match reread = MatchArgument(name + value);
    quote = reread.row != row || reread.value != value;
  }
  if (quote) out->push_back('"');
  out->append(value);
  if (quote) out->push_back('"');
}

const OptionDefinition* OptionString::FindRow(std::string_view name) const {
  const OptionDefinition* any = nullptr;
  for (const OptionDefinition& row : table_) {
    if (OptionText(row.name) != name) continue;
    if (RowAppliesTo(row, cpu_mask_)) return &row;
    if (!any) any = &row;
  }
  return any;
}

void OptionString::Store(const OptionDefinition* row, std::string_view name, std::string value,
                         int32_t flags) {
  if (row && row->occurrence_limit == 1) {
    for (size_t i = 0; i < names_.size(); ++i) {
      if (names_[i] == name) {
        values_[i] = std::move(value);
        flags_[i] = flags;
        return;
      }
    }
  }
  names_.emplace_back(name);
  values_.push_back(std::move(value));
  flags_.push_back(flags);
}

std::string OptionString::FormatOptions() const {
  // Names no row knows go where the row for any other argument goes, or last.
  const OptionDefinition* other = FindRow("");
  const int64_t unknown_order =
      other ? other->order : int64_t{std::numeric_limits<int32_t>::max()} + 1;
  std::map<int64_t, std::string> slots;
  for (size_t i = 0; i < names_.size(); ++i) {
    const OptionDefinition* row = FindRow(names_[i]);
    std::string& slot = slots[row ? row->order : unknown_order];
    AppendOption(row, names_[i], values_[i], flags_[i], &slot);
    slot.push_back(' ');
  }
  std::string text;
  for (const auto& [order, slot] : slots)
    text += slot;
  return text;
}

bool OptionString::FindOptionValue(std::string_view name, std::string* value) const {
  for (size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == name) {
      *value = values_[i];
      return true;
    }
  }
  return false;
}

bool OptionString::GetAt(int index, std::string* name, std::string* value, int32_t* flags) const {
  if (index < 0 || static_cast<size_t>(index) >= names_.size()) return false;
  size_t i = static_cast<size_t>(index);
  *name = names_[i];
  *value = values_[i];
  *flags = flags_[i];
  return true;
}

void OptionString::AddOption(std::string_view name, std::string_view value, int32_t flags) {
  Store(FindRow(name), name, std::string(value), flags);
}

void OptionString::ClearOptions() {
  names_.clear();
  values_.clear();
  flags_.clear();
}

}  // namespace zelvan

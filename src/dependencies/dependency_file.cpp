#include "dependencies/dependency_file.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/ansi_text.h"
#include "platform/background_task.h"

namespace zelvan {

namespace {

constexpr size_t kNone = std::string_view::npos;
// Below this size a second thread costs more than it saves.
constexpr size_t kParallelBytes = size_t{4} << 20;

bool Holds(std::string_view text, char c) {
  return !text.empty() && std::memchr(text.data(), c, text.size()) != nullptr;
}

// The line at `pos` without its line end (LF, or CR LF), and where the next
// one starts: lines as LineReader reads them.
std::string_view LineAt(std::string_view text, size_t pos, size_t* next) {
  const char* start = text.data() + pos;
  size_t left = text.size() - pos;
  const void* lf = std::memchr(start, '\n', left);
  size_t length = lf != nullptr ? static_cast<size_t>(static_cast<const char*>(lf) - start) : left;
  *next = lf != nullptr ? pos + length + 1 : text.size();
  if (length > 0 && start[length - 1] == '\r') --length;
  return {start, length};
}

bool IsSectionLine(std::string_view line) {
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// "<name>=<decimal count>"; false for anything else.
bool ParseCountLine(std::string_view line, std::string_view* name, int* count) {
  size_t eq = line.find('=');
  if (eq == kNone || eq == 0 || eq + 1 == line.size()) return false;
  long long value = 0;
  for (char c : line.substr(eq + 1)) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > INT_MAX) return false;
  }
  *name = line.substr(0, eq);
  *count = static_cast<int>(value);
  return true;
}

// Reads the sections of a text, or of its part from `begin`, into path ids
// of one table.
class SectionReader {
 public:
  SectionReader(std::string_view text, TextTable& paths) : text_(text), paths_(paths) {}

  // Reads from `begin` (a line start) to the end of the text. When the
  // reading reaches `stop` as the start of a line of its own (not a value
  // or stamp line of a record), it ends there and returns true.
  bool Read(size_t begin, size_t stop, std::vector<DependencySection>* sections) {
    bool in_source = false;
    size_t pos = begin;
    while (pos < text_.size()) {
      if (pos == stop) return true;
      size_t next = 0;
      std::string_view line = LineAt(text_, pos, &next);
      pos = next;
      if (IsSectionLine(line)) {
        std::string_view name = line.substr(1, line.size() - 2);
        in_source = !EqualsNoCase(name, "SYSTEM");
        if (in_source) sections->push_back(DependencySection{std::string(name), {}});
        continue;
      }
      std::string_view target;
      int count = 0;
      if (!in_source || !ParseCountLine(line, &target, &count)) continue;
      DependencyRecord record;
      if (ReadRecord(target, count, &pos, &record)) {
        sections->back().records.push_back(std::move(record));
      }
    }
    return false;
  }

 private:
  // The value lines and the stamp line after a count line; `pos` moves past
  // what the record takes. False when the record cannot be kept.
  bool ReadRecord(std::string_view target, int count, size_t* pos, DependencyRecord* record) {
    ids_.clear();
    forms_.clear();
    last_ = -1;
    bool writable = !Holds(target, '\r') && !Holds(target, '\0');
    size_t p = *pos;
    for (int i = 0; i < count; ++i) {
      if (p >= text_.size()) {
        *pos = p;
        return false;
      }
      size_t next = 0;
      std::string_view line = LineAt(text_, p, &next);
      size_t eq = KeyEnd(line, target);
      if (eq == kNone) {
        *pos = p;  // the line is the next reader's
        return false;
      }
      std::string_view value = line.substr(eq + 1);
      if (Holds(value, '\r')) writable = false;
      char form = DependencyRecord::kNoForm;
      // A form byte of 0 could not be told from no form: such a value is
      // kept whole as the path, which writes back the same bytes.
      if (value.size() >= 2 && value[1] == '|' && value[0] != '\0') {
        form = value[0];
        value.remove_prefix(2);
      }
      ids_.push_back(Intern(value));
      forms_ += form;
      p = next;
    }
    std::string stamp;
    if (p < text_.size()) {
      size_t next = 0;
      std::string_view line = LineAt(text_, p, &next);
      size_t eq = line.find('=');
      if (eq == target.size() + 5 && EqualsNoCase(line.substr(0, target.size()), target) &&
          EqualsNoCase(line.substr(target.size(), 5), "stamp")) {
        stamp.assign(line.substr(eq + 1));
        if (Holds(stamp, '\r')) writable = false;
        p = next;
      }
    }
    *pos = p;
    if (writable) {
      record->set_target(std::string(target));
      record->set_stamp(std::move(stamp));
      record->SetDependencies(paths_, ids_, forms_);
    }
    return writable;
  }

  // Where the first "=" of a value line stands (kNone: nowhere). Mostly
  // the key is the target and a number.
  static size_t KeyEnd(std::string_view line, std::string_view target) {
    size_t at = target.size();
    if (line.size() > at && std::memcmp(line.data(), target.data(), at) == 0) {
      while (at < line.size() && line[at] >= '0' && line[at] <= '9')
        ++at;
      if (at < line.size() && line[at] == '=') return at;
    }
    // The target holds no "=": the first one is not before it.
    const void* eq = std::memchr(line.data(), '=', line.size());
    return eq != nullptr ? static_cast<size_t>(static_cast<const char*>(eq) - line.data()) : kNone;
  }

  // The id of a path. Lists run alike (a header's includes come in the
  // same order in every list that reaches it), so the path that followed
  // the last one the previous time is tried first: one comparison instead
  // of a lookup, for most of a large file's lines.
  DependencyPathId Intern(std::string_view path) {
    DependencyPathId guess = last_ >= 0 ? next_[static_cast<size_t>(last_)] : first_;
    if (guess >= 0 && paths_.Text(guess) == path) {
      last_ = guess;
      return guess;
    }
    DependencyPathId id = paths_.Add(path);
    if (next_.size() < paths_.size()) next_.resize(paths_.size(), -1);
    (last_ >= 0 ? next_[static_cast<size_t>(last_)] : first_) = id;
    last_ = id;
    return id;
  }

  std::string_view text_;
  TextTable& paths_;
  std::vector<DependencyPathId> ids_;
  std::string forms_;
  std::vector<DependencyPathId> next_;  // by path id: the path after it last time, or -1
  DependencyPathId first_ = -1;         // the first path of the last list
  DependencyPathId last_ = -1;          // the path before, in the list being read
};

// Where a second reader may start: the first section line after the middle
// of the text (kNone when there is none).
size_t SplitPoint(std::string_view text) {
  for (size_t pos = text.find("\n[", text.size() / 2); pos != kNone;
       pos = text.find("\n[", pos + 1)) {
    size_t next = 0;
    if (IsSectionLine(LineAt(text, pos + 1, &next))) return pos + 1;
  }
  return kNone;
}

}  // namespace

std::vector<DependencySection> ReadDependencyFile(std::string_view text, TextTable& paths,
                                                  int threads) {
  std::vector<DependencySection> sections;
  size_t split = threads > 1 && text.size() >= kParallelBytes ? SplitPoint(text) : kNone;
  if (split == kNone) {
    SectionReader(text, paths).Read(0, kNone, &sections);
    return sections;
  }
  // The second half into a table of its own; its ids are made the
  // workspace's afterwards. It counts only when the first half's reading
  // reaches the split as a line of its own (not as a record's value line).
  TextTable second_paths;
  std::vector<DependencySection> second;
  BackgroundTask helper;
  helper.Start([&] { SectionReader(text, second_paths).Read(split, kNone, &second); });
  bool joined = SectionReader(text, paths).Read(0, split, &sections);
  helper.Wait();
  if (!joined) return sections;
  std::vector<DependencyPathId> global(second_paths.size());
  for (size_t id = 0; id < global.size(); ++id)
    global[id] = paths.Add(second_paths.Text(static_cast<int32_t>(id)));
  for (DependencySection& section : second) {
    for (DependencyRecord& record : section.records) {
      std::vector<DependencyPathId> ids(record.path_ids().begin(), record.path_ids().end());
      for (DependencyPathId& id : ids)
        id = global[static_cast<size_t>(id)];
      record.SetDependencies(paths, std::move(ids), std::string(record.forms()));
    }
    sections.push_back(std::move(section));
  }
  return sections;
}

namespace {

size_t DecimalDigits(uint64_t value) {
  size_t digits = 1;
  while (value >= 10) {
    value /= 10;
    ++digits;
  }
  return digits;
}

char* Put(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

char* PutNumber(char* out, uint64_t value) {
  size_t digits = DecimalDigits(value);
  for (size_t i = digits; i > 0; --i) {
    out[i - 1] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return out + digits;
}

// Adds 1 to the decimal number that stands in `text` from `at` on.
void CountUp(std::string* text, size_t at) {
  size_t i = text->size();
  while (i > at && (*text)[i - 1] == '9')
    (*text)[--i] = '0';
  if (i > at) {
    ++(*text)[i - 1];
  } else {
    text->insert(text->begin() + static_cast<long>(at), '1');
  }
}

// What keeps a path from being written back as it is: a line break, or
// (written without form) the shape "x|..." that would read back as form x
// (except "\0|...", which reads back as it is). Worked out once per path of
// the table most records use.
constexpr uint8_t kBreaks = 1;
constexpr uint8_t kLooksFormed = 2;

uint8_t PathFlags(std::string_view path) {
  uint8_t flags = HasLineBreak(path) ? kBreaks : 0;
  if (path.size() >= 2 && path[1] == '|' && path[0] != '\0') flags |= kLooksFormed;
  return flags;
}

}  // namespace

class DependencyFileWriter::Impl {
 public:
  explicit Impl(const std::vector<DependencySectionView>& sections) : sections_(sections) {
    for (const DependencySectionView& section : sections) {
      for (const DependencyRecord& record : *section.records) {
        if (table_ == nullptr) table_ = record.path_table();
      }
    }
    if (table_ != nullptr) {
      flags_.resize(table_->size());
      for (size_t id = 0; id < flags_.size(); ++id)
        flags_[id] = PathFlags(table_->Text(static_cast<int32_t>(id)));
    }
    first_record_.resize(sections.size() + 1, 0);
    for (size_t s = 0; s < sections.size(); ++s)
      first_record_[s + 1] = first_record_[s] + sections[s].records->size();
    writable_.resize(first_record_.back());
    offsets_.resize(sections.size() + 1, 0);
  }

  // The bytes of sections [begin, end), and which records can be written.
  void Measure(size_t begin, size_t end) {
    for (size_t s = begin; s < end; ++s) {
      const DependencySectionView& section = sections_[s];
      if (section.source.find('\n') != std::string_view::npos) continue;
      size_t size = section.source.size() + 4;
      for (size_t r = 0; r < section.records->size(); ++r) {
        const DependencyRecord& record = (*section.records)[r];
        writable_[first_record_[s] + r] = IsWritable(record);
        if (!writable_[first_record_[s] + r]) continue;
        size_t target = record.target().size();
        size += target + 1 + DecimalDigits(record.size()) + 2;
        size += target + 6 + record.stamp().size() + 2;
        size_t digits = 0;
        for (size_t i = 0; i < record.size(); ++i) {
          size += record.path(i).size();
          if (record.form(i) != DependencyRecord::kNoForm) size += 2;
        }
        for (size_t limit = 10, low = 0; low < record.size(); low = limit, limit *= 10)
          digits += (std::min(limit, record.size()) - low) * DecimalDigits(low);
        size += record.size() * (target + 3) + digits;
      }
      offsets_[s + 1] = size;
    }
  }

  // The index (see the header) of what Format writes, once Measure has
  // judged every record, with room for its header left at the front.
  std::string IndexBody(size_t header) const {
    // Paths are numbered in the order they first come; those of the table
    // most records use through a vector, others by their texts. The first
    // pass numbers and measures, the second copies into place.
    std::vector<int32_t> numbers(flags_.size(), -1);
    TextTable others;
    std::vector<int32_t> other_numbers;
    std::vector<std::string_view> texts;
    size_t size = header + 8;
    uint32_t section_count = 0;
    auto number_of = [&](const DependencyRecord& record, size_t i) -> int32_t& {
      if (record.path_table() == table_) return numbers[static_cast<size_t>(record.path_id(i))];
      size_t other = static_cast<size_t>(others.Add(record.path(i)));
      if (other == other_numbers.size()) other_numbers.push_back(-1);
      return other_numbers[other];
    };
    for (size_t s = 0; s < sections_.size(); ++s) {
      const DependencySectionView& section = sections_[s];
      if (section.source.find('\n') != std::string_view::npos) continue;
      ++section_count;
      size += 8 + section.source.size();
      for (size_t r = 0; r < section.records->size(); ++r) {
        if (!writable_[first_record_[s] + r]) continue;
        const DependencyRecord& record = (*section.records)[r];
        size += 12 + record.target().size() + record.stamp().size() + 5 * record.size();
        for (size_t i = 0; i < record.size(); ++i) {
          int32_t& number = number_of(record, i);
          if (number >= 0) continue;
          number = static_cast<int32_t>(texts.size());
          texts.push_back(record.path(i));
          size += 4 + texts.back().size();
        }
      }
    }
    std::string index(size, '\0');
    char* p = index.data() + header;
    p = Put32(p, static_cast<uint32_t>(texts.size()));
    for (std::string_view text : texts)
      p = PutText(p, text);
    p = Put32(p, section_count);
    for (size_t s = 0; s < sections_.size(); ++s) {
      const DependencySectionView& section = sections_[s];
      if (section.source.find('\n') != std::string_view::npos) continue;
      p = PutText(p, section.source);
      uint32_t count = 0;
      for (size_t r = 0; r < section.records->size(); ++r)
        count += writable_[first_record_[s] + r];
      p = Put32(p, count);
      for (size_t r = 0; r < section.records->size(); ++r) {
        if (!writable_[first_record_[s] + r]) continue;
        const DependencyRecord& record = (*section.records)[r];
        p = PutText(p, record.target());
        p = PutText(p, record.stamp());
        p = Put32(p, static_cast<uint32_t>(record.size()));
        for (size_t i = 0; i < record.size(); ++i)
          p = Put32(p, static_cast<uint32_t>(number_of(record, i)));
        p = Put(p, record.forms());
      }
    }
    return index;
  }

  static char* Put32(char* out, uint32_t value) {
    std::memcpy(out, &value, 4);
    return out + 4;
  }
  static char* PutText(char* out, std::string_view text) {
    return Put(Put32(out, static_cast<uint32_t>(text.size())), text);
  }

  const std::vector<DependencySectionView>& sections() const { return sections_; }
  // Where section `s` starts (after Place), or the text's end for the count.
  size_t offset(size_t s) const { return offsets_[s]; }

  // Places the sections once all are measured.
  size_t Place() {
    for (size_t s = 0; s < sections_.size(); ++s)
      offsets_[s + 1] += offsets_[s];
    return offsets_.back();
  }

  // The lines of sections [begin, end) at their places in `out`: the
  // profile lines of CountedList::WriteList for each record.
  // `out` holds the text from offset `base` on.
  void Format(size_t begin, size_t end, char* out, size_t base = 0) const {
    std::string key;
    for (size_t s = begin; s < end; ++s) {
      const DependencySectionView& section = sections_[s];
      // A name with a line feed would not read back; a carriage return
      // inside it does, as it is.
      if (section.source.find('\n') != std::string_view::npos) continue;
      char* p = out + (offsets_[s] - base);
      *p++ = '[';
      p = Put(p, section.source);
      p = Put(p, "]\r\n");
      for (size_t r = 0; r < section.records->size(); ++r) {
        if (!writable_[first_record_[s] + r]) continue;
        const DependencyRecord& record = (*section.records)[r];
        std::string_view target = record.target();
        p = Put(p, target);
        *p++ = '=';
        p = PutNumber(p, record.size());
        p = Put(p, "\r\n");
        // The key of a value line: the target and its number, counted up
        // in place.
        key.assign(target);
        key += '0';
        for (size_t i = 0; i < record.size(); ++i) {
          if (i > 0) CountUp(&key, target.size());
          p = Put(p, key);
          *p++ = '=';
          char form = record.form(i);
          if (form != DependencyRecord::kNoForm) {
            *p++ = form;
            *p++ = '|';
          }
          p = Put(p, record.path(i));
          p = Put(p, "\r\n");
        }
        p = Put(p, target);
        p = Put(p, "stamp=");
        p = Put(p, record.stamp());
        p = Put(p, "\r\n");
      }
    }
  }

 private:
  bool IsWritable(const DependencyRecord& record) const {
    const std::string& target = record.target();
    if (target.empty() || Holds(target, '=') || HasLineBreak(target) || Holds(target, '\0') ||
        HasLineBreak(record.stamp())) {
      return false;
    }
    bool known = record.path_table() == table_;
    for (size_t i = 0; i < record.size(); ++i) {
      char form = record.form(i);
      uint8_t flags =
          known ? flags_[static_cast<size_t>(record.path_id(i))] : PathFlags(record.path(i));
      if ((flags & kBreaks) != 0 || form == '\r' || form == '\n') return false;
      if (form == DependencyRecord::kNoForm && (flags & kLooksFormed) != 0) return false;
    }
    return true;
  }

  const std::vector<DependencySectionView>& sections_;
  const TextTable* table_ = nullptr;
  std::vector<uint8_t> flags_;        // by path id of table_
  std::vector<size_t> first_record_;  // by section: index of its first record
  std::vector<uint8_t> writable_;     // by record
  std::vector<size_t> offsets_;       // by section: where it is written
};

DependencyFileWriter::DependencyFileWriter(const std::vector<DependencySectionView>& sections)
    : impl_(std::make_unique<Impl>(sections)) {}

DependencyFileWriter::~DependencyFileWriter() = default;

size_t DependencyFileWriter::Measure(int threads) {
  Impl& writer = *impl_;
  if (placed_) return writer.offset(writer.sections().size());
  // Sizes first, so that each section is copied straight to its place; with
  // two threads each works out one half (by dependencies).
  const std::vector<DependencySectionView>& sections = writer.sections();
  size_t dependencies = 0;
  for (const DependencySectionView& section : sections) {
    for (const DependencyRecord& record : *section.records)
      dependencies += record.size() + 2;
  }
  size_t half = sections.size();
  if (threads > 1 && dependencies * 32 >= kParallelBytes) {
    size_t seen = 0;
    for (half = 0; half < sections.size() && seen < dependencies / 2; ++half) {
      for (const DependencyRecord& record : *sections[half].records)
        seen += record.size() + 2;
    }
  }
  if (half == sections.size()) {
    writer.Measure(0, sections.size());
  } else {
    BackgroundTask helper;
    helper.Start([&] { writer.Measure(half, sections.size()); });
    writer.Measure(0, half);
    helper.Wait();
  }
  placed_ = true;
  return writer.Place();
}

DependencyFileText DependencyFileWriter::Format(int threads) {
  Impl& writer = *impl_;
  const std::vector<DependencySectionView>& sections = writer.sections();
  DependencyFileText text;
  text.size = Measure(threads);
  text.bytes.reset(new char[std::max<size_t>(text.size, 1)]);
  writer.Format(0, sections.size(), text.bytes.get());
  return text;
}

bool DependencyFileWriter::Write(int threads, const std::function<bool(std::string_view)>& append,
                                 size_t piece_bytes) {
  Impl& writer = *impl_;
  const size_t count = writer.sections().size();
  Measure(threads);
  // Pieces of whole sections, about `piece_bytes` each.
  std::vector<size_t> starts{0};
  size_t largest = 0;
  for (size_t s = 0; s < count; ++s) {
    if (writer.offset(s + 1) - writer.offset(starts.back()) >= piece_bytes || s + 1 == count) {
      largest = std::max(largest, writer.offset(s + 1) - writer.offset(starts.back()));
      starts.push_back(s + 1);
    }
  }
  // Two buffers, used in turn: with two threads the next piece is formatted
  // while this one is written. The same memory serves every piece.
  std::unique_ptr<char[]> buffers[2] = {std::make_unique_for_overwrite<char[]>(largest + 1),
                                        std::make_unique_for_overwrite<char[]>(largest + 1)};
  auto format = [&](size_t piece) {
    writer.Format(starts[piece], starts[piece + 1], buffers[piece % 2].get(),
                  writer.offset(starts[piece]));
  };
  size_t pieces = starts.size() - 1;
  if (pieces > 0) format(0);
  for (size_t piece = 0; piece < pieces; ++piece) {
    BackgroundTask helper;
    const bool beside = threads > 1 && piece + 1 < pieces;
    if (beside) helper.Start([&format, piece] { format(piece + 1); });
    size_t begin = writer.offset(starts[piece]);
    bool ok = append(
        std::string_view(buffers[piece % 2].get(), writer.offset(starts[piece + 1]) - begin));
    if (beside) {
      helper.Wait();
    } else if (ok && piece + 1 < pieces) {
      format(piece + 1);
    }
    if (!ok) return false;
  }
  return true;
}

namespace {

constexpr char kIndexMagic[4] = {'Z', 'K', 'D', 'X'};
constexpr uint32_t kIndexVersion = 1;
constexpr size_t kIndexHeader = 4 + 4 + 8 + 8 + 8 + 8;

// Reads an index's numbers and texts; any read past the end fails it.
class IndexReader {
 public:
  explicit IndexReader(std::string_view bytes) : p_(bytes.data()), end_(p_ + bytes.size()) {}
  bool ok() const { return ok_; }
  bool at_end() const { return p_ == end_; }
  size_t left() const { return static_cast<size_t>(end_ - p_); }
  template <typename T>
  T Number() {
    T value{};
    if (left() < sizeof(T)) {
      ok_ = false;
      return value;
    }
    std::memcpy(&value, p_, sizeof(T));
    p_ += sizeof(T);
    return value;
  }
  std::string_view Bytes(size_t size) {
    if (!ok_ || left() < size) {
      ok_ = false;
      return {};
    }
    std::string_view bytes(p_, size);
    p_ += size;
    return bytes;
  }
  std::string_view Text() { return Bytes(Number<uint32_t>()); }

 private:
  const char* p_;
  const char* end_;
  bool ok_ = true;
};

}  // namespace

std::string DependencyFileWriter::IndexBody() {
  Measure();
  return impl_->IndexBody(kIndexHeader);
}

DependencyFileText FormatDependencySections(const std::vector<DependencySectionView>& sections,
                                            int threads) {
  return DependencyFileWriter(sections).Format(threads);
}

std::string FormatDependencyIndex(const std::vector<DependencySectionView>& sections,
                                  const FileStatus& text) {
  return DependencyIndex(DependencyFileWriter(sections).IndexBody(), text);
}

std::string DependencyIndex(std::string index, const FileStatus& text) {
  std::string_view body = std::string_view(index).substr(kIndexHeader);
  char* p = index.data();
  auto put = [&p](auto value) {
    std::memcpy(p, &value, sizeof(value));
    p += sizeof(value);
  };
  std::memcpy(p, kIndexMagic, 4);
  p += 4;
  put(kIndexVersion);
  put(static_cast<uint64_t>(text.size));
  put(static_cast<int64_t>(text.mtime_ns));
  put(static_cast<uint64_t>(body.size()));
  put(HashText(body));
  return index;
}

bool ReadDependencyIndex(std::string_view index, const FileStatus& text, TextTable& paths,
                         std::vector<DependencySection>* sections) {
  sections->clear();
  IndexReader header(index.substr(0, std::min(index.size(), kIndexHeader)));
  if (header.Bytes(4) != std::string_view(kIndexMagic, 4) ||
      header.Number<uint32_t>() != kIndexVersion || header.Number<uint64_t>() != text.size ||
      header.Number<int64_t>() != text.mtime_ns ||
      header.Number<uint64_t>() != index.size() - std::min(index.size(), kIndexHeader)) {
    return false;
  }
  std::string_view body = index.substr(kIndexHeader);
  if (header.Number<uint64_t>() != HashText(body) || !header.ok()) return false;
  IndexReader in(body);
  uint32_t path_count = in.Number<uint32_t>();
  if (path_count > in.left() / 4) return false;
  std::vector<DependencyPathId> ids(path_count);
  for (DependencyPathId& id : ids) {
    std::string_view path = in.Text();
    if (!in.ok()) return false;
    id = paths.Add(path);
  }
  uint32_t section_count = in.Number<uint32_t>();
  if (section_count > in.left() / 8) return false;
  sections->reserve(section_count);
  std::vector<DependencyPathId> record_ids;
  for (uint32_t s = 0; s < section_count && in.ok(); ++s) {
    DependencySection& section = sections->emplace_back();
    section.source = in.Text();
    uint32_t record_count = in.Number<uint32_t>();
    if (record_count > in.left() / 12) {
      sections->clear();
      return false;
    }
    for (uint32_t r = 0; r < record_count && in.ok(); ++r) {
      DependencyRecord& record = section.records.emplace_back(std::string(in.Text()));
      record.set_stamp(std::string(in.Text()));
      uint32_t count = in.Number<uint32_t>();
      if (count > in.left() / 5) {
        sections->clear();
        return false;
      }
      record_ids.resize(count);
      for (DependencyPathId& id : record_ids) {
        uint32_t number = in.Number<uint32_t>();
        if (number >= path_count) {
          sections->clear();
          return false;
        }
        id = ids[number];
      }
      record.SetDependencies(paths, record_ids, std::string(in.Bytes(count)));
    }
  }
  if (!in.ok() || !in.at_end()) {
    sections->clear();
    return false;
  }
  return true;
}

std::string WriteDependencyFile(const std::vector<DependencySection>& sections) {
  std::vector<DependencySectionView> views;
  views.reserve(sections.size());
  for (const DependencySection& section : sections)
    views.push_back({section.source, &section.records});
  return std::string(FormatDependencySections(views).view());
}

std::vector<std::string> DistributeDependencySections(
    std::vector<DependencySection> sections,
    const std::function<std::vector<DependencyRecord>*(std::string_view)>& find_source) {
  std::vector<std::string> unknown;
  for (DependencySection& section : sections) {
    std::vector<DependencyRecord>* records = find_source(ToLowerAscii(section.source));
    if (records == nullptr) {
      unknown.push_back(std::move(section.source));
      continue;
    }
    for (DependencyRecord& record : section.records) {
      DependencyRecord* existing = FindDependencyRecord(*records, record.target());
      if (existing != nullptr) {
        *existing = std::move(record);
      } else {
        records->push_back(std::move(record));
      }
    }
  }
  return unknown;
}

}  // namespace zelvan

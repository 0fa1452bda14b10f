#include "dependencies/dependency_file.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>

#include "dependencies/dependency_file_internal.h"
#include "platform/ansi_text.h"
#include "platform/background_task.h"

namespace zelvan {

using namespace dependency_file_internal;  // NOLINT(google-build-using-namespace)

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

}  // namespace zelvan

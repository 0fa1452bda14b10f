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

constexpr size_t kNone = std::string_view::npos;

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

constexpr char kIndexMagic[4] = {'Z', 'K', 'D', 'X'};
constexpr uint32_t kIndexVersion = 1;

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

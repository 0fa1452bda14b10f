#include "dependencies/dependency_staleness.h"

#include <algorithm>

#include "platform/file_system.h"
#include "platform/win_path.h"
#include "storage/time_stamp.h"

namespace zelvan {

namespace {

constexpr int64_t kNewest = 99991231235959;

// The stamp "YYYY-MM-DD hh:mm:ss" as the number YYYYMMDDhhmmss, which
// orders as the text does; -1 for any other text.
int64_t StampNumber(std::string_view stamp) {
  static constexpr char kShape[] = "0000-00-00 00:00:00";
  if (stamp.size() != sizeof(kShape) - 1) return -1;
  int64_t number = 0;
  for (size_t i = 0; i < stamp.size(); ++i) {
    char c = stamp[i];
    if (kShape[i] == '0') {
      if (c < '0' || c > '9') return -1;
      number = number * 10 + (c - '0');
    } else if (c != kShape[i]) {
      return -1;
    }
  }
  return number;
}

// StampNumber(FormatTimeStamp(time)) without the text: -1 when a field
// would not fit its digits (the text would not have the stamp's shape).
int64_t TimeNumber(const LocalTime& time) {
  const int fields[] = {time.year, time.month, time.day, time.hour, time.minute, time.second};
  int64_t number = 0;
  for (size_t i = 0; i < 6; ++i) {
    int limit = i == 0 ? 10000 : 100;
    if (fields[i] < 0 || fields[i] >= limit) return -1;
    number = number * limit + fields[i];
  }
  return number;
}

}  // namespace

ModificationTimeCache::ModificationTimeCache(FileReader& fs) : fs_(fs) {}

void ModificationTimeCache::SetBaseDirectory(std::string_view dir) {
  std::string directory = dir.empty() ? std::string() : AppendLastSlash(dir);
  std::unique_ptr<Base>& base = bases_[directory];
  if (!base) {
    base = std::make_unique<Base>();
    base->directory = std::move(directory);
  }
  base_ = base.get();
}

void ModificationTimeCache::BeginRefresh() {
  // After 2^32 refreshes the numbers would repeat: start them over.
  if (++refresh_ == 0) {
    std::fill(asked_.begin(), asked_.end(), 0);
    refresh_ = 1;
  }
}

int32_t ModificationTimeCache::FileOf(std::string_view path) {
  if (base_ == nullptr) SetBaseDirectory({});
  // Without a base directory a path is taken against the file system's
  // current directory.
  if (base_->directory.empty() || !GetFullPathName(path, base_->directory, &full_)) {
    full_.assign(path);
  }
  int32_t file = files_.Add(full_);
  if (static_cast<size_t>(file) == times_.size()) {
    times_.push_back(-1);
    asked_.push_back(0);
  }
  return file;
}

int64_t ModificationTimeCache::Time(int32_t file) {
  size_t f = static_cast<size_t>(file);
  if (asked_[f] == refresh_) return times_[f];
  asked_[f] = refresh_;
  ++stat_calls_;
  int64_t time = -1;
  FileStatus status;
  if (fs_.Stat(files_.Text(file), &status) && !status.is_directory) {
    // A time outside the years 0 to 9999 has no stamp of the usual shape;
    // it counts as newer than any stamp, which errs towards a new scan.
    time = TimeNumber(status.mtime_local);
    if (time < 0) time = kNewest;
  }
  times_[f] = time;
  return time;
}

int64_t ModificationTimeCache::TimeOf(std::string_view path) {
  return Time(FileOf(path));
}

int64_t ModificationTimeCache::TimeOf(const TextTable& paths, DependencyPathId id) {
  if (base_ == nullptr) SetBaseDirectory({});
  Base& base = *base_;
  if (base.paths != &paths) {
    base.paths = &paths;
    base.files.clear();
  }
  size_t index = static_cast<size_t>(id);
  if (index >= base.files.size()) base.files.resize(paths.size(), -1);
  int32_t& file = base.files[index];
  if (file < 0) file = FileOf(paths.Text(id));
  return Time(file);
}

const std::string* ModificationTimeCache::Stamp(std::string_view path) {
  int64_t t = TimeOf(path);
  if (t < 0) return nullptr;
  if (t == kNewest) {
    stamp_ = "9999-12-31 23:59:59";
    return &stamp_;
  }
  int fields[6];
  for (int i = 5; i >= 0; --i) {
    int64_t div = i == 0 ? 10000 : 100;
    fields[i] = static_cast<int>(t % div);
    t /= div;
  }
  LocalTime time{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
  stamp_ = FormatTimeStamp(time);
  return &stamp_;
}

void ModificationTimeCache::Clear() {
  bases_.clear();
  base_ = nullptr;
  files_.Clear();
  times_.clear();
  asked_.clear();
  stat_calls_ = 0;
}

bool IsDependencyStale(const std::vector<DependencyRecord>& records, std::string_view target,
                       std::string_view source_path, ModificationTimeCache& times) {
  const DependencyRecord* record = FindDependencyRecord(records, target);
  if (record == nullptr) return true;
  int64_t stamp = StampNumber(record->stamp());
  if (stamp < 0) {
    // A stamp of another shape (edited by hand): compare the texts.
    const std::string* source = times.Stamp(source_path);
    if (source == nullptr) return false;
    if (*source >= record->stamp()) return true;
    for (size_t i = 0; i < record->size(); ++i) {
      const std::string* modified = times.Stamp(record->path(i));
      if (modified != nullptr && *modified >= record->stamp()) return true;
    }
    return false;
  }
  int64_t source = times.TimeOf(source_path);
  if (source < 0) return false;
  if (source >= stamp) return true;
  // An unreadable dependency (-1) makes nothing stale.
  if (record->empty()) return false;
  const TextTable& paths = *record->path_table();
  for (DependencyPathId id : record->path_ids()) {
    if (times.TimeOf(paths, id) >= stamp) return true;
  }
  return false;
}

}  // namespace zelvan

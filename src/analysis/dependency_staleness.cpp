#include "analysis/dependency_staleness.h"

#include <algorithm>
#include <atomic>

#include "platform/file_system.h"
#include "platform/win_path.h"
#include "storage/time_stamp.h"

namespace zelvan {

// A record's list as ids of one table, and its newest time in the refresh
// that last asked.
struct DependencyPathIds {
  uint64_t table = 0;
  std::vector<uint32_t> ids;
  uint32_t computed = 0;  // the refresh `newest` was worked out in; 0 never
  int64_t newest = -1;
};

namespace {
// Tables of all caches are numbered apart, so ids kept on a record are
// never taken for ids of another table.
std::atomic<uint64_t> next_table_serial{1};
}  // namespace

ModificationTimeCache::ModificationTimeCache(FileSystem& fs) : fs_(fs) {}

void ModificationTimeCache::SetBaseDirectory(std::string_view dir) {
  std::string base = dir.empty() ? std::string() : AppendLastSlash(dir);
  std::unique_ptr<Table>& table = tables_[base];
  if (!table) {
    table = std::make_unique<Table>();
    table->serial = next_table_serial++;
    table->base_directory = base;
  }
  table_ = table.get();
}

void ModificationTimeCache::BeginRefresh() {
  // After 2^32 refreshes the numbers would repeat; a list then takes the
  // newest time of a refresh long past. Ids are made anew instead.
  if (++refresh_ == 0) {
    std::string base = table_ != nullptr ? table_->base_directory : std::string();
    Clear();
    SetBaseDirectory(base);
    refresh_ = 1;
  }
}

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

uint32_t ModificationTimeCache::Intern(std::string_view path) {
  if (table_ == nullptr) SetBaseDirectory({});
  Table& table = *table_;
  size_t known = table.paths.size();
  int32_t id = table.paths.Add(path);
  if (static_cast<size_t>(id) == known) {
    // Without a base directory a path is taken against the file system's
    // current directory.
    std::string full;
    if (table.base_directory.empty() || !GetFullPathName(path, table.base_directory, &full)) {
      full.assign(path);
    }
    table.full_ids.push_back(table.full_paths.Add(full));
    table.times.push_back(kTimeUnknown);
  }
  return static_cast<uint32_t>(id);
}

void ModificationTimeCache::AskTable() {
  if (table_ == nullptr) SetBaseDirectory({});
  Table& table = *table_;
  if (table.asked == refresh_) return;
  table.asked = refresh_;
  bool changed = false;
  for (uint32_t id = 0; id < table.paths.size(); ++id) {
    int64_t before = table.times[id];
    if (StatEntry(id) != before) changed = true;
  }
  if (changed) table.changed = refresh_;
}

int64_t ModificationTimeCache::StatEntry(uint32_t id) {
  Table& table = *table_;
  std::string_view full = table.full_paths.Text(table.full_ids[id]);
  ++stat_calls_;
  int64_t time = -1;
  FileStatus status;
  if (fs_.Stat(full, &status) && !status.is_directory) {
    // A time outside the years 0 to 9999 has no stamp of the usual shape;
    // it counts as newer than any stamp, which errs towards a new scan.
    time = TimeNumber(status.mtime_local);
    if (time < 0) time = kNewest;
  }
  table.times[id] = time;
  return time;
}

DependencyPathIds& ModificationTimeCache::IdsOf(const CDependencyRecord& record,
                                                const std::vector<CDependencyRecord>& records) {
  const std::shared_ptr<DependencyPathIds>& kept = record.path_ids();
  if (kept && kept->table == table_->serial) return *kept;
  for (const CDependencyRecord& other : records) {
    const std::shared_ptr<DependencyPathIds>& ids = other.path_ids();
    if (&other != &record && ids && ids->table == table_->serial &&
        other.paths() == record.paths()) {
      record.set_path_ids(ids);
      return *ids;
    }
  }
  auto ids = std::make_shared<DependencyPathIds>();
  ids->table = table_->serial;
  ids->ids.reserve(record.paths().size());
  for (const std::string& path : record.paths())
    ids->ids.push_back(Intern(path));
  record.set_path_ids(ids);
  return *ids;
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
  tables_.clear();
  table_ = nullptr;
  stat_calls_ = 0;
}

bool IsDependencyStale(const std::vector<CDependencyRecord>& records, std::string_view target,
                       std::string_view source_path, ModificationTimeCache& times) {
  const CDependencyRecord* record = FindDependencyRecord(records, target);
  if (record == nullptr) return true;
  int64_t stamp = StampNumber(record->stamp());
  if (stamp < 0) {
    // A stamp of another shape (edited by hand): compare the texts.
    const std::string* source = times.Stamp(source_path);
    if (source == nullptr) return false;
    if (*source > record->stamp()) return true;
    for (const std::string& path : record->paths()) {
      const std::string* modified = times.Stamp(path);
      if (modified != nullptr && *modified > record->stamp()) return true;
    }
    return false;
  }
  int64_t source = times.TimeOf(source_path);
  if (source < 0) return false;
  if (source > stamp) return true;
  // An unreadable dependency (-1) makes nothing stale: only the newest
  // readable time counts. It holds while no time of the table changed.
  DependencyPathIds& ids = times.IdsOf(*record, records);
  if (ids.computed == 0 || ids.computed < times.table_->changed) {
    int64_t newest = -1;
    for (uint32_t id : ids.ids)
      newest = std::max(newest, times.TimeOf(id));
    ids.newest = newest;
    ids.computed = times.refresh_;
  }
  return ids.newest > stamp;
}

}  // namespace zelvan

#include "analysis/dependency_staleness.h"

#include <algorithm>
#include <cstring>

#include "platform/file_system.h"
#include "platform/win_path.h"
#include "storage/time_stamp.h"

namespace zelvan {

void ModificationTimeCache::SetBaseDirectory(std::string_view dir) {
  base_directory_ = dir.empty() ? std::string() : AppendLastSlash(dir);
  std::unique_ptr<Table>& table = tables_[base_directory_];
  if (!table) table = std::make_unique<Table>();
  table_ = table.get();
}

namespace {

// A quick hash of short texts, eight bytes at a time.
uint64_t HashPath(std::string_view text) {
  uint64_t hash = 0x9E3779B97F4A7C15ull ^ text.size();
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t chunk;
    std::memcpy(&chunk, text.data() + i, 8);
    hash = (hash ^ chunk) * 0xBF58476D1CE4E5B9ull;
    hash ^= hash >> 31;
  }
  uint64_t tail = 0;
  std::memcpy(&tail, text.data() + i, text.size() - i);
  hash = (hash ^ tail) * 0x94D049BB133111EBull;
  return hash ^ (hash >> 29);
}

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

}  // namespace

const ModificationTimeCache::Entry& ModificationTimeCache::Lookup(std::string_view path) {
  if (table_ == nullptr) SetBaseDirectory({});
  Table& table = *table_;
  uint64_t hash = HashPath(path);
  size_t mask = table.slots.empty() ? 0 : table.slots.size() - 1;
  size_t slot = hash & mask;
  if (!table.slots.empty()) {
    for (; table.slots[slot] != 0; slot = (slot + 1) & mask) {
      const Entry& entry = table.entries[table.slots[slot] - 1];
      if (entry.hash == hash && entry.length == path.size() &&
          std::memcmp(table.arena.data() + entry.offset, path.data(), path.size()) == 0) {
        return entry;
      }
    }
  }

  // A new path: ask the file system. Without a base directory it takes
  // relative paths against its current directory.
  std::string full;
  if (base_directory_.empty() || !GetFullPathName(path, base_directory_, &full)) {
    full.assign(path);
  }
  ++stat_calls_;
  Entry entry;
  entry.hash = hash;
  entry.offset = static_cast<uint32_t>(table.arena.size());
  entry.length = static_cast<uint32_t>(path.size());
  FileStatus status;
  if (fs_.Stat(full, &status) && !status.is_directory) {
    // A time outside the years 0 to 9999 has no stamp of the usual shape;
    // it counts as newer than any stamp, which errs towards a new scan.
    entry.time = StampNumber(FormatTimeStamp(status.mtime_local));
    if (entry.time < 0) entry.time = kNewest;
  }
  table.arena.append(path);
  table.entries.push_back(entry);
  // At most half full, so probe runs stay short.
  if (table.entries.size() * 2 > table.slots.size()) {
    table.slots.assign(std::max<size_t>(64, table.slots.size() * 2), 0);
    mask = table.slots.size() - 1;
    for (size_t e = 0; e < table.entries.size(); ++e) {
      size_t i = table.entries[e].hash & mask;
      while (table.slots[i] != 0)
        i = (i + 1) & mask;
      table.slots[i] = static_cast<uint32_t>(e + 1);
    }
  } else {
    table.slots[slot] = static_cast<uint32_t>(table.entries.size());
  }
  return table.entries.back();
}

const std::string* ModificationTimeCache::Stamp(std::string_view path) {
  const Entry& entry = Lookup(path);
  if (entry.time < 0) return nullptr;
  if (entry.time == kNewest) {
    stamp_ = "9999-12-31 23:59:59";
    return &stamp_;
  }
  int64_t t = entry.time;
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
  base_directory_.clear();
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
  int64_t source = times.Lookup(source_path).time;
  if (source < 0) return false;
  if (source > stamp) return true;
  for (const std::string& path : record->paths()) {
    if (times.Lookup(path).time > stamp) return true;
  }
  return false;
}

}  // namespace zelvan

#include "analysis/dependency_staleness.h"

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

const std::string* ModificationTimeCache::Stamp(std::string_view path) {
  if (table_ == nullptr) SetBaseDirectory({});
  auto it = table_->find(path);
  if (it == table_->end()) {
    // Without a base directory the file system takes relative paths
    // against its current directory.
    std::string full;
    if (base_directory_.empty() || !GetFullPathName(path, base_directory_, &full)) {
      full.assign(path);
    }
    ++stat_calls_;
    FileStatus status;
    std::optional<std::string> stamp;
    if (fs_.Stat(full, &status) && !status.is_directory) {
      stamp = FormatTimeStamp(status.mtime_local);
    }
    it = table_->emplace(std::string(path), std::move(stamp)).first;
  }
  return it->second ? &*it->second : nullptr;
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
  const std::string* source = times.Stamp(source_path);
  if (source == nullptr) return false;
  const std::string& stamp = record->stamp();
  if (*source > stamp) return true;
  for (const std::string& path : record->paths()) {
    const std::string* modified = times.Stamp(path);
    if (modified != nullptr && *modified > stamp) return true;
  }
  return false;
}

}  // namespace zelvan

// Whether a source's dependency record for a target is out of date, and the
// cache of modification times that makes the test cheap when a refresh
// checks every source of every target.
//
// A record is stale when there is none for the target, or when the source
// or one of its recorded files was modified after the record's stamp (the
// modification time in stamp form compared as text). A source whose status
// cannot be read is not stale (there is nothing to scan). A recorded file
// whose status cannot be read (deleted, or an unresolved include recorded
// by its guessed path) does not make the record stale by itself, and the
// files after it are still checked.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/text_table.h"
#include "model/dependency_record.h"

namespace zelvan {

class FileSystem;

// Modification times in stamp form, each file asked of the file system once
// per refresh. Files are assumed not to change while a refresh runs.
//
// The paths met are kept from refresh to refresh, each with an id; records
// keep their lists as ids of these tables (CDependencyRecord::path_ids),
// shared by the records of a source whose lists are equal (mostly: every
// target of a source), with the newest time of the list. The first use of
// a table in a refresh asks the file system about all its files at once;
// when no time changed since a list's newest time was worked out, that
// time still holds. So a refresh with nothing changed asks about each file
// once and looks at each record, not at each of its paths; a path is
// looked up by its text only where a list is new or changed.
class ModificationTimeCache {
 public:
  explicit ModificationTimeCache(FileSystem& fs);
  ModificationTimeCache(const ModificationTimeCache&) = delete;
  ModificationTimeCache& operator=(const ModificationTimeCache&) = delete;

  // Relative paths are taken against `dir` (a full directory path) from now
  // on. Each directory keeps its own table, so paths are looked up as they
  // are stored, without being made full each time.
  void SetBaseDirectory(std::string_view dir);

  // Starts a new refresh: modification times are asked for again (on a
  // table's first use); the paths and their ids stay.
  void BeginRefresh();

  // The modification time of `path` as "%04d-%02d-%02d %02d:%02d:%02d", or
  // null when its status cannot be read (or it is a directory). The text
  // stays valid until the next call.
  const std::string* Stamp(std::string_view path);

  // Forgets everything, paths included.
  void Clear();
  size_t stat_calls() const { return stat_calls_; }

 private:
  friend bool IsDependencyStale(const std::vector<CDependencyRecord>&, std::string_view,
                                std::string_view, ModificationTimeCache&);

  // Paths as stored, by id, with their full paths and times. A refresh
  // looks up every dependency of every record (over a million lookups in a
  // large workspace), so the paths sit in a TextTable rather than a
  // node-based map; the times sit apart so that the test of a long list
  // reads a small array. A time is the stamp as the number YYYYMMDDhhmmss,
  // -1 unreadable, kTimeUnknown not yet asked.
  static constexpr int64_t kTimeUnknown = -2;
  struct Table {
    uint64_t serial = 0;  // names the table in DependencyPathIds
    std::string base_directory;
    TextTable paths;
    TextTable full_paths;
    std::vector<int32_t> full_ids;  // by path id
    std::vector<int64_t> times;     // by path id
    uint32_t asked = 0;             // the refresh whose times `times` holds
    uint32_t changed = 0;           // the last refresh in which a time changed
  };
  // The id of `path` in the current table, adding it when new.
  uint32_t Intern(std::string_view path);
  // The time of entry `id` of the current table for this refresh, which
  // must have been asked for (AskTable).
  int64_t TimeOf(uint32_t id) {
    int64_t time = table_->times[id];
    return time != kTimeUnknown ? time : StatEntry(id);
  }
  int64_t StatEntry(uint32_t id);
  int64_t TimeOf(std::string_view path) {
    AskTable();
    return TimeOf(Intern(path));
  }
  // Asks for the times of the current table's files, once per refresh.
  void AskTable();
  // The ids of a record's paths in the current table, shared with another
  // record of the same source whose list is equal.
  DependencyPathIds& IdsOf(const CDependencyRecord& record,
                           const std::vector<CDependencyRecord>& records);

  FileSystem& fs_;
  std::unordered_map<std::string, std::unique_ptr<Table>> tables_;  // by base directory
  Table* table_ = nullptr;
  uint32_t refresh_ = 1;  // numbers the refreshes, for DependencyPathIds
  std::string stamp_;     // Stamp's answer
  size_t stat_calls_ = 0;
};

// The staleness test of `source_path` (as the source is named, full or
// relative to the cache's base directory) for `target`. `records` are all
// records of the source.
bool IsDependencyStale(const std::vector<CDependencyRecord>& records, std::string_view target,
                       std::string_view source_path, ModificationTimeCache& times);

}  // namespace zelvan

// Whether a source's dependency record for a target is out of date, and the
// cache of modification times that makes the test cheap when a refresh
// checks every source of every target.
//
// A record is stale when there is none for the target, or when the source
// or one of its recorded files was modified in the second of the record's
// stamp or after it (the modification time in stamp form compared as text).
// Stamps hold whole seconds and are taken when the refresh begins, so a file
// changed after it was read, even within that second, is never taken for
// current. A source whose status
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

#include "model/dependency_record.h"
#include "storage/text_table.h"

namespace zelvan {

class FileReader;

// Modification times in stamp form, each file asked of the file system once
// per refresh. Files are assumed not to change while a refresh runs.
//
// Records name their dependencies by ids of the workspace's path table,
// relative to their project's directory; the cache keeps, per directory,
// the file each id names (a full path, by id of its own), and per file the
// time of the current refresh. A refresh with nothing changed thus asks
// about each distinct file once and looks at each dependency as an index.
class ModificationTimeCache {
 public:
  explicit ModificationTimeCache(FileReader& fs);
  ModificationTimeCache(const ModificationTimeCache&) = delete;
  ModificationTimeCache& operator=(const ModificationTimeCache&) = delete;

  // Relative paths are taken against `dir` (a full directory path) from now
  // on.
  void SetBaseDirectory(std::string_view dir);

  // Starts a new refresh: modification times are asked for again; what
  // paths name stays.
  void BeginRefresh();

  // The modification time of `path` as "%04d-%02d-%02d %02d:%02d:%02d", or
  // null when its status cannot be read (or it is a directory). The text
  // stays valid until the next call.
  const std::string* Stamp(std::string_view path);

  // The time as the number YYYYMMDDhhmmss (ordered as the stamp text is),
  // -1 when the status cannot be read: of a path, and of path `id` of
  // `paths`.
  int64_t TimeOf(std::string_view path);
  int64_t TimeOf(const TextTable& paths, DependencyPathId id);

  // Forgets everything.
  void Clear();
  size_t stat_calls() const { return stat_calls_; }

 private:
  // What the ids of one path table name under one base directory.
  struct Base {
    std::string directory;
    const TextTable* paths = nullptr;
    std::vector<int32_t> files;  // by path id: id in files_, -1 not yet known
  };
  int32_t FileOf(std::string_view path);
  int64_t Time(int32_t file);

  FileReader& fs_;
  std::unordered_map<std::string, std::unique_ptr<Base>> bases_;  // by directory
  Base* base_ = nullptr;
  TextTable files_;              // full paths
  std::vector<int64_t> times_;   // by file
  std::vector<uint32_t> asked_;  // by file: the refresh its time is from
  uint32_t refresh_ = 1;
  std::string stamp_;  // Stamp's answer
  std::string full_;   // FileOf's buffer
  size_t stat_calls_ = 0;
};

// The staleness test of `source_path` (as the source is named, full or
// relative to the cache's base directory) for `target`. `records` are all
// records of the source.
bool IsDependencyStale(const std::vector<DependencyRecord>& records, std::string_view target,
                       std::string_view source_path, ModificationTimeCache& times);

}  // namespace zelvan

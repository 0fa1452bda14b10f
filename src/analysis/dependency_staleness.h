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

#include "model/dependency_record.h"

namespace zelvan {

class FileSystem;

// Modification times in stamp form, each file asked of the file system once
// per refresh. Files are assumed not to change while a refresh runs.
class ModificationTimeCache {
 public:
  explicit ModificationTimeCache(FileSystem& fs) : fs_(fs) {}
  ModificationTimeCache(const ModificationTimeCache&) = delete;
  ModificationTimeCache& operator=(const ModificationTimeCache&) = delete;

  // Relative paths are taken against `dir` (a full directory path) from now
  // on. Each directory keeps its own table, so paths are looked up as they
  // are stored, without being made full each time.
  void SetBaseDirectory(std::string_view dir);

  // The modification time of `path` as "%04d-%02d-%02d %02d:%02d:%02d", or
  // null when its status cannot be read (or it is a directory). The text
  // stays valid until the next call.
  const std::string* Stamp(std::string_view path);

  void Clear();
  size_t stat_calls() const { return stat_calls_; }

 private:
  friend bool IsDependencyStale(const std::vector<CDependencyRecord>&, std::string_view,
                                std::string_view, ModificationTimeCache&);

  // Paths as stored, with their times: an open-addressing table over one
  // text arena, since a refresh looks up every dependency of every record
  // (over a million lookups in a large workspace), where a node-based map
  // costs several times as much per lookup.
  struct Entry {
    uint64_t hash = 0;
    uint32_t offset = 0;  // of the path in `arena`
    uint32_t length = 0;
    int64_t time = -1;  // the stamp as the number YYYYMMDDhhmmss; -1 unreadable
  };
  struct Table {
    std::string arena;
    std::vector<Entry> entries;
    std::vector<uint32_t> slots;  // entry index + 1; 0 is free
  };
  // The entry of `path`, asking the file system when it is new.
  const Entry& Lookup(std::string_view path);

  FileSystem& fs_;
  std::string base_directory_;
  std::unordered_map<std::string, std::unique_ptr<Table>> tables_;  // by base directory
  Table* table_ = nullptr;
  std::string stamp_;  // Stamp's answer
  size_t stat_calls_ = 0;
};

// The staleness test of `source_path` (as the source is named, full or
// relative to the cache's base directory) for `target`.
bool IsDependencyStale(const std::vector<CDependencyRecord>& records, std::string_view target,
                       std::string_view source_path, ModificationTimeCache& times);

}  // namespace zelvan

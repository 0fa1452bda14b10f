// The include dependencies of one source for one build target: the files it
// includes, directly or through other headers, in discovery order, each
// with the form of its first include ('1' quoted, '0' angle brackets, no
// form when unknown), and the local time at which the list was computed
// ("%04d-%02d-%02d %02d:%02d:%02d", compared as text).
//
// A source keeps one record per target; the per-file step replaces a
// record whole, it never merges. Paths of existing files are relative to the
// project directory, the others stand as they were found.
//
// A large workspace holds millions of dependencies but a few thousand
// distinct paths, so a record holds ids of the workspace's path table
// (Workspace::dependency_paths) and one form byte per dependency, not
// strings. Reading a record:
//
//   for (size_t i = 0; i < record.size(); ++i)
//     use(record.path(i), record.form(i));   // string_view, char
//
// path_id(i) names a path for callers that work on many records at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/text_table.h"

namespace zelvan {

// A path of the workspace's path table.
using DependencyPathId = int32_t;

class DependencyRecord {
 public:
  // Forms of a dependency.
  static constexpr char kQuoted = '1';
  static constexpr char kAngle = '0';
  static constexpr char kNoForm = '\0';

  DependencyRecord() = default;
  explicit DependencyRecord(std::string target) : target_(std::move(target)) {}

  const std::string& target() const { return target_; }
  void set_target(std::string target) { target_ = std::move(target); }
  const std::string& stamp() const { return stamp_; }
  void set_stamp(std::string stamp) { stamp_ = std::move(stamp); }

  size_t size() const { return ids_.size(); }
  bool empty() const { return ids_.empty(); }
  // The path of dependency `i`, as stored; valid while the table lives.
  std::string_view path(size_t i) const { return paths_->Text(ids_[i]); }
  // The form of dependency `i`: kQuoted, kAngle, kNoForm, or another byte
  // that a dependency file gave.
  char form(size_t i) const { return forms_[i]; }
  DependencyPathId path_id(size_t i) const { return ids_[i]; }
  std::span<const DependencyPathId> path_ids() const { return ids_; }
  // One form byte per dependency.
  std::string_view forms() const { return forms_; }
  // The table the ids belong to (null while the record has none).
  const TextTable* path_table() const { return paths_; }

  // Replaces the list: ids of `table` (which must outlive the record) and
  // their forms, one byte each (made as long as `ids`, missing ones kNoForm).
  void SetDependencies(const TextTable& table, std::vector<DependencyPathId> ids,
                       std::string forms);
  // The same from texts, added to `table`; a form is its text's first byte.
  void SetDependencies(TextTable& table, const std::vector<std::string>& paths,
                       const std::vector<std::string>& forms);

  // Records are equal when target, stamp, paths (as texts) and forms are.
  bool operator==(const DependencyRecord& other) const;

 private:
  std::string target_;
  std::string stamp_;
  const TextTable* paths_ = nullptr;
  std::vector<DependencyPathId> ids_;
  std::string forms_;
};

// The record of `target` (compared without regard to case), or null.
const DependencyRecord* FindDependencyRecord(const std::vector<DependencyRecord>& records,
                                             std::string_view target);
DependencyRecord* FindDependencyRecord(std::vector<DependencyRecord>& records,
                                       std::string_view target);

// What the include-dependency analysis keeps on a file between its steps.
struct DependencyScanState {
  int32_t status = 0;
  std::array<std::string, 3> texts;
};

// What the include-dependency engine keeps on one project file.
struct SourceDependencies {
  // One record per target (FindDependencyRecord by target name).
  std::vector<DependencyRecord> records;
  DependencyScanState scan_state;
};

}  // namespace zelvan

// The include dependencies of one source for one build target: the files it
// includes, directly or through other headers, in discovery order, each
// with the form of its first include ("1" quoted, "0" angle brackets, empty
// when unknown), and the local time at which the list was computed
// ("%04d-%02d-%02d %02d:%02d:%02d", compared as text).
//
// A source keeps one record per target; the per-file step replaces a
// record whole, it never merges. Paths of existing files are relative to the
// project directory, the others stand as they were found.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

// The paths of a record as ids of a path table, kept by the staleness test
// (analysis/dependency_staleness.h) so that a refresh with nothing changed
// does not look up every path by its text.
struct DependencyPathIds;

class CDependencyRecord {
 public:
  CDependencyRecord() = default;
  explicit CDependencyRecord(std::string target) : target_(std::move(target)) {}

  const std::string& target() const { return target_; }
  void set_target(std::string target) { target_ = std::move(target); }
  const std::string& stamp() const { return stamp_; }
  void set_stamp(std::string stamp) { stamp_ = std::move(stamp); }

  const std::vector<std::string>& paths() const { return paths_; }
  // Parallel to paths().
  const std::vector<std::string>& forms() const { return forms_; }
  // Replaces the list. `forms` is made as long as `paths` (missing forms empty).
  void SetDependencies(std::vector<std::string> paths, std::vector<std::string> forms);
  void AddDependency(std::string path, std::string form);

  // The staleness test's ids of paths() (null when none are kept). Not part
  // of the record's value: any change of the paths drops them, and records
  // with equal lists may share them.
  const std::shared_ptr<DependencyPathIds>& path_ids() const { return path_ids_; }
  void set_path_ids(std::shared_ptr<DependencyPathIds> ids) const { path_ids_ = std::move(ids); }

  bool operator==(const CDependencyRecord& other) const {
    return target_ == other.target_ && stamp_ == other.stamp_ && paths_ == other.paths_ &&
           forms_ == other.forms_;
  }

 private:
  std::string target_;
  std::string stamp_;
  std::vector<std::string> paths_;
  std::vector<std::string> forms_;
  mutable std::shared_ptr<DependencyPathIds> path_ids_;
};

// The record of `target` (compared without regard to case), or null.
const CDependencyRecord* FindDependencyRecord(const std::vector<CDependencyRecord>& records,
                                              std::string_view target);
CDependencyRecord* FindDependencyRecord(std::vector<CDependencyRecord>& records,
                                        std::string_view target);

}  // namespace zelvan

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

#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

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

  bool operator==(const CDependencyRecord&) const = default;

 private:
  std::string target_;
  std::string stamp_;
  std::vector<std::string> paths_;
  std::vector<std::string> forms_;
};

// The record of `target` (compared without regard to case), or null.
const CDependencyRecord* FindDependencyRecord(const std::vector<CDependencyRecord>& records,
                                              std::string_view target);
CDependencyRecord* FindDependencyRecord(std::vector<CDependencyRecord>& records,
                                        std::string_view target);

}  // namespace zelvan

// The include dependencies of a source as the makefile lists them. Every
// rule and test that needs them reads them here, so this is the one place
// that knows how the dependency records keep their paths.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/dependency_record.h"
#include "model/source_file.h"
#include "storage/text_table.h"

namespace zelvan {

// Calls `visit` with each dependency path of `file` for `target` (a
// std::string_view), in the order the analysis found them: relative to the
// project directory for files that exist, as found for the others. Nothing
// when the file has no record for the target.
template <typename Visit>
void ForEachDependencyPath(const SourceFile& file, std::string_view target, Visit&& visit) {
  const DependencyRecord* record = FindDependencyRecord(file.dependencies().records, target);
  if (record == nullptr) return;
  for (size_t i = 0; i < record->size(); ++i)
    visit(record->path(i));
}

// A value per distinct dependency path, made once. A makefile of a large
// project meets a few thousand paths hundreds of thousands of times; the
// records name them by ids of one path table, so the value is found by id,
// without looking at the text. Records of another table start the memo
// afresh (a workspace has one table, so that does not happen in a block).
template <typename T>
class DependencyPathMemo {
 public:
  // Calls `visit(value)` for each dependency of `record`, in order;
  // `make(path)` makes a path's value the first time it is met.
  template <typename Make, typename Visit>
  void ForEach(const DependencyRecord& record, Make&& make, Visit&& visit) {
    if (record.empty()) return;
    Prepare(record);
    for (size_t i = 0; i < record.size(); ++i)
      visit(Value(record, i, make));
  }

 private:
  // Every id of the record's table has a slot.
  void Prepare(const DependencyRecord& record) {
    if (record.path_table() != table_) {
      table_ = record.path_table();
      slots_.clear();
      values_.clear();
    }
    if (table_ != nullptr && slots_.size() < table_->size()) slots_.resize(table_->size(), -1);
  }
  // A value made already is found in line; making one is out of line, so
  // that the loops over hundreds of thousands of dependencies stay tight.
  template <typename Make>
  const T& Value(const DependencyRecord& record, size_t i, Make& make) {
    size_t id = static_cast<size_t>(record.path_id(i));
    if (id < slots_.size() && slots_[id] >= 0) [[likely]] {
      return values_[static_cast<size_t>(slots_[id])];
    }
    return MakeValue(record, i, make);
  }
  template <typename Make>
  [[gnu::noinline]] const T& MakeValue(const DependencyRecord& record, size_t i, Make& make) {
    size_t id = static_cast<size_t>(record.path_id(i));
    if (id >= slots_.size()) slots_.resize(id + 1, -1);
    values_.push_back(make(record.path(i)));
    slots_[id] = static_cast<int32_t>(values_.size() - 1);
    return values_.back();
  }

  const TextTable* table_ = nullptr;
  std::vector<int32_t> slots_;  // index in values_ by path id; -1: not made yet
  std::vector<T> values_;
};

}  // namespace zelvan

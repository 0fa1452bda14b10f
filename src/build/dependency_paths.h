// The include dependencies of a source as the makefile lists them. Every
// rule and test that needs them reads them here, so this is the one place
// that knows how the dependency records keep their paths.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/dependency_record.h"
#include "model/one_source_file.h"
#include "storage/text_table.h"

namespace zelvan {

// Calls `visit` with each dependency path of `file` for `target` (a
// std::string_view), in the order the analysis found them: relative to the
// project directory for files that exist, as found for the others. Nothing
// when the file has no record for the target.
template <typename Visit>
void ForEachDependencyPath(const COneSourceFile& file, std::string_view target, Visit&& visit) {
  const CDependencyRecord* record = FindDependencyRecord(file.TargetEntries(), target);
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
  // The value of dependency `i` of `record`; `make(path)` makes it the first
  // time. Valid until the next call.
  template <typename Make>
  const T& Get(const CDependencyRecord& record, size_t i, Make&& make) {
    if (record.path_table() != table_) {
      table_ = record.path_table();
      slots_.clear();
      values_.clear();
    }
    size_t id = static_cast<size_t>(record.path_id(i));
    if (id >= slots_.size()) slots_.resize(std::max(id + 1, table_->size()), -1);
    if (slots_[id] < 0) {
      values_.push_back(make(record.path(i)));
      slots_[id] = static_cast<int32_t>(values_.size() - 1);
    }
    return values_[static_cast<size_t>(slots_[id])];
  }

 private:
  const TextTable* table_ = nullptr;
  std::vector<int32_t> slots_;  // index in values_ by path id; -1: not made yet
  std::vector<T> values_;
};

}  // namespace zelvan

// The include dependencies of a source as the makefile lists them. Every
// rule and test that needs them reads them here, so this is the one place
// that knows how the dependency records keep their paths.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
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

// The text of each distinct dependency path as a rule lists it, made once
// and kept in one buffer, for appending a record's texts to a rule. Most
// texts are shorter than kChunk: each is copied as kChunk bytes (a fixed
// copy, two moves) and the end advanced by its length, instead of a call
// that copies a length it must look at. The buffer and the rule keep
// kChunk bytes of room after their last text for that.
class DependencyTextArena {
 public:
  // Appends the text of each dependency of `record` to `out`, in order;
  // `make(path)` makes a path's text (a std::string) the first time.
  template <typename Make>
  void Append(const DependencyRecord& record, Make&& make, std::string* out) {
    if (record.empty()) return;
    Prepare(record);
    std::span<const DependencyPathId> ids = record.path_ids();
    // First every text made and the length of all, so that the copies
    // below need no check of room.
    size_t length = 0;
    for (size_t i = 0; i < ids.size(); ++i) {
      size_t id = static_cast<size_t>(ids[i]);
      if (id >= entries_.size() || entries_[id].size == kNotMade) [[unlikely]] {
        MakeText(record, i, make);
      }
      length += entries_[id].size;
    }
    const size_t at = out->size();
    out->resize(at + length + kChunk);
    char* to = out->data() + at;
    const char* texts = texts_.data();
    for (DependencyPathId id : ids) {
      const Entry entry = entries_[static_cast<size_t>(id)];
      if (entry.size <= kChunk) [[likely]] {
        std::memcpy(to, texts + entry.at, kChunk);
      } else {
        CopyLong(to, texts + entry.at, entry.size);
      }
      to += entry.size;
    }
    out->resize(at + length);
  }

 private:
  static constexpr size_t kChunk = 32;
  static constexpr uint32_t kNotMade = UINT32_MAX;
  struct Entry {
    uint32_t at = 0;  // in texts_
    uint32_t size = kNotMade;
  };

  void Prepare(const DependencyRecord& record) {
    if (record.path_table() != table_) {
      table_ = record.path_table();
      entries_.clear();
      texts_.assign(kChunk, '\0');
    }
    if (table_ != nullptr && entries_.size() < table_->size()) entries_.resize(table_->size());
  }
  // Out of line: in line, the compiler makes both copies one call.
  [[gnu::noinline]] static void CopyLong(char* to, const char* from, size_t size) {
    std::memcpy(to, from, size);
  }
  template <typename Make>
  [[gnu::noinline]] void MakeText(const DependencyRecord& record, size_t i, Make& make) {
    size_t id = static_cast<size_t>(record.path_id(i));
    if (id >= entries_.size()) entries_.resize(id + 1);
    std::string text = make(record.path(i));
    // The room after the last text is where this one starts.
    Entry& entry = entries_[id];
    entry.at = static_cast<uint32_t>(texts_.size() - kChunk);
    entry.size = static_cast<uint32_t>(text.size());
    texts_.resize(entry.at);
    texts_ += text;
    texts_.append(kChunk, '\0');
  }

  const TextTable* table_ = nullptr;
  std::vector<Entry> entries_;  // by path id
  std::string texts_;           // the texts one after another, then kChunk bytes of room
};

}  // namespace zelvan

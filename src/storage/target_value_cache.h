// The per-target value cache that each project and each source file keeps
// in front of its file, so that repeated reads of one target setting during
// makefile generation do not go to the disk.
//
// Sections (by convention named after build targets such as "Debug") are
// found without regard to case; keys are compared exactly as passed. The
// cache is filled only by per-target writes and by explicit refreshes of the
// owner, never by reads, so it never holds a value the file lacks.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvan {

// One cached section.
class CachedSection {
 public:
  explicit CachedSection(std::string name);
  virtual ~CachedSection();

  const std::string& name() const { return name_; }
  bool GetValue(std::string_view key, std::string* value) const;
  void SetValue(std::string_view key, std::string_view value);
  // Calls `visit(key, value)` (string views into the section, valid until
  // its next change) for each value, in order of storing: several keys read
  // in one pass over the section.
  template <typename Visit>
  void ForEachValue(Visit&& visit) const {
    for (size_t at = 0; at < entries_.size();) {
      Entry entry = EntryAt(at);
      visit(entry.key, entry.value);
      at = entry.end;
    }
  }
  // Asks the processor to fetch the values before they are read: a caller
  // that reads many sections in a row knows the next ones first.
  void Prefetch() const {
    for (size_t at = 0; at < entries_.size(); at += 64)
      __builtin_prefetch(entries_.data() + at);
  }

 private:
  struct Entry {
    std::string_view key, value;
    size_t end;  // where the next entry starts
  };
  Entry EntryAt(size_t at) const {
    uint32_t sizes[2];
    std::memcpy(sizes, entries_.data() + at, sizeof sizes);
    const char* key = entries_.data() + at + sizeof sizes;
    return {{key, sizes[0]}, {key + sizes[0], sizes[1]}, at + sizeof sizes + sizes[0] + sizes[1]};
  }

  std::string name_;
  // Exact keys and their values in order of storing, one after another in
  // one buffer: the key's and the value's sizes (two native 32-bit
  // integers), then their bytes. A section holds a handful of keys, mostly
  // with empty values, and a makefile reads the sections of thousands of
  // files in a row: in one buffer they take a cache line or two, where a
  // list of string pairs took one per key.
  std::string entries_;
};

class TargetValueCache {
 public:
  TargetValueCache();
  ~TargetValueCache();
  TargetValueCache(const TargetValueCache&) = delete;
  TargetValueCache& operator=(const TargetValueCache&) = delete;

  // Stores into the first section of that name, creating it at the end. Always true.
  bool SetValue(std::string_view section, std::string_view key, std::string_view value);
  // Empties `value` first; true and the value when the section holds the key.
  bool GetValue(std::string_view section, std::string_view key, std::string* value) const;
  bool HasSection(std::string_view section) const;
  // The cached section, for several reads of it in a row; null when none.
  const CachedSection* FindSection(std::string_view section) const { return Find(section); }
  // Asks the processor to fetch what FindSection reads, in two steps: the
  // list of sections (kList), then, once that is there, the sections
  // (kSections). For a caller that finds the sections of many files in a
  // row. Always in line: GCC takes a function that only prefetches for one
  // without effect and drops its calls.
  enum class PrefetchStep { kList, kSections };
  [[gnu::always_inline]] void Prefetch(PrefetchStep step) const {
    if (step == PrefetchStep::kList) {
      __builtin_prefetch(sections_.data());
      return;
    }
    for (const auto& one : sections_)
      __builtin_prefetch(one.get());
  }
  // Removes the first section of that name (a target was deleted). Always true.
  bool RemoveSection(std::string_view section);
  void RemoveAll();

 private:
  CachedSection* Find(std::string_view section) const;

  std::vector<std::unique_ptr<CachedSection>> sections_;  // in order of creation
};

}  // namespace zelvan

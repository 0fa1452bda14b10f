// Texts numbered in the order they were first added, each kept once.
//
// A dependency refresh meets tens of thousands of paths and names and asks
// for each many times. A node-based map spends an allocation (or two) per
// entry and frees them all at the end of the refresh; this table keeps the
// texts in large blocks and the ids in one open-addressing array, and Clear
// keeps that memory for the next refresh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace zelvan {

// A quick hash of short texts, eight bytes at a time.
uint64_t HashText(std::string_view text);

class TextTable {
 public:
  TextTable() = default;
  TextTable(const TextTable&) = delete;
  TextTable& operator=(const TextTable&) = delete;

  // The id of `text` (exact bytes), or -1.
  int32_t Find(std::string_view text) const;
  // The id of `text`, added when new (ids count up from 0).
  int32_t Add(std::string_view text);
  // The text of an id; it stays where it is until Clear.
  std::string_view Text(int32_t id) const {
    const Entry& entry = entries_[static_cast<size_t>(id)];
    return std::string_view(entry.data, entry.length);
  }
  size_t size() const { return entries_.size(); }

  // Forgets every text; the memory serves again.
  void Clear();

 private:
  struct Entry {
    uint64_t hash;
    const char* data;
    size_t length;
  };
  const char* Keep(std::string_view text);
  int32_t Lookup(std::string_view text, uint64_t hash, size_t* slot) const;
  void Grow();

  std::vector<Entry> entries_;
  std::vector<int32_t> slots_;  // id + 1; 0 is free
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<size_t> block_sizes_;
  size_t block_ = 0;  // the block being filled
  size_t used_ = 0;   // bytes used in it
};

// Numbers by 64-bit key, in one open-addressing array; Clear keeps the
// memory.
class IdMap {
 public:
  // The value of `key`, or null; valid until the next Insert.
  int32_t* Find(uint64_t key);
  // Sets the value of a key that is not in the map.
  void Insert(uint64_t key, int32_t value);
  size_t size() const { return count_; }
  void Clear();

 private:
  struct Slot {
    uint64_t key = 0;
    int32_t value = 0;
    bool used = false;
  };
  static size_t Spread(uint64_t key) {
    return static_cast<size_t>(key * 0x9E3779B97F4A7C15ull >> 17);
  }
  std::vector<Slot> slots_;
  size_t count_ = 0;
};

}  // namespace zelvan

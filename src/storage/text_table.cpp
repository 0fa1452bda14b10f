#include "storage/text_table.h"

#include <algorithm>
#include <cstring>

namespace zelvan {

uint64_t HashText(std::string_view text) {
  uint64_t hash = 0x9E3779B97F4A7C15ull ^ text.size();
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    uint64_t chunk;
    std::memcpy(&chunk, text.data() + i, 8);
    hash = (hash ^ chunk) * 0xBF58476D1CE4E5B9ull;
    hash ^= hash >> 31;
  }
  uint64_t tail = 0;
  if (i < text.size()) std::memcpy(&tail, text.data() + i, text.size() - i);
  hash = (hash ^ tail) * 0x94D049BB133111EBull;
  return hash ^ (hash >> 29);
}

int32_t TextTable::Lookup(std::string_view text, uint64_t hash, size_t* slot) const {
  if (slots_.empty()) return -1;
  size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    int32_t held = slots_[i];
    if (held == 0) {
      *slot = i;
      return -1;
    }
    const Entry& entry = entries_[static_cast<size_t>(held - 1)];
    if (entry.hash == hash && entry.length == text.size() &&
        std::memcmp(entry.data, text.data(), text.size()) == 0) {
      return held - 1;
    }
  }
}

int32_t TextTable::Find(std::string_view text) const {
  size_t slot = 0;
  return Lookup(text, HashText(text), &slot);
}

int32_t TextTable::Add(std::string_view text) {
  uint64_t hash = HashText(text);
  size_t slot = 0;
  int32_t id = Lookup(text, hash, &slot);
  if (id >= 0) return id;
  id = static_cast<int32_t>(entries_.size());
  entries_.push_back(Entry{hash, Keep(text), text.size()});
  // At most half full, so that probe runs stay short.
  if (entries_.size() * 2 > slots_.size()) {
    Grow();
  } else {
    slots_[slot] = id + 1;
  }
  return id;
}

void TextTable::Grow() {
  slots_.assign(std::max<size_t>(64, slots_.size() * 2), 0);
  size_t mask = slots_.size() - 1;
  for (size_t e = 0; e < entries_.size(); ++e) {
    size_t i = entries_[e].hash & mask;
    while (slots_[i] != 0)
      i = (i + 1) & mask;
    slots_[i] = static_cast<int32_t>(e + 1);
  }
}

const char* TextTable::Keep(std::string_view text) {
  constexpr size_t kBlockSize = 64 * 1024;
  if (text.empty()) return "";
  while (block_ < blocks_.size() && block_sizes_[block_] - used_ < text.size()) {
    ++block_;
    used_ = 0;
  }
  if (block_ == blocks_.size()) {
    size_t size = std::max(kBlockSize, text.size());
    blocks_.push_back(std::make_unique<char[]>(size));
    block_sizes_.push_back(size);
    used_ = 0;
  }
  char* kept = blocks_[block_].get() + used_;
  std::memcpy(kept, text.data(), text.size());
  used_ += text.size();
  return kept;
}

void TextTable::Clear() {
  entries_.clear();
  std::fill(slots_.begin(), slots_.end(), 0);
  block_ = 0;
  used_ = 0;
}

int32_t* IdMap::Find(uint64_t key) {
  if (slots_.empty()) return nullptr;
  size_t mask = slots_.size() - 1;
  for (size_t i = Spread(key) & mask; slots_[i].used; i = (i + 1) & mask) {
    if (slots_[i].key == key) return &slots_[i].value;
  }
  return nullptr;
}

void IdMap::Insert(uint64_t key, int32_t value) {
  if ((count_ + 1) * 2 > slots_.size()) {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(std::max<size_t>(64, old.size() * 2), Slot{});
    count_ = 0;
    for (const Slot& slot : old) {
      if (slot.used) Insert(slot.key, slot.value);
    }
  }
  size_t mask = slots_.size() - 1;
  size_t i = Spread(key) & mask;
  while (slots_[i].used)
    i = (i + 1) & mask;
  slots_[i] = Slot{key, value, true};
  ++count_;
}

void IdMap::Clear() {
  std::fill(slots_.begin(), slots_.end(), Slot{});
  count_ = 0;
}

}  // namespace zelvan

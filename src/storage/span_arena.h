// Runs of objects in large blocks that never move, for the tables a
// dependency refresh builds by the thousand (the include lines of a file,
// the searches of its lines under one search context): one allocation per
// block instead of one per table, references that stay valid while more
// tables are added, and a Reset that keeps the blocks for the next refresh.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace zelvan {

template <typename T>
class SpanArena {
 public:
  explicit SpanArena(size_t block_size = 4096) : block_size_(block_size) {}
  SpanArena(const SpanArena&) = delete;
  SpanArena& operator=(const SpanArena&) = delete;

  // `count` contiguous objects, each as a default-made T.
  std::span<T> Allocate(size_t count) {
    while (block_ < blocks_.size() && sizes_[block_] - used_ < count) {
      ++block_;
      used_ = 0;
    }
    if (block_ == blocks_.size()) {
      size_t size = std::max(block_size_, count);
      blocks_.push_back(std::make_unique<T[]>(size));
      sizes_.push_back(size);
      used_ = 0;
    }
    std::span<T> run(blocks_[block_].get() + used_, count);
    used_ += count;
    // Blocks serve again after Reset: what they held is replaced.
    for (T& item : run)
      item = T();
    return run;
  }

  // Forgets every run; the blocks serve again.
  void Reset() {
    block_ = 0;
    used_ = 0;
  }

 private:
  size_t block_size_;
  std::vector<std::unique_ptr<T[]>> blocks_;
  std::vector<size_t> sizes_;
  size_t block_ = 0;
  size_t used_ = 0;
};

}  // namespace zelvan

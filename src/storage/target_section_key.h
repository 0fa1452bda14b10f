// The name of a target's settings section for a lookup.
#pragma once

#include <string>
#include <string_view>

namespace zelvan {

// TargetSectionName(target) for a lookup, on the stack when it fits: target settings are
// read many times for each makefile, and the name is longer than the
// strings kept without the heap.
class TargetSectionKey {
 public:
  explicit TargetSectionKey(std::string_view target);
  TargetSectionKey(const TargetSectionKey&) = delete;
  TargetSectionKey& operator=(const TargetSectionKey&) = delete;
  std::string_view view() const { return view_; }

 private:
  char buffer_[64];
  std::string long_name_;
  std::string_view view_;
};

}  // namespace zelvan

// What the reading and the writing of dependency files share.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace zelvan::dependency_file_internal {

// Below this size a second thread costs more than it saves.
constexpr size_t kParallelBytes = size_t{4} << 20;
constexpr size_t kIndexHeader = 4 + 4 + 8 + 8 + 8 + 8;

inline bool Holds(std::string_view text, char c) {
  return !text.empty() && std::memchr(text.data(), c, text.size()) != nullptr;
}

}  // namespace zelvan::dependency_file_internal

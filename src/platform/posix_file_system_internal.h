// Host path helpers shared by the files of the POSIX file system.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace zelvan::posix_internal {

int64_t MtimeNs(const struct stat& st);
std::string JoinHost(const std::string& dir, std::string_view name);
// Lexically normalised absolute host path ("." and ".." resolved, no trailing slash).
std::string NormaliseHostPath(std::string_view path, const std::string& cwd);

}  // namespace zelvan::posix_internal

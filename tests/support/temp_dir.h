// A fresh host directory for one test, removed with everything in it at the end.
#pragma once

#include <string>
#include <string_view>

namespace zelvan::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Absolute host path, without trailing slash.
  const std::string& path() const { return path_; }
  // Host path of `relative` ('/' separators) inside the directory.
  std::string HostPath(std::string_view relative) const;

  // Writes a file (creating its directories) and returns its host path.
  std::string WriteFile(std::string_view relative, std::string_view contents) const;
  // Reads a file; empty when it cannot be read.
  std::string ReadFile(std::string_view relative) const;
  // Names of the entries of a directory, sorted.
  std::string ListNames(std::string_view relative) const;

 private:
  std::string path_;
};

}  // namespace zelvan::testing

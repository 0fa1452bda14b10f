// Paths as the rules of one makefile block write them: resolved against the
// project directory, or made relative to it. Directories are looked up once
// per block (the files of a target share their directories).
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace zelvan {

struct ProjectPaths;

class MakePaths {
 public:
  // `project` (kept, not copied) must outlive this object.
  explicit MakePaths(const ProjectPaths& project) : project_(project) {}
  MakePaths(const MakePaths&) = delete;
  MakePaths& operator=(const MakePaths&) = delete;

  const std::string& project_directory() const;
  // `path` resolved against the project directory; `path` itself when it cannot be.
  std::string FullPath(std::string_view path) const;
  // A directory resolved against the project directory, ending in `\`.
  const std::string& FullDirectory(const std::string& dir);
  // The same without its trailing separator.
  const std::string& FullDirectoryName(const std::string& dir);
  // A full path relative to the project directory.
  std::string Relative(std::string_view path) const;

 private:
  const ProjectPaths& project_;
  std::unordered_map<std::string, std::string> full_dirs_;
  std::unordered_map<std::string, std::string> full_dir_names_;
};

}  // namespace zelvan

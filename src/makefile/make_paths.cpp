#include "makefile/make_paths.h"

#include "model/path_functions.h"
#include "model/project_paths.h"
#include "platform/win_path.h"

namespace zelvan {

const std::string& MakePaths::project_directory() const {
  return project_.project_directory;
}

std::string MakePaths::FullPath(std::string_view path) const {
  std::string full;
  if (!GetFullPathName(path, project_.project_directory, &full)) return std::string(path);
  return full;
}

const std::string& MakePaths::FullDirectory(const std::string& dir) {
  auto it = full_dirs_.find(dir);
  if (it == full_dirs_.end()) it = full_dirs_.emplace(dir, AppendLastSlash(FullPath(dir))).first;
  return it->second;
}

const std::string& MakePaths::FullDirectoryName(const std::string& dir) {
  auto it = full_dir_names_.find(dir);
  if (it == full_dir_names_.end()) {
    it = full_dir_names_.emplace(dir, StripTrailingSlash(FullPath(dir))).first;
  }
  return it->second;
}

std::string MakePaths::Relative(std::string_view path) const {
  std::string relative;
  MakeRelativePath(project_.project_file, path, &relative);
  return relative;
}

}  // namespace zelvan

#include "dependencies/locked_file_system.h"

namespace zelvan {

std::string LockedFileSystem::GetCurrentDirectory() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.GetCurrentDirectory();
}

Status LockedFileSystem::SetCurrentDirectory(std::string_view dir) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.SetCurrentDirectory(dir);
}

bool LockedFileSystem::Stat(std::string_view path, FileStatus* status) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.Stat(path, status);
}

Status LockedFileSystem::ReadFile(std::string_view path, std::string* contents) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.ReadFile(path, contents);
}

Status LockedFileSystem::ListDirectory(std::string_view dir, std::string_view pattern,
                                       std::vector<DirectoryEntry>* entries) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.ListDirectory(dir, pattern, entries);
}

bool LockedFileSystem::GetShortPathName(std::string_view path, std::string* short_path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.GetShortPathName(path, short_path);
}

std::string LockedFileSystem::ToHostPath(std::string_view path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.ToHostPath(path);
}

std::vector<std::string> LockedFileSystem::ToHostPaths(const std::vector<std::string>& paths) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.ToHostPaths(paths);
}

std::string LockedFileSystem::FromHostPath(std::string_view host_path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.FromHostPath(host_path);
}

}  // namespace zelvan

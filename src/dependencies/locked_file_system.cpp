#include "dependencies/locked_file_system.h"

namespace zelvan {

std::string LockedFileSystem::GetCurrentDirectory() const {
  MutexLock lock(mutex_);
  return fs_->GetCurrentDirectory();
}

Status LockedFileSystem::SetCurrentDirectory(std::string_view dir) {
  MutexLock lock(mutex_);
  return fs_->SetCurrentDirectory(dir);
}

bool LockedFileSystem::Stat(std::string_view path, FileStatus* status) {
  MutexLock lock(mutex_);
  return fs_->Stat(path, status);
}

Status LockedFileSystem::ReadFile(std::string_view path, std::string* contents) {
  MutexLock lock(mutex_);
  return fs_->ReadFile(path, contents);
}

Status LockedFileSystem::ListDirectory(std::string_view dir, std::string_view pattern,
                                       std::vector<DirectoryEntry>* entries) {
  MutexLock lock(mutex_);
  return fs_->ListDirectory(dir, pattern, entries);
}

bool LockedFileSystem::GetShortPathName(std::string_view path, std::string* short_path) {
  MutexLock lock(mutex_);
  return fs_->GetShortPathName(path, short_path);
}

std::string LockedFileSystem::ToHostPath(std::string_view path) {
  MutexLock lock(mutex_);
  return fs_->ToHostPath(path);
}

std::vector<std::string> LockedFileSystem::ToHostPaths(const std::vector<std::string>& paths) {
  MutexLock lock(mutex_);
  return fs_->ToHostPaths(paths);
}

std::string LockedFileSystem::FromHostPath(std::string_view host_path) const {
  MutexLock lock(mutex_);
  return fs_->FromHostPath(host_path);
}

}  // namespace zelvan

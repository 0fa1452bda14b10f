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

std::unique_ptr<WritableFile> LockedFileSystem::OpenForWrite(std::string_view path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.OpenForWrite(path);
}

std::unique_ptr<WritableFile> LockedFileSystem::CreateFileLike(std::string_view path,
                                                               std::string_view like) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.CreateFileLike(path, like);
}

std::string LockedFileSystem::ResolveLinks(std::string_view path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.ResolveLinks(path);
}

void LockedFileSystem::SyncDirectory(std::string_view dir) {
  std::lock_guard<std::mutex> lock(mutex_);
  fs_.SyncDirectory(dir);
}

Status LockedFileSystem::AppendToFile(std::string_view path, std::string_view data) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.AppendToFile(path, data);
}

LockResult LockedFileSystem::TryLockFile(std::string_view lock_path,
                                         std::unique_ptr<FileLock>* lock) {
  std::lock_guard<std::mutex> guard(mutex_);
  return fs_.TryLockFile(lock_path, lock);
}

Status LockedFileSystem::Rename(std::string_view from, std::string_view to) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.Rename(from, to);
}

Status LockedFileSystem::DeleteFile(std::string_view path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.DeleteFile(path);
}

Status LockedFileSystem::CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.CopyFile(from, to, fail_if_exists);
}

Status LockedFileSystem::CopyScratchFile(std::string_view from, std::string_view to,
                                         bool fail_if_exists) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.CopyScratchFile(from, to, fail_if_exists);
}

Status LockedFileSystem::MoveFile(std::string_view from, std::string_view to) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.MoveFile(from, to);
}

Status LockedFileSystem::SetReadOnly(std::string_view path, bool read_only) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.SetReadOnly(path, read_only);
}

Status LockedFileSystem::CreateDirectory(std::string_view path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.CreateDirectory(path);
}

Status LockedFileSystem::RemoveDirectory(std::string_view path) {
  std::lock_guard<std::mutex> lock(mutex_);
  return fs_.RemoveDirectory(path);
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

void LockedFileSystem::WaitForBackgroundWork() {
  std::lock_guard<std::mutex> lock(mutex_);
  fs_.WaitForBackgroundWork();
}

}  // namespace zelvan

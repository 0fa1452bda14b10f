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

std::unique_ptr<WritableFile> LockedFileSystem::OpenForWrite(std::string_view path) {
  MutexLock lock(mutex_);
  return fs_->OpenForWrite(path);
}

std::unique_ptr<WritableFile> LockedFileSystem::CreateFileLike(std::string_view path,
                                                               std::string_view like) {
  MutexLock lock(mutex_);
  return fs_->CreateFileLike(path, like);
}

std::string LockedFileSystem::ResolveLinks(std::string_view path) {
  MutexLock lock(mutex_);
  return fs_->ResolveLinks(path);
}

void LockedFileSystem::SyncDirectory(std::string_view dir) {
  MutexLock lock(mutex_);
  fs_->SyncDirectory(dir);
}

Status LockedFileSystem::AppendToFile(std::string_view path, std::string_view data) {
  MutexLock lock(mutex_);
  return fs_->AppendToFile(path, data);
}

LockResult LockedFileSystem::TryLockFile(std::string_view lock_path,
                                         std::unique_ptr<FileLock>* lock) {
  MutexLock guard(mutex_);
  return fs_->TryLockFile(lock_path, lock);
}

Status LockedFileSystem::Rename(std::string_view from, std::string_view to) {
  MutexLock lock(mutex_);
  return fs_->Rename(from, to);
}

Status LockedFileSystem::DeleteFile(std::string_view path) {
  MutexLock lock(mutex_);
  return fs_->DeleteFile(path);
}

Status LockedFileSystem::CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) {
  MutexLock lock(mutex_);
  return fs_->CopyFile(from, to, fail_if_exists);
}

Status LockedFileSystem::CopyScratchFile(std::string_view from, std::string_view to,
                                         bool fail_if_exists) {
  MutexLock lock(mutex_);
  return fs_->CopyScratchFile(from, to, fail_if_exists);
}

Status LockedFileSystem::MoveFile(std::string_view from, std::string_view to) {
  MutexLock lock(mutex_);
  return fs_->MoveFile(from, to);
}

Status LockedFileSystem::SetReadOnly(std::string_view path, bool read_only) {
  MutexLock lock(mutex_);
  return fs_->SetReadOnly(path, read_only);
}

Status LockedFileSystem::CreateDirectory(std::string_view path) {
  MutexLock lock(mutex_);
  return fs_->CreateDirectory(path);
}

Status LockedFileSystem::RemoveDirectory(std::string_view path) {
  MutexLock lock(mutex_);
  return fs_->RemoveDirectory(path);
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

void LockedFileSystem::WaitForBackgroundWork() {
  MutexLock lock(mutex_);
  fs_->WaitForBackgroundWork();
}

}  // namespace zelvan

// A file system that several threads may call at once: each call on the
// file system it wraps is made under one lock. A file system keeps caches
// of its own (listings, resolved paths), so the threads of a dependency
// refresh share it this way where it cannot give a thread one of its own
// (FileSystem::NewThreadReader); what they do with the data they read (most
// of the work) runs in parallel.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/thread_annotations.h"

namespace zelvan {

class LockedFileSystem final : public FileSystem {
 public:
  // `fs` must outlive this object; while threads use this object, nothing
  // may call `fs` directly.
  explicit LockedFileSystem(FileSystem& fs) : fs_(&fs) {}

  std::string GetCurrentDirectory() const override;
  Status SetCurrentDirectory(std::string_view dir) override;
  bool Stat(std::string_view path, FileStatus* status) override;
  Status ReadFile(std::string_view path, std::string* contents) override;
  std::unique_ptr<WritableFile> OpenForWrite(std::string_view path) override;
  std::unique_ptr<WritableFile> CreateFileLike(std::string_view path,
                                               std::string_view like) override;
  std::string ResolveLinks(std::string_view path) override;
  void SyncDirectory(std::string_view dir) override;
  Status AppendToFile(std::string_view path, std::string_view data) override;
  LockResult TryLockFile(std::string_view lock_path, std::unique_ptr<FileLock>* lock) override;
  Status Rename(std::string_view from, std::string_view to) override;
  Status DeleteFile(std::string_view path) override;
  Status CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) override;
  Status CopyScratchFile(std::string_view from, std::string_view to, bool fail_if_exists) override;
  Status MoveFile(std::string_view from, std::string_view to) override;
  Status SetReadOnly(std::string_view path, bool read_only) override;
  Status CreateDirectory(std::string_view path) override;
  Status RemoveDirectory(std::string_view path) override;
  Status ListDirectory(std::string_view dir, std::string_view pattern,
                       std::vector<DirectoryEntry>* entries) override;
  bool GetShortPathName(std::string_view path, std::string* short_path) override;
  std::string ToHostPath(std::string_view path) override;
  std::vector<std::string> ToHostPaths(const std::vector<std::string>& paths) override;
  std::string FromHostPath(std::string_view host_path) const override;
  void WaitForBackgroundWork() override;

 private:
  mutable Mutex mutex_;
  FileSystem* const fs_ PT_GUARDED_BY(mutex_);
};

}  // namespace zelvan

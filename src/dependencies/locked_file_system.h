// A file system that several threads may read with at once: each call on
// the file system it wraps is made under one lock. A file system keeps caches
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

class LockedFileSystem final : public ReadOnlyFileSystem {
 public:
  // `fs` must outlive this object; while threads use this object, nothing
  // may call `fs` directly.
  explicit LockedFileSystem(ReadOnlyFileSystem& fs) : fs_(&fs) {}

  bool Stat(std::string_view path, FileStatus* status) override;
  Status ReadFile(std::string_view path, std::string* contents) override;
  Status ListDirectory(std::string_view dir, std::string_view pattern,
                       std::vector<DirectoryEntry>* entries) override;
  bool GetShortPathName(std::string_view path, std::string* short_path) override;

  std::string GetCurrentDirectory() const override;
  Status SetCurrentDirectory(std::string_view dir) override;
  std::string ToHostPath(std::string_view path) override;
  std::vector<std::string> ToHostPaths(const std::vector<std::string>& paths) override;
  std::string FromHostPath(std::string_view host_path) const override;

 private:
  mutable Mutex mutex_;
  ReadOnlyFileSystem* const fs_ PT_GUARDED_BY(mutex_);
};

}  // namespace zelvan

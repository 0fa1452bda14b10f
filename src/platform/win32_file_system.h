// The FileSystem of a Windows host.
//
// Paths are native: a system path is the host path, made full against the
// current directory this object keeps (the process's own is never changed).
// There is no drive map; "C:\a.kbp" is C:\a.kbp and "\\server\share" is
// the network share. Names are matched without regard to case by the host.
//
// The read-only attribute is FILE_ATTRIBUTE_READONLY. A whole-file write
// renames its temporary over the file with MoveFileEx(REPLACE_EXISTING |
// WRITE_THROUGH), so the new name is on disk when the call returns. Short
// (8.3) names come from GetShortPathName. Paths longer than MAX_PATH
// reach the system in the \\?\ form. Locks are LockFileEx locks on
// lock files in a folder of the user's own (SetLockDirectory), which the
// host drops when the process ends. Failures carry the system's text
// (FormatMessage) and its error code (Status::os_error).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace zelvan {

class Win32FileSystem final : public FileSystem {
 public:
  // `cwd` is the directory relative paths start from (a full path); empty:
  // the process's current directory.
  explicit Win32FileSystem(std::string cwd = "");

  // The host folder lock files go to, made when first used. Empty: beside the files.
  void SetLockDirectory(std::string dir) { lock_dir_ = std::move(dir); }

  std::string GetCurrentDirectory() const override { return cwd_; }
  Status SetCurrentDirectory(std::string_view dir) override;
  bool Stat(std::string_view path, FileStatus* status) override;
  Status ReadFile(std::string_view path, std::string* contents) override;
  Status ListDirectory(std::string_view dir, std::string_view pattern,
                       std::vector<DirectoryEntry>* entries) override;
  bool GetShortPathName(std::string_view path, std::string* short_path) override;
  std::string ToHostPath(std::string_view path) override;
  std::string FromHostPath(std::string_view host_path) const override;

  std::unique_ptr<WritableFile> OpenForWrite(std::string_view path) override;
  std::unique_ptr<WritableFile> CreateFileLike(std::string_view path,
                                               std::string_view like) override;
  Status AppendToFile(std::string_view path, std::string_view data) override;
  std::string LockFileOf(std::string_view path) override;
  LockResult TryLockFile(std::string_view lock_path, std::unique_ptr<FileLock>* lock) override;
  Status Rename(std::string_view from, std::string_view to) override;
  Status DeleteFile(std::string_view path) override;
  Status CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) override;
  Status CopyScratchFile(std::string_view from, std::string_view to, bool fail_if_exists) override;
  Status MoveFile(std::string_view from, std::string_view to) override;
  Status SetReadOnly(std::string_view path, bool read_only) override;
  Status CreateDirectory(std::string_view path) override;
  Status RemoveDirectory(std::string_view path) override;
  std::unique_ptr<ReadOnlyFileSystem> NewThreadReader() override;

 private:
  // The path the system calls are given: full, in UTF-16, and past
  // MAX_PATH in the long form (\\?\), which the user never sees.
  std::wstring SystemPath(std::string_view path) const;
  Status Copy(std::string_view from, std::string_view to, bool fail_if_exists,
              Durability durability);

  std::string cwd_;
  std::string lock_dir_;
  int lock_dir_state_ = 0;  // 0 not yet looked at, 1 usable, -1 not
};

// The process's current directory, a full path ending in `\`; empty when
// the host cannot tell it, with the reason in `error`.
std::string Win32ProcessDirectory(std::string* error = nullptr);

}  // namespace zelvan

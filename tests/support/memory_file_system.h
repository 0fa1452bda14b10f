// An in-memory FileSystem for tests.
//
// Paths have Windows form and are matched without regard to ASCII case, like
// the file systems that projects come from; names are listed and reported in
// the case they were created with. Every drive root ("C:\", "D:\" ...), the
// root "\" and every network share root ("\\server\share\") exist from the
// start. The current directory starts at "C:\".
//
// Semantics follow the Windows calls the system was designed around:
//   - OpenForWrite, DeleteFile and Rename onto a read-only file fail;
//   - a file replaced by Rename keeps the spelling of its name, as on the host;
//   - Rename and MoveFile move files only (the system never moves a directory);
//   - CopyFile copies contents, the read-only attribute and the modification time;
//   - data appended to an open file is visible at once (a file left half
//     written by a failing writer shows its half);
//   - an open file keeps writing to its node when it is renamed or deleted.
//
// Modification times come from a clock of the file system's own that
// advances one second with every change, so two writes never share a time;
// tests may set a file's time.
//
// Host paths are fictional: ToHostPath gives the full path with `/`
// separators ("C:\a\b" is "C:/a/b"), FromHostPath turns `/` back into `\`.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace zelvan::testing {

class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  std::string GetCurrentDirectory() const override;
  Status SetCurrentDirectory(std::string_view dir) override;
  bool Stat(std::string_view path, FileStatus* status) override;
  Status ReadFile(std::string_view path, std::string* contents) override;
  std::unique_ptr<WritableFile> OpenForWrite(std::string_view path) override;
  Status Rename(std::string_view from, std::string_view to) override;
  Status DeleteFile(std::string_view path) override;
  Status CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) override;
  Status MoveFile(std::string_view from, std::string_view to) override;
  Status SetReadOnly(std::string_view path, bool read_only) override;
  Status CreateDirectory(std::string_view path) override;
  Status RemoveDirectory(std::string_view path) override;
  Status ListDirectory(std::string_view dir, std::string_view pattern,
                       std::vector<DirectoryEntry>* entries) override;
  bool GetShortPathName(std::string_view path, std::string* short_path) override;
  std::string ToHostPath(std::string_view path) override;
  std::string FromHostPath(std::string_view host_path) const override;

  // Test helpers.

  // Creates or replaces a writable file, creating missing directories.
  bool AddFile(std::string_view path, std::string_view contents);
  // Creates a directory and every missing one above it.
  bool AddDirectory(std::string_view path);
  // The contents of a file; nullopt when there is no file at `path`.
  std::optional<std::string> Contents(std::string_view path) const;
  bool SetModificationTime(std::string_view path, int64_t mtime_ns);
  // Full paths of every file (not directories), in the case they were
  // created with, sorted without regard to case.
  std::vector<std::string> AllFiles() const;
  // The clock, nanoseconds since the epoch. Every change to a file or
  // directory advances it by one second first and stamps the result.
  int64_t Now() const { return now_ns_; }

 private:
  struct Node;
  class File;

  // The full path of `path` and its lookup key; false for a malformed path.
  bool Resolve(std::string_view path, std::string* full, std::string* key) const;
  std::shared_ptr<Node> Find(std::string_view key) const;
  // The node of `path`; null for a malformed path or none there.
  std::shared_ptr<Node> FindPath(std::string_view path) const;
  // True for an existing directory or a root.
  bool IsDirectoryKey(std::string_view key) const;
  int64_t Tick();

  // By lower-cased full path; looked up by views, without a copy of the key.
  std::map<std::string, std::shared_ptr<Node>, std::less<>> nodes_;
  std::string cwd_ = "C:\\";
  int64_t now_ns_;
};

}  // namespace zelvan::testing

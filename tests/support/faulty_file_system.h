// A FileSystem wrapper that counts calls and makes chosen calls fail, to
// show what the code above does when the disk lets it down.
//
//   MemoryFileSystem memory;
//   FaultyFileSystem fs(memory);
//   fs.FailNth(FsOp::kRename, 1);   // the next Rename fails
//   EXPECT_FALSE(WriteFileAtomic(fs, "C:\\a.ini", "new"));
//   EXPECT_EQ(fs.Count(FsOp::kRename), 1);
//
// Calls of each FsOp are counted from construction (or ResetCounts); the
// other calls (deleting, moving, listing) pass through untouched. The
// operations of a WritableFile (Append, Flush, Sync, Close) are counted over
// every file the wrapper opened. A failing Append first writes half of its
// data, like a disk that fills up mid-write; a failing Close still closes the
// file. Every other failing call does nothing and reports its failure (null
// for a file), with the reason "injected fault".
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace zelvan::testing {

enum class FsOp {
  kStat,
  kReadFile,
  kOpenForWrite,
  kAppend,
  kFlush,
  kSync,
  kClose,
  kRename,
  kCopyFile,
  kSetReadOnly,
  kCreateDirectory,
};
inline constexpr size_t kFsOpCount = static_cast<size_t>(FsOp::kCreateDirectory) + 1;

const char* FsOpName(FsOp op);

class FaultyFileSystem : public FileSystem {
 public:
  // `base` stays owned by the caller and must outlive the wrapper.
  explicit FaultyFileSystem(FileSystem& base);
  ~FaultyFileSystem() override;

  // The `n`th call of `op` from now on fails (1: the next one). Each
  // operation holds one such trigger; setting it again replaces it.
  void FailNth(FsOp op, int n);
  // Every call of `op` fails until ClearFaults.
  void FailAlways(FsOp op);
  void ClearFaults();

  // Calls of `op` so far, failed ones included.
  int Count(FsOp op) const { return counts_[static_cast<size_t>(op)]; }
  void ResetCounts();

  std::string GetCurrentDirectory() const override { return base_.GetCurrentDirectory(); }
  Status SetCurrentDirectory(std::string_view dir) override {
    return base_.SetCurrentDirectory(dir);
  }
  bool Stat(std::string_view path, FileStatus* status) override {
    return !ShouldFail(FsOp::kStat) && base_.Stat(path, status);
  }
  Status ReadFile(std::string_view path, std::string* contents) override {
    return ShouldFail(FsOp::kReadFile) ? Injected() : base_.ReadFile(path, contents);
  }
  std::unique_ptr<WritableFile> OpenForWrite(std::string_view path) override;
  // Counted and failed as OpenForWrite.
  std::unique_ptr<WritableFile> CreateFileLike(std::string_view path,
                                               std::string_view like) override;
  std::string ResolveLinks(std::string_view path) override { return base_.ResolveLinks(path); }
  void SyncDirectory(std::string_view dir) override { base_.SyncDirectory(dir); }
  Status AppendToFile(std::string_view path, std::string_view data) override {
    return base_.AppendToFile(path, data);
  }
  LockResult TryLockFile(std::string_view lock_path, std::unique_ptr<FileLock>* lock) override {
    return base_.TryLockFile(lock_path, lock);
  }
  Status Rename(std::string_view from, std::string_view to) override {
    return ShouldFail(FsOp::kRename) ? Injected() : base_.Rename(from, to);
  }
  Status DeleteFile(std::string_view path) override { return base_.DeleteFile(path); }
  Status CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) override {
    return ShouldFail(FsOp::kCopyFile) ? Injected() : base_.CopyFile(from, to, fail_if_exists);
  }
  Status MoveFile(std::string_view from, std::string_view to) override {
    return base_.MoveFile(from, to);
  }
  Status SetReadOnly(std::string_view path, bool read_only) override {
    return ShouldFail(FsOp::kSetReadOnly) ? Injected() : base_.SetReadOnly(path, read_only);
  }
  Status CreateDirectory(std::string_view path) override {
    return ShouldFail(FsOp::kCreateDirectory) ? Injected() : base_.CreateDirectory(path);
  }
  Status RemoveDirectory(std::string_view path) override { return base_.RemoveDirectory(path); }
  Status ListDirectory(std::string_view dir, std::string_view pattern,
                       std::vector<DirectoryEntry>* entries) override {
    return base_.ListDirectory(dir, pattern, entries);
  }
  bool GetShortPathName(std::string_view path, std::string* short_path) override {
    return base_.GetShortPathName(path, short_path);
  }
  std::string ToHostPath(std::string_view path) override { return base_.ToHostPath(path); }
  std::string FromHostPath(std::string_view host_path) const override {
    return base_.FromHostPath(host_path);
  }

 private:
  class File;

  // The reason an injected failure gives.
  static Status Injected() { return Status::IoError("injected fault"); }
  // Counts a call of `op` and tells whether it is to fail.
  bool ShouldFail(FsOp op);
  // The file behind the wrapper that counts and fails its calls; null stays null.
  std::unique_ptr<WritableFile> Wrap(std::unique_ptr<WritableFile> file);

  FileSystem& base_;
  std::array<int, kFsOpCount> counts_{};
  std::array<int, kFsOpCount> fail_at_{};  // the count at which to fail, 0 for none
  std::array<bool, kFsOpCount> fail_always_{};
};

}  // namespace zelvan::testing

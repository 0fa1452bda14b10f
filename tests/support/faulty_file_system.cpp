#include "tests/support/faulty_file_system.h"

namespace zelvan::testing {

const char* FsOpName(FsOp op) {
  static const char* const kNames[kFsOpCount] = {
      "Stat",     "ReadFile",    "OpenForWrite",    "Append",          "Flush",
      "Sync",     "Close",       "Rename",          "DeleteFile",      "CopyFile",
      "MoveFile", "SetReadOnly", "CreateDirectory", "RemoveDirectory", "ListDirectory",
  };
  return kNames[static_cast<size_t>(op)];
}

class FaultyFileSystem::File : public WritableFile {
 public:
  File(FaultyFileSystem* owner, std::unique_ptr<WritableFile> base)
      : owner_(owner), base_(std::move(base)) {}

  bool Append(std::string_view data) override {
    if (owner_->ShouldFail(FsOp::kAppend)) {
      base_->Append(data.substr(0, data.size() / 2));
      return false;
    }
    return base_->Append(data);
  }
  bool Flush() override { return !owner_->ShouldFail(FsOp::kFlush) && base_->Flush(); }
  bool Sync() override { return !owner_->ShouldFail(FsOp::kSync) && base_->Sync(); }
  bool Close() override {
    bool fail = owner_->ShouldFail(FsOp::kClose);
    bool closed = base_->Close();
    return closed && !fail;
  }

 private:
  FaultyFileSystem* owner_;
  std::unique_ptr<WritableFile> base_;
};

FaultyFileSystem::FaultyFileSystem(FileSystem& base) : base_(base) {}
FaultyFileSystem::~FaultyFileSystem() = default;

void FaultyFileSystem::FailNth(FsOp op, int n) {
  size_t i = static_cast<size_t>(op);
  fail_at_[i] = n > 0 ? counts_[i] + n : 0;
}

void FaultyFileSystem::FailAlways(FsOp op) {
  fail_always_[static_cast<size_t>(op)] = true;
}

void FaultyFileSystem::ClearFaults() {
  fail_at_.fill(0);
  fail_always_.fill(false);
}

void FaultyFileSystem::ResetCounts() {
  // Pending triggers keep their distance from the current count.
  for (size_t i = 0; i < kFsOpCount; ++i) {
    if (fail_at_[i] != 0) fail_at_[i] -= counts_[i];
  }
  counts_.fill(0);
  failures_.fill(0);
}

bool FaultyFileSystem::ShouldFail(FsOp op) {
  size_t i = static_cast<size_t>(op);
  ++counts_[i];
  bool fail = fail_always_[i] || counts_[i] == fail_at_[i];
  if (counts_[i] == fail_at_[i]) fail_at_[i] = 0;
  if (fail) ++failures_[i];
  return fail;
}

std::string FaultyFileSystem::GetCurrentDirectory() const {
  return base_.GetCurrentDirectory();
}

bool FaultyFileSystem::SetCurrentDirectory(std::string_view dir) {
  return base_.SetCurrentDirectory(dir);
}

bool FaultyFileSystem::Stat(std::string_view path, FileStatus* status) {
  return !ShouldFail(FsOp::kStat) && base_.Stat(path, status);
}

bool FaultyFileSystem::ReadFile(std::string_view path, std::string* contents) {
  return !ShouldFail(FsOp::kReadFile) && base_.ReadFile(path, contents);
}

std::unique_ptr<WritableFile> FaultyFileSystem::OpenForWrite(std::string_view path) {
  if (ShouldFail(FsOp::kOpenForWrite)) return nullptr;
  std::unique_ptr<WritableFile> file = base_.OpenForWrite(path);
  if (!file) return nullptr;
  return std::make_unique<File>(this, std::move(file));
}

std::unique_ptr<WritableFile> FaultyFileSystem::CreateFileLike(std::string_view path,
                                                               std::string_view like) {
  if (ShouldFail(FsOp::kOpenForWrite)) return nullptr;
  std::unique_ptr<WritableFile> file = base_.CreateFileLike(path, like);
  if (!file) return nullptr;
  return std::make_unique<File>(this, std::move(file));
}

bool FaultyFileSystem::Rename(std::string_view from, std::string_view to) {
  return !ShouldFail(FsOp::kRename) && base_.Rename(from, to);
}

bool FaultyFileSystem::DeleteFile(std::string_view path) {
  return !ShouldFail(FsOp::kDeleteFile) && base_.DeleteFile(path);
}

bool FaultyFileSystem::CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) {
  return !ShouldFail(FsOp::kCopyFile) && base_.CopyFile(from, to, fail_if_exists);
}

bool FaultyFileSystem::MoveFile(std::string_view from, std::string_view to) {
  return !ShouldFail(FsOp::kMoveFile) && base_.MoveFile(from, to);
}

bool FaultyFileSystem::SetReadOnly(std::string_view path, bool read_only) {
  return !ShouldFail(FsOp::kSetReadOnly) && base_.SetReadOnly(path, read_only);
}

bool FaultyFileSystem::CreateDirectory(std::string_view path) {
  return !ShouldFail(FsOp::kCreateDirectory) && base_.CreateDirectory(path);
}

bool FaultyFileSystem::RemoveDirectory(std::string_view path) {
  return !ShouldFail(FsOp::kRemoveDirectory) && base_.RemoveDirectory(path);
}

bool FaultyFileSystem::ListDirectory(std::string_view dir, std::string_view pattern,
                                     std::vector<DirectoryEntry>* entries) {
  return !ShouldFail(FsOp::kListDirectory) && base_.ListDirectory(dir, pattern, entries);
}

bool FaultyFileSystem::GetShortPathName(std::string_view path, std::string* short_path) {
  return base_.GetShortPathName(path, short_path);
}

std::string FaultyFileSystem::ToHostPath(std::string_view path) {
  return base_.ToHostPath(path);
}

std::string FaultyFileSystem::FromHostPath(std::string_view host_path) const {
  return base_.FromHostPath(host_path);
}

}  // namespace zelvan::testing

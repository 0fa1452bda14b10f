#include "tests/support/faulty_file_system.h"

namespace zelvan::testing {

const char* FsOpName(FsOp op) {
  static const char* const kNames[kFsOpCount] = {
      "Stat",  "ReadFile", "OpenForWrite", "Append",      "Flush",           "Sync",
      "Close", "Rename",   "CopyFile",     "SetReadOnly", "CreateDirectory",
  };
  return kNames[static_cast<size_t>(op)];
}

class FaultyFileSystem::File : public WritableFile {
 public:
  File(FaultyFileSystem* owner, std::unique_ptr<WritableFile> base)
      : owner_(owner), base_(std::move(base)) {}

  Status Append(std::string_view data) override {
    if (owner_->ShouldFail(FsOp::kAppend)) {
      base_->Append(data.substr(0, data.size() / 2));
      return Injected();
    }
    return base_->Append(data);
  }
  Status Flush() override { return owner_->ShouldFail(FsOp::kFlush) ? Injected() : base_->Flush(); }
  Status Sync() override { return owner_->ShouldFail(FsOp::kSync) ? Injected() : base_->Sync(); }
  Status Close() override {
    bool fail = owner_->ShouldFail(FsOp::kClose);
    Status closed = base_->Close();
    return fail ? Injected() : closed;
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
}

bool FaultyFileSystem::ShouldFail(FsOp op) {
  size_t i = static_cast<size_t>(op);
  ++counts_[i];
  bool fail = fail_always_[i] || counts_[i] == fail_at_[i];
  if (counts_[i] == fail_at_[i]) fail_at_[i] = 0;
  return fail;
}

std::unique_ptr<WritableFile> FaultyFileSystem::Wrap(std::unique_ptr<WritableFile> file) {
  return file ? std::make_unique<File>(this, std::move(file)) : nullptr;
}

std::unique_ptr<WritableFile> FaultyFileSystem::OpenForWrite(std::string_view path) {
  return ShouldFail(FsOp::kOpenForWrite) ? nullptr : Wrap(base_.OpenForWrite(path));
}

std::unique_ptr<WritableFile> FaultyFileSystem::CreateFileLike(std::string_view path,
                                                               std::string_view like) {
  return ShouldFail(FsOp::kOpenForWrite) ? nullptr : Wrap(base_.CreateFileLike(path, like));
}

}  // namespace zelvan::testing

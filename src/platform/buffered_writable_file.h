// The buffering of a file being written, the same on every host: small
// pieces gather in a buffer of 64 KiB, large ones (a whole file written at
// once) go out as they are, not copied into the buffer first. The host's
// file supplies the system calls.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace zelvan {

class BufferedWritableFile : public WritableFile {
 public:
  Status Append(std::string_view data) final;
  Status Flush() final;
  Status Sync() final;
  Status Close() final;

 protected:
  bool closed() const { return closed_; }
  // Writes a first part of `data` (not nothing), telling how much in `written`.
  virtual Status WriteSome(std::string_view data, size_t* written) = 0;
  // Makes what was written durable on disk.
  virtual Status SyncFile() = 0;
  virtual Status CloseFile() = 0;

 private:
  static constexpr size_t kBufferSize = 1 << 16;

  // Writes `data` whole; `done` tells how much of it went out.
  Status WriteAll(std::string_view data, size_t* done = nullptr);
  Status WriteBuffer();

  std::string buffer_;
  bool closed_ = false;
};

}  // namespace zelvan

#include "platform/buffered_writable_file.h"

namespace zelvan {
namespace {

Status Closed() {
  return Status::Invalid("the file is closed");
}

}  // namespace

Status BufferedWritableFile::Append(std::string_view data) {
  if (closed_) return Closed();
  if (buffer_.size() + data.size() < kBufferSize) {
    buffer_.append(data);
    return Status::OK();
  }
  if (Status status = WriteBuffer(); !status) return status;
  return WriteAll(data);
}

Status BufferedWritableFile::Flush() {
  return closed_ ? Closed() : WriteBuffer();
}

Status BufferedWritableFile::Sync() {
  if (Status status = Flush(); !status) return status;
  return SyncFile();
}

Status BufferedWritableFile::Close() {
  if (closed_) return Closed();
  Status status = WriteBuffer();
  Status closed = CloseFile();
  closed_ = true;
  return status.ok() ? closed : status;
}

Status BufferedWritableFile::WriteAll(std::string_view data, size_t* done) {
  size_t written = 0;
  Status status;
  while (written < data.size() && status.ok()) {
    size_t n = 0;
    status = WriteSome(data.substr(written), &n);
    written += n;
  }
  if (done != nullptr) *done = written;
  return status;
}

Status BufferedWritableFile::WriteBuffer() {
  size_t done = 0;
  Status status = WriteAll(buffer_, &done);
  buffer_.erase(0, done);
  return status;
}

}  // namespace zelvan

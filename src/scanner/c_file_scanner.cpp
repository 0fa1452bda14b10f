#include "scanner/c_file_scanner.h"

#include <limits>
#include <utility>

#include "platform/file_system.h"
#include "platform/win_path.h"

namespace zelvan {

int CFileScanner::GetChar() {
  if (position_ >= text_end_) return 0;
  int c = static_cast<unsigned char>(bytes_[position_++]);
  if (c == '\r' || c == '\n') {
    if (position_ < text_end_) {
      int next = static_cast<unsigned char>(bytes_[position_]);
      if ((c == '\r' && next == '\n') || (c == '\n' && next == '\r')) ++position_;
    }
    c = '\n';
  }
  if (callback_) callback_(file_name_, static_cast<uint32_t>(position_), file_length_);
  return c;
}

int CFileScanner::PeekChar() {
  if (position_ >= text_end_) return 0;
  return static_cast<unsigned char>(bytes_[position_]);
}

size_t CFileScanner::SetPosition(size_t offset) {
  if (offset >= bytes_.size()) offset = bytes_.empty() ? 0 : bytes_.size() - 1;
  position_ = offset;
  return position_;
}

bool CFileScanner::OpenBytes(std::string bytes, std::string_view path) {
  Close();
  if (bytes.size() >= std::numeric_limits<uint32_t>::max()) return false;
  bytes_ = std::move(bytes);
  size_t zero = bytes_.find('\0');
  text_end_ = zero == std::string::npos ? bytes_.size() : zero;
  position_ = 0;
  file_name_ = FileNamePart(path);
  file_length_ = static_cast<uint32_t>(bytes_.size());
  return true;
}

bool CFileScanner::Open(FileReader& fs, std::string_view path) {
  Close();
  std::string bytes;
  if (!fs.ReadFile(path, &bytes)) return false;
  return OpenBytes(std::move(bytes), path);
}

void CFileScanner::Close() {
  std::string().swap(bytes_);
  text_end_ = 0;
  position_ = 0;
}

bool CFileScanner::RunParse(ProgressCallback callback) {
  callback_ = std::move(callback);
  bool ok = ParseTokens();
  Close();
  return ok;
}

bool CFileScanner::ParseFile(FileReader& fs, std::string_view path, ProgressCallback callback) {
  if (!Open(fs, path)) return false;
  return RunParse(std::move(callback));
}

bool CFileScanner::ParseBytes(std::string bytes, std::string_view path, ProgressCallback callback) {
  if (!OpenBytes(std::move(bytes), path)) return false;
  return RunParse(std::move(callback));
}

}  // namespace zelvan

// The C scanner over the bytes of a file.
//
// Line ends are translated: a carriage return reads as a line feed, and a
// line feed or carriage return directly followed by its partner (LF after
// CR, CR after LF) is read together with it, so CR LF, LF CR, a lone CR and
// a lone LF each give one line feed (CR CR gives two). PeekChar gives the
// raw byte. A zero byte ends the text.
//
// The file is read whole through the FileReader when it is opened and
// dropped again when it is closed; nothing is held open on the host.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "scanner/c_scanner.h"

namespace zelvan {

class FileReader;

// Told after each character that GetChar hands out: (file name without its
// directory, read position after the character, file length).
using ProgressCallback =
    std::function<void(const std::string& file_name, uint32_t position, uint32_t length)>;

class CFileScanner : public CScanner {
 public:
  CFileScanner() = default;

  int GetChar() override;
  int PeekChar() override;
  size_t GetPosition() const override { return position_; }
  // Clamps an offset at or beyond the file length to length - 1 (0 for an
  // empty file).
  size_t SetPosition(size_t offset) override;

  // Reads the file at `path` (Windows form) and makes it the text, position
  // 0. False, with nothing opened, when it cannot be read or is 4 GiB or
  // larger.
  bool Open(FileReader& fs, std::string_view path);
  // Makes `bytes` the text, as if read from the file at `path` (only its
  // name part is kept). False when `bytes` is 4 GiB or larger.
  bool OpenBytes(std::string bytes, std::string_view path);
  // Drops the text; GetChar then gives 0.
  void Close();

  void set_progress_callback(ProgressCallback callback) { callback_ = std::move(callback); }

  // Open, ParseTokens, Close. False when the file cannot be read (nothing is
  // scanned) or ParseTokens fails.
  bool ParseFile(FileReader& fs, std::string_view path, ProgressCallback callback);
  // The same over bytes given by the caller.
  bool ParseBytes(std::string bytes, std::string_view path, ProgressCallback callback);

  // The name part of the path last opened.
  const std::string& file_name() const { return file_name_; }
  uint32_t file_length() const { return file_length_; }

 private:
  bool RunParse(ProgressCallback callback);

  std::string bytes_;
  size_t text_end_ = 0;  // the first zero byte, or the length
  size_t position_ = 0;
  std::string file_name_;
  uint32_t file_length_ = 0;
  ProgressCallback callback_;
};

}  // namespace zelvan

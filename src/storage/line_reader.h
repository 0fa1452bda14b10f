// Reads a text line by line, as the system's record readers expect: CR LF,
// LF and a lone CR end lines alike (FindLineEnd). The line
// read last can be put back, so a reader can leave a line that is not its
// own to the next one.
#pragma once

#include <cstddef>
#include <string_view>

namespace zelvan {

class LineReader {
 public:
  // `text` must outlive the reader.
  explicit LineReader(std::string_view text) : text_(text) {}

  // The next line without its line end; false at the end of the text.
  bool ReadLine(std::string_view* line);
  // The next ReadLine gives the line read last again. Only that one line can
  // be put back; a second call before the next read does nothing.
  void PutBack();
  bool AtEnd() const { return pos_ >= text_.size(); }

 private:
  std::string_view text_;
  size_t pos_ = 0;
  size_t last_start_ = 0;
  bool can_put_back_ = false;
};

}  // namespace zelvan

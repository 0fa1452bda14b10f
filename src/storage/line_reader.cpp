#include "storage/line_reader.h"

#include "platform/ansi_text.h"

namespace zelvan {

bool LineReader::ReadLine(std::string_view* line) {
  if (pos_ >= text_.size()) return false;
  size_t next;
  std::string_view found = text_.substr(pos_, FindLineEnd(text_, pos_, &next) - pos_);
  last_start_ = pos_;
  pos_ = next;
  can_put_back_ = true;
  *line = found;
  return true;
}

void LineReader::PutBack() {
  if (!can_put_back_) return;
  pos_ = last_start_;
  can_put_back_ = false;
}

}  // namespace zelvan

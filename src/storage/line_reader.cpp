#include "storage/line_reader.h"

namespace zelvan {

bool LineReader::ReadLine(std::string_view* line) {
  if (pos_ >= text_.size()) return false;
  size_t end = text_.find('\n', pos_);
  if (end == std::string_view::npos) end = text_.size();
  std::string_view found = text_.substr(pos_, end - pos_);
  if (!found.empty() && found.back() == '\r') found.remove_suffix(1);
  last_start_ = pos_;
  pos_ = end < text_.size() ? end + 1 : end;
  ++line_number_;
  can_put_back_ = true;
  *line = found;
  return true;
}

void LineReader::PutBack() {
  if (!can_put_back_) return;
  pos_ = last_start_;
  --line_number_;
  can_put_back_ = false;
}

}  // namespace zelvan

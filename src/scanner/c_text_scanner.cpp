#include "scanner/c_text_scanner.h"

namespace zelvan {

CTextScanner::CTextScanner(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

int CTextScanner::GetChar() {
  if (position_ >= text_.size()) return 0;
  return static_cast<unsigned char>(text_[position_++]);
}

int CTextScanner::PeekChar() {
  if (position_ >= text_.size()) return 0;
  return static_cast<unsigned char>(text_[position_]);
}

size_t CTextScanner::SetPosition(size_t offset) {
  position_ = offset < text_.size() ? offset : text_.size();
  return position_;
}

}  // namespace zelvan

#include "analysis/perser_string.h"

namespace zelvan {

CPerserString::CPerserString(std::string_view text) : text_(text.substr(0, text.find('\0'))) {}

int CPerserString::GetChar() {
  if (position_ >= text_.size()) return 0;
  return static_cast<unsigned char>(text_[position_++]);
}

int CPerserString::PeekChar() {
  if (position_ >= text_.size()) return 0;
  return static_cast<unsigned char>(text_[position_]);
}

size_t CPerserString::SetPosition(size_t offset) {
  position_ = offset < text_.size() ? offset : text_.size();
  return position_;
}

}  // namespace zelvan

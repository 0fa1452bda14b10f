// The C scanner over a text held in memory (an editor's copy of a source).
//
// No line-end translation: only a line feed ends a line, and a carriage
// return is an ordinary word character. The text ends at its first zero
// byte, as a C string does.
#pragma once

#include <string>
#include <string_view>

#include "scanner/c_scanner.h"

namespace zelvan {

class CTextScanner : public CScanner {
 public:
  explicit CTextScanner(std::string_view text);

  int GetChar() override;
  int PeekChar() override;
  size_t GetPosition() const override { return position_; }
  // Clamps to the text length.
  size_t SetPosition(size_t offset) override;

  const std::string& text() const { return text_; }

 private:
  size_t position_ = 0;
  std::string text_;
};

}  // namespace zelvan

// Feeds arbitrary bytes to both scanner sources: NextToken loops, and the
// parse loop with a handler that accepts everything and one that refuses at
// some word. The two sources must agree on every text without carriage
// returns.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/c_file_scanner.h"
#include "scanner/c_text_scanner.h"
#include "scanner/scan_words.h"

namespace {

using zelvan::CScanner;
using zelvan::ScannedWord;

// Builds records like a declaration parser would, reads words itself on
// "enum" and "#pragma", and refuses the word numbered `refuse_at` (0: never).
class FuzzHandler : public zelvan::DeclarationHandler {
 public:
  explicit FuzzHandler(size_t refuse_at) : refuse_at_(refuse_at) {}

  int HandleDeclarationToken(CScanner& parser, const std::string& word, uint32_t result) override {
    if (++count_ == refuse_at_) return 0;
    if (word == "enum") return parser.SkipToKind(zelvan::token::kSemicolon) != 0;
    if (word == "#pragma") {
      parser.SkipToEndOfLine();
      return 1;
    }
    if (!parser.current_record() && !word.empty()) {
      parser.SetCurrentRecord(std::make_unique<zelvan::DeclarationRecord>());
    }
    if (zelvan::token::KindOf(result) == zelvan::token::kSemicolon) parser.FinishCurrentRecord();
    return 1;
  }

 private:
  size_t refuse_at_;
  size_t count_ = 0;
};

void CheckWords(const std::vector<ScannedWord>& words, bool from_file) {
  for (const ScannedWord& w : words) {
    if (zelvan::DelimiterName(w.kind) == "?") __builtin_trap();
    if (w.text.find_first_of(std::string_view(" \t\n\0", 4)) != std::string::npos) {
      __builtin_trap();
    }
    if (from_file && w.text.find('\r') != std::string::npos) __builtin_trap();
    if (w.line < 1) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);

  std::vector<ScannedWord> file_words;
  std::vector<ScannedWord> string_words;
  {
    zelvan::CFileScanner file;
    if (!file.OpenBytes(std::string(text), "C:\\fuzz\\input.c")) __builtin_trap();
    zelvan::ReadAllWords(file, &file_words);
    if (file.GetChar() != 0 || file.PeekChar() != 0) __builtin_trap();
  }
  {
    zelvan::CTextScanner str(text);
    zelvan::ReadAllWords(str, &string_words);
    if (str.GetChar() != 0) __builtin_trap();
  }
  CheckWords(file_words, true);
  CheckWords(string_words, false);
  if (text.find('\r') == std::string_view::npos && file_words != string_words) __builtin_trap();

  size_t refuse_at = size == 0 ? 1 : data[0] % 32 + 1;
  for (size_t refuse : {size_t{0}, refuse_at}) {
    FuzzHandler file_handler(refuse);
    zelvan::CFileScanner file;
    file.set_declaration_handler(&file_handler);
    uint64_t calls = 0;
    file.ParseBytes(std::string(text), "input.c",
                    [&](const std::string&, uint32_t position, uint32_t length) {
                      if (position > length) __builtin_trap();
                      ++calls;
                    });
    if (calls > size) __builtin_trap();
    if (file.current_record() != nullptr) __builtin_trap();

    FuzzHandler string_handler(refuse);
    zelvan::CTextScanner str(text);
    str.set_declaration_handler(&string_handler);
    str.ParseTokens();
    if (str.current_record() != nullptr) __builtin_trap();
  }

  std::vector<ScannedWord> active;
  zelvan::CTextScanner str(text);
  zelvan::ReadActiveWords(str, &active);
  CheckWords(active, false);
  return 0;
}

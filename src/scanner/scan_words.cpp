#include "scanner/scan_words.h"

#include "platform/ansi_text.h"

namespace zelvan {

namespace {

class WordCollector : public DeclarationHandler {
 public:
  explicit WordCollector(std::vector<ScannedWord>* words) : words_(words) {}

  int HandleDeclarationToken(CScanner& parser, const std::string& word, uint32_t result) override {
    words_->push_back({word, token::KindOf(result), parser.token_line()});
    return 1;
  }

 private:
  std::vector<ScannedWord>* words_;
};

}  // namespace

void ReadAllWords(CScanner& source, std::vector<ScannedWord>* words) {
  std::string word;
  while (uint32_t result = source.NextToken(&word)) {
    words->push_back({word, token::KindOf(result), source.token_line()});
  }
}

bool ReadActiveWords(CScanner& source, std::vector<ScannedWord>* words) {
  WordCollector collector(words);
  source.set_declaration_handler(&collector);
  bool ok = source.ParseTokens();
  source.set_declaration_handler(nullptr);
  return ok;
}

std::string FormatWords(const std::vector<ScannedWord>& words) {
  std::string out;
  for (const ScannedWord& word : words) {
    out += std::to_string(word.line);
    out += " [";
    for (char c : word.text) {
      auto byte = static_cast<unsigned char>(c);
      if (byte < 0x20 || byte == 0x7F) {
        out += StringPrintf("\\x%02X", byte);
      } else {
        out += c;
      }
    }
    out += "] ";
    out += DelimiterName(word.kind);
    out += '\n';
  }
  return out;
}

std::string_view DelimiterName(uint32_t kind) {
  switch (kind) {
    case token::kEndOfLine:
      return "LF";
    case token::kTab:
      return "TAB";
    case token::kSpace:
      return "SPACE";
    case token::kSemicolon:
      return ";";
    case token::kComma:
      return ",";
    case token::kStar:
      return "*";
    case token::kAmpersand:
      return "&";
    case token::kEquals:
      return "=";
    case token::kOpenBrace:
      return "{";
    case token::kCloseBrace:
      return "}";
    case token::kOpenParen:
      return "(";
    case token::kCloseParen:
      return ")";
    default:
      return "?";
  }
}

}  // namespace zelvan

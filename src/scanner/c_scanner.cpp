#include "scanner/c_scanner.h"

#include <limits>
#include <utility>

namespace zelvan {

namespace {

// The kind of a delimiter character, 0 for a word character.
uint32_t DelimiterKind(int c) {
  switch (c) {
    case '\n':
      return token::kEndOfLine;
    case '\t':
      return token::kTab;
    case ' ':
      return token::kSpace;
    case ';':
      return token::kSemicolon;
    case ',':
      return token::kComma;
    case '*':
      return token::kStar;
    case '&':
      return token::kAmpersand;
    case '=':
      return token::kEquals;
    case '{':
      return token::kOpenBrace;
    case '}':
      return token::kCloseBrace;
    case '(':
      return token::kOpenParen;
    case ')':
      return token::kCloseParen;
    default:
      return 0;
  }
}

enum class Directive { kNone, kConditional, kElse, kDefine, kLine, kEndif };

// The directives the parse loop handles itself; compared exactly, so "# if"
// and "#IF" are none.
Directive DirectiveOf(const std::string& word) {
  // Most words are no directive; one look at the first byte says so.
  if (word.empty() || word[0] != '#') return Directive::kNone;
  if (word == "#if" || word == "#ifdef" || word == "#ifndef") return Directive::kConditional;
  if (word == "#else" || word == "#elif") return Directive::kElse;
  if (word == "#define") return Directive::kDefine;
  if (word == "#include" || word == "#undef") return Directive::kLine;
  if (word == "#endif") return Directive::kEndif;
  return Directive::kNone;
}

}  // namespace

CScanner::~CScanner() = default;

int CScanner::GetChar() {
  return 0;
}
int CScanner::PeekChar() {
  return 0;
}
size_t CScanner::GetPosition() const {
  return 0;
}
size_t CScanner::SetPosition(size_t /*offset*/) {
  return 0;
}

void CScanner::CountLine() {
  // Saturate rather than overflow on absurdly long texts.
  if (line_number_ < std::numeric_limits<int32_t>::max()) ++line_number_;
}

uint32_t CScanner::HandOut(std::string* word, uint32_t kind) {
  if (kind == token::kStar) word_buffer_ += '*';
  if (kind == token::kAmpersand) word_buffer_ += '&';
  word->swap(word_buffer_);
  word_buffer_.clear();
  return kind | token::kResultMark;
}

uint32_t CScanner::NextToken(std::string* word) {
  word_buffer_.clear();
  word->clear();
  int c;
  do {
    c = GetChar();
  } while (c == ' ' || c == '\t');
  if (c == 0) return 0;
  token_line_ = line_number_;

  for (;;) {
    if (uint32_t kind = DelimiterKind(c)) {
      if (c == '\n') CountLine();
      return HandOut(word, kind);
    }
    switch (c) {
      case '"':
      case '\'':
        SkipQuoted(c);
        break;
      case '[':
        SkipBracketed();
        break;
      case '/': {
        int next = PeekChar();
        if (next == '/') {
          SkipQuoted('\n');
          return HandOut(word, token::kEndOfLine);
        }
        if (next == '*') {
          GetChar();
          SkipBlockComment();
        } else {
          word_buffer_ += '/';
        }
        break;
      }
      case '\\': {
        int next = PeekChar();
        if (next == '\n' || next == '\r') {
          // Line continuation. A text held in memory keeps its carriage
          // returns, so a CR LF after the backslash is one line end there too.
          if (GetChar() == '\r' && PeekChar() == '\n') GetChar();
          CountLine();
        } else {
          word_buffer_ += '\\';
        }
        break;
      }
      default:
        word_buffer_ += static_cast<char>(c);
        break;
    }
    c = GetChar();
    if (c == 0) {
      if (word_buffer_.empty()) return 0;
      return HandOut(word, token::kEndOfLine);
    }
  }
}

uint32_t CScanner::SkipToKind(uint32_t kind) {
  std::string word;
  for (;;) {
    uint32_t result = NextToken(&word);
    if (result == 0 || token::KindOf(result) == kind) return result;
  }
}

void CScanner::SkipQuoted(int terminator) {
  for (;;) {
    int c = GetChar();
    if (c == 0) return;
    if (c == '\\') {
      c = GetChar();
      if (c == 0) return;
      if (c == '\r' && PeekChar() == '\n') c = GetChar();  // CR LF held in memory
      if (c == '\n') CountLine();
      continue;
    }
    if (c == '\n') CountLine();
    if (c == terminator) return;
  }
}

void CScanner::SkipBracketed() {
  // "buf[sizeof("[]:n")]" and "a[b[1]]" close at their own "]".
  for (int depth = 1;;) {
    int c = GetChar();
    if (c == 0) return;
    if (c == '\n') CountLine();
    if (c == '"' || c == '\'') SkipQuoted(c);
    if (c == '[') ++depth;
    if (c == ']' && --depth == 0) return;
  }
}

void CScanner::SkipBlockComment() {
  for (;;) {
    int c = GetChar();
    if (c == 0) return;
    if (c == '\n') CountLine();
    if (c == '*' && PeekChar() == '/') {
      GetChar();
      return;
    }
  }
}

bool CScanner::ParseTokens() {
  bool ok = true;
  std::string word;
  while (ok) {
    uint32_t result = NextToken(&word);
    if (result == 0) break;
    bool line_ended = token::KindOf(result) == token::kEndOfLine;
    switch (DirectiveOf(word)) {
      case Directive::kConditional:
        ok = preprocessor_status_.BeginConditional(word);
        if (ok) branchings_.push_back({false, BetweenDeclarations(), brace_depth_, member_flag_});
        // "#if(" : the condition word ended by the "(" is the directive itself.
        parenthesised_if_ = word == "#if" && token::KindOf(result) == token::kOpenParen;
        continue;
      case Directive::kElse:
        ok = BeginNextBranch();
        if (ok && !line_ended) SkipToEndOfLine();
        continue;
      case Directive::kDefine:
      case Directive::kLine:
        if (!line_ended) SkipToEndOfLine();
        continue;
      case Directive::kEndif:
        if (preprocessor_status_.Pop() && !branchings_.empty()) branchings_.pop_back();
        continue;
      case Directive::kNone:
        break;
    }
    if (preprocessor_status_.GetLastOrZero() == pp_state::kIfPending &&
        (parenthesised_if_ || (word.empty() && token::KindOf(result) == token::kOpenParen))) {
      // "#if ( configX == 1 )": the first word is no condition; the whole
      // line is, and only a zero makes it false.
      parenthesised_if_ = false;
      preprocessor_status_.SetCondition(ReadConditionIsZero(word, result) ? "0" : "1");
      NoteCondition();
    } else if (preprocessor_status_.SetCondition(word)) {
      NoteCondition();
      if (!line_ended) SkipToEndOfLine();
    } else if ((preprocessor_status_.GetEffectiveState() & pp_state::kStateMask) == 0) {
      if (handler_ && handler_->HandleDeclarationToken(*this, word, result) == 0) ok = false;
    }
  }
  FinishCurrentRecord();
  return ok;
}

bool CScanner::BetweenDeclarations() {
  return handler_ == nullptr || handler_->BetweenDeclarations(*this);
}

void CScanner::NoteCondition() {
  if (!branchings_.empty())
    branchings_.back().taken = pp_state::IsActive(preprocessor_status_.GetLast());
}

bool CScanner::BeginNextBranch() {
  bool take = true;
  if (!branchings_.empty()) {
    const Branching& b = branchings_.back();
    take = !b.taken || (b.between && brace_depth_ == b.brace_depth &&
                        member_flag_ == b.member_flag && BetweenDeclarations());
  }
  if (!preprocessor_status_.NextBranch(take)) return false;
  if (take && !branchings_.empty()) branchings_.back().taken = true;
  return true;
}

bool CScanner::ReadConditionIsZero(const std::string& first, uint32_t result) {
  // Zero when every word is zeros (or nothing) and only parentheses and
  // blanks stand between them: "(0)", "( 0 )", and "()" as "#if" alone.
  bool only_zero = true;
  std::string word = first;
  for (;;) {
    uint32_t kind = token::KindOf(result);
    if (word.find_first_not_of('0') != std::string::npos) only_zero = false;
    if (kind != token::kOpenParen && kind != token::kCloseParen && kind != token::kSpace &&
        kind != token::kTab && kind != token::kEndOfLine) {
      only_zero = false;
    }
    if (kind == token::kEndOfLine) break;
    result = NextToken(&word);
    if (result == 0) break;
  }
  return only_zero;
}

void CScanner::SetCurrentRecord(std::unique_ptr<DeclarationRecord> record) {
  current_record_ = std::move(record);
}

std::unique_ptr<DeclarationRecord> CScanner::TakeCurrentRecord() {
  return std::move(current_record_);
}

void CScanner::FinishCurrentRecord() {
  if (current_record_) records_.push_back(std::move(current_record_));
}

void CScanner::AppendRecord(std::unique_ptr<DeclarationRecord> record) {
  if (record) records_.push_back(std::move(record));
}

}  // namespace zelvan

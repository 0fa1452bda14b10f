// The C scanner: a character source read as words, each tagged with the
// delimiter that ended it, and a parse loop that follows conditional
// compilation and hands the words of active branches to a declaration
// handler.
//
// The scanner is shallow on purpose: no macro expansion, no expression
// evaluation, no include processing. Its words serve a list of what a source
// defines in any configuration, so it follows every branch it can:
//   - "#if" is taken unless its first word is empty or all zeros, or, for a
//     parenthesised condition, unless the whole line is nothing but a zero
//     in parentheses ("#if ( 0 )"; "#if ( X == 1 )" is taken). "#ifdef" and
//     "#ifndef" are always taken;
//   - a branch after "#else" or "#elif" is taken when no branch before it
//     was, and also when the conditional began between declarations and the
//     branch before ended there again, at the same brace depth (as the
//     handler judges: DeclarationHandler::BetweenDeclarations). Otherwise
//     the branches would stack up: "#ifdef X / int f(int a) { / #else /
//     int f(long a) { / #endif" opens one body, not two.
//
// Subclasses supply the characters (CFileScanner, CTextScanner). One scanner
// object serves one text: its line count and stacks are never reset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scanner/state_stack.h"

namespace zelvan {

// The result of NextToken: the kind of the delimiter that ended the word,
// with kResultMark in the low byte. Compare KindOf(result) with a kind.
namespace token {
inline constexpr uint32_t kEndOfLine = 0x100;  // line feed, "//" comment, end of text
inline constexpr uint32_t kTab = 0x200;
inline constexpr uint32_t kSpace = 0x400;
inline constexpr uint32_t kSemicolon = 0x800;
inline constexpr uint32_t kComma = 0x1000;
inline constexpr uint32_t kStar = 0x2000;       // the word gets a trailing "*"
inline constexpr uint32_t kAmpersand = 0x4000;  // the word gets a trailing "&"
inline constexpr uint32_t kEquals = 0x8000;
inline constexpr uint32_t kOpenBrace = 0x10000000;
inline constexpr uint32_t kCloseBrace = 0x20000000;
inline constexpr uint32_t kOpenParen = 0x40000000;
inline constexpr uint32_t kCloseParen = 0x80000000;

inline constexpr uint32_t kResultMark = 0x02;
inline constexpr uint32_t kKindMask = 0xFFFFFF00;

inline uint32_t KindOf(uint32_t result) {
  return result & kKindMask;
}
}  // namespace token

// A declaration being built by the declaration parser. The scanner only
// holds finished records and frees them; the parser derives the real thing.
class DeclarationRecord {
 public:
  virtual ~DeclarationRecord() = default;
};

class CScanner;

// Receives the words of active branches from ParseTokens.
class DeclarationHandler {
 public:
  virtual ~DeclarationHandler() = default;
  // `result` is what NextToken returned for `word`. Returns nonzero to go
  // on; 0 stops the scan and makes ParseTokens fail. The handler may read
  // further words itself through the parser (NextToken, SkipToKind ...).
  virtual int HandleDeclarationToken(CScanner& parser, const std::string& word,
                                     uint32_t result) = 0;
  // Whether the words so far form whole declarations or statements, so that
  // the next ones may come from another branch of a conditional.
  virtual bool BetweenDeclarations(CScanner& /*parser*/) { return true; }
};

class CScanner {
 public:
  virtual ~CScanner();
  CScanner(const CScanner&) = delete;
  CScanner& operator=(const CScanner&) = delete;

  // The character source. Characters are byte values 1..255; 0 is the end
  // of the text (a zero byte in the text ends it for good). The base
  // versions have no text.
  virtual int GetChar();
  virtual int PeekChar();
  virtual size_t GetPosition() const;
  // Moves the read position (clamped by the source) and returns the new one.
  virtual size_t SetPosition(size_t offset);

  // Reads the next word into `word`. Returns its delimiter kind plus
  // kResultMark, or 0 when the text ends before any word. The word may be
  // empty (a delimiter right after blanks or after another delimiter).
  // Quoted text, "[...]" and block comments are dropped from the word
  // without ending it; "\" before a line end continues the word.
  uint32_t NextToken(std::string* word);
  // Reads words up to and including one ended by `kind`; returns that
  // result, or 0 at the end of the text.
  uint32_t SkipToKind(uint32_t kind);
  uint32_t SkipToEndOfLine() { return SkipToKind(token::kEndOfLine); }
  // Reads up to and including `terminator`; a backslash escapes the next
  // character. Stops at the end of the text.
  void SkipQuoted(int terminator);
  // Reads up to and including the "]" that closes a "[" just read, passing
  // over nested brackets and quoted text.
  void SkipBracketed();
  // Reads up to and including "*/" (the "/*" already read).
  void SkipBlockComment();

  // Scans the whole text. True when its end was reached; false when a
  // conditional directive is misplaced ("#else" without "#if", or one
  // directive while another still waits for its condition) or the handler
  // refused a word. With no handler every active word is accepted. A pending
  // current record is moved to the record list in either case.
  bool ParseTokens();

  // Not owned; may be null.
  void set_declaration_handler(DeclarationHandler* handler) { handler_ = handler; }

  // Current line, 1 at the start.
  int32_t line_number() const { return line_number_; }
  // The line on which the word last handed out by NextToken began.
  int32_t token_line() const { return token_line_; }

  PreprocessorStateStack& preprocessor_status() { return preprocessor_status_; }
  ClassStateStack& class_status() { return class_status_; }

  // State words of the declaration parser, kept here with the scan.
  uint32_t member_flag() const { return member_flag_; }
  void set_member_flag(uint32_t value) { member_flag_ = value; }
  uint32_t parser_state() const { return parser_state_; }
  void set_parser_state(uint32_t value) { parser_state_ = value; }
  int32_t paren_depth() const { return paren_depth_; }
  void set_paren_depth(int32_t value) { paren_depth_ = value; }
  int32_t brace_depth() const { return brace_depth_; }
  void set_brace_depth(int32_t value) { brace_depth_ = value; }

  // The record being built; null when none.
  DeclarationRecord* current_record() const { return current_record_.get(); }
  void SetCurrentRecord(std::unique_ptr<DeclarationRecord> record);
  std::unique_ptr<DeclarationRecord> TakeCurrentRecord();
  // Moves the current record (if any) to the end of the record list.
  void FinishCurrentRecord();
  void AppendRecord(std::unique_ptr<DeclarationRecord> record);
  // Finished records in the order they were finished; owned by the scanner.
  const std::vector<std::unique_ptr<DeclarationRecord>>& records() const { return records_; }

 protected:
  CScanner() = default;

 private:
  void CountLine();
  uint32_t HandOut(std::string* word, uint32_t kind);
  // Reads a parenthesised "#if" condition to the end of its line, starting
  // from its first word and that word's result; true when it is only zero.
  bool ReadConditionIsZero(const std::string& first, uint32_t result);
  bool BetweenDeclarations();
  // "#else" or "#elif": decides whether the next branch is taken.
  bool BeginNextBranch();
  // The newest conditional now knows whether its first branch is taken.
  void NoteCondition();

  std::string word_buffer_;
  PreprocessorStateStack preprocessor_status_;
  ClassStateStack class_status_;
  int32_t line_number_ = 1;
  uint32_t member_flag_ = 0;
  uint32_t parser_state_ = 0;
  int32_t paren_depth_ = 0;
  int32_t brace_depth_ = 0;
  std::unique_ptr<DeclarationRecord> current_record_;
  std::vector<std::unique_ptr<DeclarationRecord>> records_;

  int32_t token_line_ = 1;
  DeclarationHandler* handler_ = nullptr;
  // "#if(" was read: its condition is parenthesised.
  bool parenthesised_if_ = false;
  // One per open conditional: where it began, and whether one of its
  // branches was taken.
  struct Branching {
    bool taken = false;
    bool between = false;
    int32_t brace_depth = 0;
    uint32_t member_flag = 0;
  };
  std::vector<Branching> branchings_;
};

}  // namespace zelvan

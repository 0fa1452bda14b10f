#include "scanner/declaration_parser.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "platform/ansi_text.h"
#include "scanner/c_text_scanner.h"
#include "scanner/declaration_parser_internal.h"

namespace zelvan {

using namespace declaration_internal;  // NOLINT(google-build-using-namespace)

bool declaration_internal::IsPlainName(std::string_view word) {
  static constexpr std::string_view kNotNames[] = {
      "const", "volatile", "throw",    "noexcept", "override", "final", "struct", "union",
      "enum",  "unsigned", "signed",   "void",     "char",     "short", "int",    "long",
      "float", "double",   "register", "static",   "extern",   "inline"};
  if (word.empty() || (word[0] >= '0' && word[0] <= '9')) return false;
  for (char c : word) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && c != '_' && !(c >= '0' && c <= '9')) return false;
  }
  return std::find(std::begin(kNotNames), std::end(kNotNames), word) == std::end(kNotNames);
}

namespace {

bool IsTypeWord(std::string_view word) {
  static constexpr std::string_view kWords[] = {
      "char",     "short",   "int",   "long",   "float", "double", "register",
      "volatile", "virtual", "class", "struct", "union", "*",      "&"};
  return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

// 3 public, 2 protected, 1 private; 0 for any other word.
int32_t AccessOf(std::string_view word) {
  if (word == "public" || word == "public:") return 3;
  if (word == "protected" || word == "protected:") return 2;
  if (word == "private" || word == "private:") return 1;
  return 0;
}

// Compiler extensions whose parenthesised argument says nothing about the
// declaration: "int __attribute__((noreturn)) f(void)".
bool IsExtensionWithArgument(std::string_view word) {
  static constexpr std::string_view kWords[] = {"__attribute__", "__attribute", "__declspec",
                                                "_declspec",     "__asm__",     "__asm",
                                                "asm",           "_Alignas",    "alignas"};
  return std::find(std::begin(kWords), std::end(kWords), word) != std::end(kWords);
}

// Blanks the scanner keeps in words: the carriage returns of a text held in
// memory, and form feeds and vertical tabs (a page break alone on its line
// must not start a declaration).
constexpr std::string_view kBlankControls = "\r\f\v";

void StripBlankControls(std::string* word) {
  if (word->find_first_of(kBlankControls) == std::string::npos) return;
  std::erase_if(*word, [](char c) { return kBlankControls.find(c) != std::string_view::npos; });
}

bool IsBlankKind(uint32_t kind) {
  return kind == token::kSpace || kind == token::kTab || kind == token::kEndOfLine;
}

bool EndsInPointerMark(std::string_view word);

// Whether the words of a parenthesised list are those of a macro call
// ("1, 2", "x", "&l->lock") rather than of a parameter list: every argument
// one name or number, or an expression no declaration holds (an address,
// a member), and at least one. "()", "(void)", "(int n)", "(char *p)" and
// "(...)" are parameter lists.
bool HoldsMacroArguments(const std::vector<std::string>& words) {
  bool after_comma = true;
  for (const std::string& word : words) {
    if ((after_comma && word.starts_with('&')) || word.find("->") != std::string::npos) {
      return true;
    }
    if (word == ",") {
      if (after_comma) return false;
      after_comma = true;
      continue;
    }
    if (!after_comma || word == "void" || word == "..." || word == "(" || word == ")" ||
        EndsInPointerMark(word)) {
      return false;
    }
    after_comma = false;
  }
  return !words.empty();
}

// Words that can open a definition's line: type words, qualifiers, names
// (of types), pointer marks.
bool CanStartDefinition(std::string_view word) {
  if (word == "*" || word == "**") return true;
  std::string_view name = word;
  while (!name.empty() && (name.back() == '*' || name.back() == '&'))
    name.remove_suffix(1);
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
  for (char c : name) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && c != '_' && !(c >= '0' && c <= '9')) return false;
  }
  return true;
}

bool EndsInPointerMark(std::string_view word) {
  return !word.empty() && (word.back() == '*' || word.back() == '&');
}

}  // namespace

// --- Words.

int DeclarationParser::HandleDeclarationToken(CScanner& parser, const std::string& word,
                                              uint32_t result) {
  std::string_view text = word;
  std::string stripped;
  if (word.find_first_of(kBlankControls) != std::string::npos) {
    stripped = word;
    StripBlankControls(&stripped);
    text = stripped;
  }
  int ok = Step(parser, TokenView{text, token::KindOf(result), parser.token_line(), false});
  while (ok != 0 && !queue_.empty()) {
    Token next = std::move(queue_.front());
    queue_.pop_front();
    ok = Step(parser, next.View());
  }
  if (ok == 0) queue_.clear();
  return ok;
}

bool DeclarationParser::BetweenDeclarations(CScanner& p) {
  if (p.member_flag() != 0) return true;
  if (!queue_.empty() || p.paren_depth() != 0) return false;
  if (Root(p) == nullptr) return true;
  // A fresh declaration inside braces, with no word yet.
  const ParsedDeclaration* current = Current(p);
  return p.parser_state() == kStart && RelativeDepth(p) > 0 && current != nullptr &&
         current->kind == kUnknown && current->storage == 0 && current->type.empty() &&
         current->name.empty();
}

bool DeclarationParser::ReadSignificant(CScanner& p, Token* token) {
  for (;;) {
    uint32_t result = p.NextToken(&token->word);
    if (result == 0) return false;
    StripBlankControls(&token->word);
    token->kind = token::KindOf(result);
    token->line = p.token_line();
    token->raw = false;
    if (!token->word.empty() || !IsBlankKind(token->kind)) return true;
  }
}

int DeclarationParser::SkipEnumBody(CScanner& p) {
  std::string word;
  for (int depth = 1; depth > 0;) {
    uint32_t result = p.NextToken(&word);
    if (result == 0) return 0;
    if (token::KindOf(result) == token::kOpenBrace) ++depth;
    if (token::KindOf(result) == token::kCloseBrace) --depth;
  }
  if (p.SkipToKind(token::kSemicolon) == 0) return 0;
  // The ";" ends the declaration the enumeration stood in.
  queue_.push_front(Token{std::string(), token::kSemicolon, p.token_line(), true});
  return 1;
}

int DeclarationParser::SkipEnum(CScanner& p, const TokenView& token) {
  if (token.kind == token::kOpenBrace) return SkipEnumBody(p);
  Token tag;
  if (IsBlankKind(token.kind)) {
    if (!ReadSignificant(p, &tag)) return 0;
    if (tag.kind == token::kOpenBrace) return SkipEnumBody(p);
  } else {
    // "enum;" or "enum*": nothing more to look at.
    tag = Token{std::string(), token.kind, token.line, false};
  }
  Token enum_word{"enum", token::kSpace, token.line, true};
  if (!tag.word.empty() && IsBlankKind(tag.kind)) {
    Token next;
    if (!ReadSignificant(p, &next)) return 0;
    if (next.word.empty() && next.kind == token::kOpenBrace) return SkipEnumBody(p);
    // "enum mode get_mode(void)": an enumeration type, read as type words.
    tag.raw = true;
    queue_.push_front(std::move(next));
    queue_.push_front(std::move(tag));
    queue_.push_front(std::move(enum_word));
    return 1;
  }
  tag.raw = true;
  queue_.push_front(std::move(tag));
  queue_.push_front(std::move(enum_word));
  return 1;
}

int DeclarationParser::SkipExtension(CScanner& p, const TokenView& token) {
  if (token.kind != token::kOpenParen) {
    if (!IsBlankKind(token.kind)) {
      // "__attribute__;": the delimiter still counts.
      queue_.push_front(Token{std::string(), token.kind, token.line, true});
      return 1;
    }
    Token next;
    if (!ReadSignificant(p, &next)) return 1;
    if (!(next.word.empty() && next.kind == token::kOpenParen)) {
      queue_.push_front(std::move(next));
      return 1;
    }
  }
  std::string word;
  for (int depth = 1; depth > 0;) {
    uint32_t result = p.NextToken(&word);
    if (result == 0) return 1;
    if (token::KindOf(result) == token::kOpenParen) ++depth;
    if (token::KindOf(result) == token::kCloseParen) --depth;
  }
  return 1;
}

int DeclarationParser::StepInBody(CScanner& p, const TokenView& token) {
  if (!token.raw && !token.word.empty() && token.word[0] == '#' &&
      token.kind != token::kEndOfLine) {
    return p.SkipToEndOfLine() != 0 ? 1 : 0;
  }
  if (token.kind == token::kOpenBrace) {
    scope_names_.emplace_back();
    p.class_status().Push(2);
    p.set_brace_depth(p.brace_depth() + 1);
  } else if (token.kind == token::kCloseBrace) {
    CloseBrace(p);
  }
  return 1;
}

int DeclarationParser::Step(CScanner& p, const TokenView& token) {
  // Nothing inside a function body is a record of its own: only the brace
  // that closes it matters.
  if (p.member_flag() != 0) return StepInBody(p, token);
  const std::string_view w = token.word;
  const uint32_t k = token.kind;

  // Constructs skipped whole.
  if (!token.raw) {
    if (w == "enum" && p.paren_depth() == 0) return SkipEnum(p, token);
    if (w == "__regbank" || w == "__regbank_os") {
      if (k != token::kOpenParen && p.SkipToKind(token::kOpenParen) == 0) return 0;
      return p.SkipToKind(token::kCloseParen) != 0 ? 1 : 0;
    }
    if (!w.empty() && w[0] == '#') {
      // "#pragma", and the directives the scanner leaves to us.
      line_tokens_.clear();
      previous_line_tokens_.clear();
      if (k == token::kEndOfLine) return 1;
      return p.SkipToEndOfLine() != 0 ? 1 : 0;
    }
    if (IsExtensionWithArgument(w)) return SkipExtension(p, token);
  }

  if (p.brace_depth() == 0 && Resynchronise(p, token)) return 1;
  NoteLineToken(p, token);

  uint32_t state = p.parser_state();
  if (state == kInitialiser && ConsumedByInitialiser(p, k)) return 1;
  if (state == kAfterParameters && ConsumedAfterParameters(p, token)) return 1;

  // "extern "C"": the string is dropped by the scanner, leaving an empty word.
  bool linkage = after_extern_ && w.empty() && (IsBlankKind(k) || k == token::kOpenBrace);
  after_extern_ = w == "extern";
  if (linkage) {
    if (ParsedDeclaration* current = Current(p)) current->storage &= ~ParsedDeclaration::kExtern;
  }

  // Access words inside braces only change the access of what follows.
  if (!w.empty() && p.brace_depth() > 0) {
    if (int32_t access = AccessOf(w)) {
      p.class_status().SetLast(static_cast<uint32_t>(access));
      if (ParsedDeclaration* current = Current(p)) current->access = access;
      return 1;
    }
  }

  // A declaration starts.
  if (w == "struct" || w == "union" || w == "class" || (!w.empty() && Root(p) == nullptr)) {
    if (Root(p) == nullptr) {
      StartRoot(p, token.line);
      state = kStart;
    } else if (p.paren_depth() == 0) {
      state = kStart;
    }
  }

  // The word.
  ParsedDeclaration* current = Current(p);
  if (!w.empty() && current != nullptr) {
    switch (state) {
      case kStart:
        if (w.find("::") != std::string::npos) {
          state = kName;
          current->SetName(w);
          current->line = token.line;
        } else if (!EqualsNoCase(w, "switch")) {
          state = kType;
          if (current->type.empty()) first_type_line_ = token.line;
          current->AddTypeWord(w);
          current->line = token.line;
        }
        break;
      case kType:
        if (IsTypeWord(w) || current->type.empty()) {
          if (current->type.empty()) first_type_line_ = token.line;
          current->AddTypeWord(w);
        } else if (current->type == "class" || current->type == "struct" ||
                   current->type == "union") {
          current->AddTypeWord(w);
          state = kName;
        } else {
          state = kName;
          current->SetName(w);
          current->line = token.line;
        }
        break;
      case kName:
        // A name after "FOO(x)": that was a macro call, not a declarator.
        if (current->kind == kDeclarator && !current->pointer_declarator && p.paren_depth() == 0) {
          current->kind = kUnknown;
          current->after_macro_call = true;
        }
        current->SetName(w);
        current->line = token.line;
        break;
      case kDeclaratorName:
        if (EndsInPointerMark(w)) current->pointer_declarator = true;
        current->SetName(w);
        current->line = token.line;
        break;
      case kArguments:
      case kAfterBody:
        current->argument_words.emplace_back(w);
        break;
      default:
        break;
    }
  }
  p.set_parser_state(state);

  // The delimiter.
  switch (k) {
    case token::kOpenParen:
      if (w.empty()) TakeWrappedParameters(p);
      OpenParen(p);
      break;
    case token::kCloseParen:
      CloseParen(p);
      break;
    case token::kOpenBrace:
      OpenBrace(p, token.line);
      break;
    case token::kCloseBrace:
      CloseBrace(p);
      break;
    case token::kSemicolon:
      Semicolon(p, token.line);
      break;
    case token::kComma:
      Comma(p, token.line);
      break;
    case token::kEquals:
      Equals(p);
      break;
    default:
      break;
  }
  return 1;
}

bool DeclarationParser::ConsumedByInitialiser(CScanner& p, uint32_t kind) {
  switch (kind) {
    case token::kSemicolon:
    case token::kComma:
      return false;
    case token::kOpenBrace:
      p.set_brace_depth(p.brace_depth() + 1);
      return true;
    case token::kCloseBrace:
      // A brace that closes more than the initialiser opened ends it.
      if (p.brace_depth() <= initialiser_braces_) return false;
      p.set_brace_depth(p.brace_depth() - 1);
      return true;
    case token::kOpenParen:
      p.set_paren_depth(p.paren_depth() + 1);
      return true;
    case token::kCloseParen:
      if (p.paren_depth() <= initialiser_parens_) {
        // "if (a == b)": the comparison ends with its parenthesis.
        p.set_parser_state(state_before_initialiser_);
        return false;
      }
      p.set_paren_depth(p.paren_depth() - 1);
      return true;
    default:
      return true;
  }
}

bool DeclarationParser::ConsumedAfterParameters(CScanner& p, const TokenView& token) {
  std::string_view word = token.word;
  uint32_t kind = token.kind;
  // "= {...}": the parentheses were a macro call in an object's declarator.
  if (kind == token::kOpenBrace || kind == token::kCloseBrace || kind == token::kEquals) {
    return false;
  }
  if (!word.empty() && words_after_parameters_++ == 0) {
    first_after_parameters_ = word;
    first_after_parameters_line_ = token.line;
  }
  if (!word.empty()) statement_words_.emplace_back(word);
  if (kind == token::kOpenParen && words_after_parameters_ == 1 &&
      IsPlainName(first_after_parameters_)) {
    ParsedDeclaration* current = Current(p);
    if (current == nullptr) return true;
    if (!HoldsMacroArguments(current->argument_words)) {
      // "int f(void) __acquires(x) {": an annotation after a real parameter
      // list, passed over with its argument.
      return SkipParenthesised(p);
    }
    // "static void PRINTF_STYLE(1, 2) die(const char *f, ...)": what looked
    // like the parameter list was a macro call, and this is the name.
    current->SetName(first_after_parameters_);
    current->line = first_after_parameters_line_;
    current->argument_words.clear();
    current->argument_level = 1;
    p.set_paren_depth(1);
    p.set_parser_state(kArguments);
    return true;
  }
  ParsedDeclaration* record = Current(p);
  if (kind == token::kOpenParen && IsPlainName(word) && record != nullptr &&
      (record->implicit_type || HoldsMacroArguments(record->argument_words)) &&
      std::all_of(statement_words_.begin(), statement_words_.end(), [&](const std::string& w) {
        // "int (*cb) __P((int))" declares a parameter named in the list.
        return CanStartDefinition(w) &&
               std::find(record->argument_words.begin(), record->argument_words.end(), w) ==
                   record->argument_words.end();
      })) {
    // "__printf(2, 3) static void f(", "static __realloc_size(2) void *\n
    // g(": no parameter is declared so, and the "name(x)" before was a
    // macro call. The words since are the type and the name of the
    // declaration; the "(" is read again.
    record->implicit_type = false;
    record->after_macro_call = true;
    record->kind = kUnknown;
    record->argument_words.clear();
    record->argument_level = 0;
    std::string macro = std::move(record->name);
    record->name.clear();
    record->AddTypeWord(macro);
    statement_words_.pop_back();
    for (const std::string& type_word : statement_words_)
      record->AddTypeWord(type_word);
    statement_words_.clear();
    if (!line_tokens_.empty()) line_tokens_.pop_back();
    queue_.push_front(Token{std::string(word), kind, token.line, true});
    p.set_parser_state(kName);
    return true;
  }
  if (kind != token::kSemicolon) return true;
  // "int f(a, cb) int a; void (*cb)(int); {": a ";" that ends the
  // declaration of a parameter named in an identifier list. Any other ends
  // a prototype.
  std::vector<std::string> words;
  words.swap(statement_words_);
  ParsedDeclaration* current = Current(p);
  if (current == nullptr) return false;
  std::unordered_set<std::string_view> identifiers;
  bool after_comma = true;
  for (const std::string& argument : current->argument_words) {
    if (argument == ",") {
      after_comma = true;
      continue;
    }
    if (!after_comma || argument == "void") return false;
    after_comma = false;
    identifiers.insert(argument);
  }
  for (std::string_view name : words) {
    while (!name.empty() && (name.front() == '*' || name.front() == '&'))
      name.remove_prefix(1);
    if (identifiers.contains(name)) return true;
  }
  return false;
}

bool DeclarationParser::SkipParenthesised(CScanner& p) {
  std::string word;
  for (int depth = 1; depth > 0;) {
    uint32_t result = p.NextToken(&word);
    if (result == 0) return true;
    if (token::KindOf(result) == token::kOpenParen) ++depth;
    if (token::KindOf(result) == token::kCloseParen) --depth;
  }
  return true;
}

void DeclarationParser::NoteLineToken(CScanner& p, const TokenView& token) {
  if (p.brace_depth() != 0 || token.kind == token::kOpenBrace || token.kind == token::kCloseBrace) {
    line_tokens_.clear();
    previous_line_tokens_.clear();
    return;
  }
  if (!token.word.empty() || !IsBlankKind(token.kind)) {
    line_tokens_.push_back(Token{std::string(token.word), token.kind, token.line, true});
  }
  if (token.kind == token::kEndOfLine) {
    previous_line_tokens_.swap(line_tokens_);
    line_tokens_.clear();
  }
}

namespace {

// A line that can begin a definition before its name: type words only,
// each ended by a blank, a line end or "*" ("static int", "char *").
bool OnlyTypeWords(const std::vector<std::string>& words, const std::vector<uint32_t>& kinds) {
  for (size_t i = 0; i < words.size(); ++i) {
    uint32_t kind = kinds[i];
    if (!CanStartDefinition(words[i]) ||
        !(IsBlankKind(kind) || kind == token::kStar || kind == token::kAmpersand)) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool DeclarationParser::Resynchronise(CScanner& p, const TokenView& token) {
  // Only "name(" at file scope, outside parentheses, in a declaration that
  // began on an earlier line and cannot go on with a definition here.
  ParsedDeclaration* root = Root(p);
  if (token.kind != token::kOpenParen || root == nullptr || p.member_flag() != 0 ||
      record_line_ >= token.line || resync_line_ == token.line) {
    return false;
  }
  // The name is this word, or the word before it on the line ("name (").
  size_t type_words = line_tokens_.size();
  if (token.word.empty()) {
    if (type_words == 0 || !IsBlankKind(line_tokens_.back().kind)) return false;
    --type_words;
  }
  std::string_view name = token.word.empty() ? line_tokens_.back().word : token.word;
  if (!IsPlainName(name)) return false;
  uint32_t state = p.parser_state();
  bool stranded = false;
  if (state == kAfterParameters) {
    // "FOO(a, b)" with no ";", then "int f(void) {" on a later line.
    stranded = true;
  } else if (state == kName && p.paren_depth() == 0 &&
             (root->kind == kObject || root->after_macro_call)) {
    // "mov r0, #1" or "a, b" with no ";": a declaration list cannot go on
    // with a definition; nor can "FOO(a, b)" on a line of its own.
    stranded = true;
  } else if (state == kInitialiser && p.paren_depth() == initialiser_parens_ &&
             p.brace_depth() == initialiser_braces_) {
    // "x = 1" with no ";", then "static int f(void)": an initialiser goes
    // on with a call, never with type words and a name.
    stranded = type_words > 0;
  }
  if (!stranded) return false;
  std::vector<std::string> words;
  std::vector<uint32_t> kinds;
  for (size_t i = 0; i < type_words; ++i) {
    words.push_back(line_tokens_[i].word);
    kinds.push_back(line_tokens_[i].kind);
  }
  if (!OnlyTypeWords(words, kinds)) return false;
  std::vector<Token> replay = line_tokens_;
  if (type_words == 0 && !previous_line_tokens_.empty()) {
    // "static int" alone on the line before "name(".
    words.clear();
    kinds.clear();
    for (const Token& t : previous_line_tokens_) {
      words.push_back(t.word);
      kinds.push_back(t.kind);
    }
    if (!OnlyTypeWords(words, kinds)) return false;
    replay.insert(replay.begin(), previous_line_tokens_.begin(), previous_line_tokens_.end());
  }
  // A name alone is no definition's start: "__acquires(x)" on a line of its
  // own still belongs to the definition above it.
  if (words.empty()) return false;
  // What stood before was no declaration that a definition could follow:
  // it is dropped, and the line is read again as a declaration of its own.
  resync_line_ = token.line;
  p.TakeCurrentRecord();
  p.set_parser_state(kNone);
  p.set_paren_depth(0);
  words_after_parameters_ = 0;
  after_extern_ = false;
  line_tokens_.clear();
  previous_line_tokens_.clear();
  queue_.push_front(Token{std::string(token.word), token.kind, token.line, true});
  for (auto it = replay.rbegin(); it != replay.rend(); ++it)
    queue_.push_front(*it);
  return true;
}

}  // namespace zelvan

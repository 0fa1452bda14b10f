#include "scanner/declaration_parser.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "platform/ansi_text.h"
#include "scanner/c_text_scanner.h"
#include "scanner/declaration_parser_internal.h"

namespace zelvan {

using namespace declaration_internal;  // NOLINT(google-build-using-namespace)

namespace {

// The class, struct or union that a record with a body names: the word after
// the keyword in its type ("class X" names X).
std::string ScopeNameOf(const ParsedDeclaration* record) {
  if (record == nullptr || record->kind < kBody) return std::string();
  std::vector<std::string> words = SplitAll(record->type, ' ');
  for (size_t i = 0; i + 1 < words.size(); ++i) {
    if (words[i] == "class" || words[i] == "struct" || words[i] == "union") return words[i + 1];
  }
  return std::string();
}

// Whether a body that closed leaves the declaration open for declarators
// ("struct s { ... } a, *b;"); linkage blocks and namespaces end at "}".
bool TakesDeclarators(const ParsedDeclaration& record) {
  if ((record.storage & ParsedDeclaration::kTypedef) != 0) return true;
  for (const std::string& word : SplitAll(record.type, ' ')) {
    if (word == "struct" || word == "union" || word == "class" || word == "enum") return true;
  }
  return false;
}

}  // namespace

// --- Records.

ParsedDeclaration* DeclarationParser::Root(CScanner& p) const {
  return static_cast<ParsedDeclaration*>(p.current_record());
}

int32_t DeclarationParser::RelativeDepth(CScanner& p) const {
  return p.brace_depth() - base_depth_;
}

ParsedDeclaration* DeclarationParser::Current(CScanner& p) const {
  ParsedDeclaration* root = Root(p);
  int32_t depth = RelativeDepth(p);
  return root != nullptr && depth >= 0 ? root->At(depth) : nullptr;
}

int32_t DeclarationParser::NewestAccess(CScanner& p) const {
  uint32_t access = p.class_status().GetLast();
  return access == StateStack::kEmpty ? 2 : static_cast<int32_t>(access);
}

void DeclarationParser::StartRoot(CScanner& p, int32_t line) {
  p.SetCurrentRecord(std::make_unique<ParsedDeclaration>(static_cast<int32_t>(p.member_flag()),
                                                         line, NewestAccess(p)));
  base_depth_ = p.brace_depth();
  record_line_ = line;
}

void DeclarationParser::FinishRoot(CScanner& p) {
  p.FinishCurrentRecord();
  p.set_parser_state(kNone);
  // Parentheses never span declarations: one left open by a macro call must
  // not keep every later name from being taken for a function.
  p.set_paren_depth(0);
}

void DeclarationParser::ReplaceCurrent(CScanner& p, std::unique_ptr<ParsedDeclaration> next) {
  ParsedDeclaration* root = Root(p);
  int32_t depth = RelativeDepth(p);
  if (root == nullptr || depth <= 0) return;
  ParsedDeclaration* parent = root->At(depth - 1);
  if (parent != nullptr && !parent->nested.empty()) parent->nested.back() = std::move(next);
}

bool DeclarationParser::TakeConstructorName(ParsedDeclaration* record) const {
  if (scope_names_.empty() || scope_names_.back().empty()) return false;
  const std::string& scope = scope_names_.back();
  size_t blank = record->type.rfind(' ');
  size_t start = blank == std::string::npos ? 0 : blank + 1;
  std::string_view last = std::string_view(record->type).substr(start);
  if (last != scope &&
      !(last.size() == scope.size() + 1 && last[0] == '~' && last.substr(1) == scope)) {
    return false;
  }
  record->name = std::string(last);
  record->type.erase(blank == std::string::npos ? 0 : blank);
  return true;
}

bool DeclarationParser::TakeImplicitIntName(CScanner& p, ParsedDeclaration* record) const {
  // Only at file scope, where a statement cannot stand.
  if (p.brace_depth() != 0 || p.paren_depth() != 0 || record != Root(p) ||
      (record->storage & ParsedDeclaration::kTypedef) != 0 || !IsPlainName(record->type)) {
    return false;
  }
  // A name in capitals is a macro: "DEFINE_HANDLER(irq) {" defines no
  // function of that name.
  if (std::none_of(record->type.begin(), record->type.end(),
                   [](char c) { return c >= 'a' && c <= 'z'; })) {
    return false;
  }
  record->name = std::move(record->type);
  record->type.clear();
  record->line = first_type_line_;  // "static" may stand on the line before
  record->implicit_type = true;
  return true;
}

void DeclarationParser::TakeWrappedParameters(CScanner& p) const {
  ParsedDeclaration* current = Current(p);
  if (current == nullptr || current->kind != kFunction || p.member_flag() != 0 ||
      p.parser_state() != kArguments || p.paren_depth() != current->argument_level ||
      !current->argument_words.empty()) {
    return;
  }
  size_t blank = current->type.rfind(' ');
  size_t start = blank == std::string::npos ? 0 : blank + 1;
  std::string_view last = std::string_view(current->type).substr(start);
  if (!IsPlainName(last)) return;
  current->name = std::string(last);
  current->type.erase(blank == std::string::npos ? 0 : blank);
  ++current->argument_level;
}

// --- Delimiters.

void DeclarationParser::OpenParen(CScanner& p) {
  ParsedDeclaration* current = Current(p);
  int32_t parens = p.paren_depth();
  uint32_t state = p.parser_state();
  if (current != nullptr) {
    if (current->kind == kUnknown) {
      if (current->name.empty()) {
        if (TakeConstructorName(current) || TakeImplicitIntName(p, current)) {
          current->kind = kFunction;
          state = kArguments;
        } else {
          current->kind = kDeclarator;
          state = kDeclaratorName;
        }
      } else if (parens == 0) {
        current->kind = kFunction;
        state = kArguments;
      }
      if (current->kind == kFunction) current->argument_level = parens + 1;
    } else if (current->kind == kObject || current->kind == kFunction) {
      if (state == kArguments && current->argument_level > 0 && parens >= current->argument_level) {
        current->argument_words.push_back("(");
      }
      state = kArguments;
    } else if (current->kind == kDeclarator) {
      if (parens == 1 && state == kDeclaratorName && current->pointer_declarator &&
          !current->name.empty()) {
        // "(*name(": a function that returns a pointer; these are its parameters.
        current->kind = kFunction;
        current->argument_words.clear();
        current->argument_level = parens + 1;
        state = kArguments;
      } else {
        state = current->name.empty() ? kDeclaratorName : kArguments;
      }
    }
  }
  p.set_parser_state(state);
  p.set_paren_depth(parens + 1);
}

void DeclarationParser::CloseParen(CScanner& p) {
  int32_t parens = p.paren_depth();
  if (parens <= 0) return;
  ParsedDeclaration* current = Current(p);
  if (current != nullptr && p.parser_state() == kArguments && current->argument_level > 0 &&
      parens > current->argument_level) {
    current->argument_words.push_back(")");
  }
  p.set_paren_depth(--parens);
  if (parens > 0) return;
  // After the parameters of a function (outside function bodies) come K&R
  // declarations, attributes or qualifiers, then a body or ";".
  bool parameters_done = current != nullptr && current->kind == kFunction && p.member_flag() == 0;
  p.set_parser_state(parameters_done ? kAfterParameters : kName);
  words_after_parameters_ = 0;
  statement_words_.clear();
}

void DeclarationParser::OpenBrace(CScanner& p, int32_t line) {
  ParsedDeclaration* current = Current(p);
  int32_t depth = RelativeDepth(p);
  if (current != nullptr && current->kind == kUnknown) current->kind = kBody;
  if (current != nullptr && current->implicit_type &&
      (p.parser_state() != kAfterParameters || !statement_words_.empty())) {
    // "weak_alias (a, b)" then "struct s {", or "free_ptr (static struct s
    // {": that was a macro call, and this body is none of it.
    current->kind = kDeclarator;
  }
  if (current != nullptr && current->kind == kFunction && depth > 0 && p.member_flag() == 0) {
    // A member function defined inside a class body: the class record is
    // finished, and the function goes on as a record of its own.
    ParsedDeclaration* parent = Root(p)->At(depth - 1);
    std::unique_ptr<ParsedDeclaration> member = std::move(parent->nested.back());
    parent->nested.pop_back();
    p.FinishCurrentRecord();
    p.SetCurrentRecord(std::move(member));
    base_depth_ = p.brace_depth();
    depth = 0;
    current = Root(p);
  }
  scope_names_.push_back(ScopeNameOf(current));
  p.set_brace_depth(p.brace_depth() + 1);
  p.set_parser_state(kStart);
  ParsedDeclaration* root = Root(p);
  if (root != nullptr) {
    if (ParsedDeclaration* parent = root->At(depth)) {
      parent->nested.push_back(
          std::make_unique<ParsedDeclaration>(static_cast<int32_t>(p.member_flag()), line, 2));
    }
  }
  p.class_status().Push(2);
  // A body of a function, or of a macro that defines one ("FOO(x) {"):
  // nothing inside it is a record of its own.
  if (root != nullptr && depth == 0 && (root->kind == kFunction || root->kind == kDeclarator)) {
    p.set_member_flag(1);
  }
}

void DeclarationParser::CloseBrace(CScanner& p) {
  if (p.brace_depth() <= 0) return;
  // A brace that closes the level a declaration started on ends it.
  if (Root(p) != nullptr && RelativeDepth(p) == 0) FinishRoot(p);
  p.class_status().Pop();
  if (!scope_names_.empty()) scope_names_.pop_back();
  p.set_brace_depth(p.brace_depth() - 1);
  ParsedDeclaration* root = Root(p);
  if (root == nullptr || RelativeDepth(p) != 0) return;
  p.set_member_flag(0);
  p.set_parser_state(kNone);
  if (root->kind == kObject) return;  // "int a[] = {...}": ";" or "," follows
  if (root->kind >= kBody && TakesDeclarators(*root)) {
    p.set_parser_state(kAfterBody);
    return;
  }
  FinishRoot(p);
}

void DeclarationParser::Semicolon(CScanner& p, int32_t line) {
  ParsedDeclaration* current = Current(p);
  if (current != nullptr && current->kind == kUnknown) current->kind = kObject;
  if (Root(p) == nullptr) return;
  if (RelativeDepth(p) == 0) {
    FinishRoot(p);
    return;
  }
  // Each declaration or statement inside braces starts afresh.
  p.set_parser_state(kStart);
  if (current != nullptr) {
    ReplaceCurrent(p, std::make_unique<ParsedDeclaration>(static_cast<int32_t>(p.member_flag()),
                                                          line, NewestAccess(p)));
  }
}

void DeclarationParser::Comma(CScanner& p, int32_t line) {
  ParsedDeclaration* current = Current(p);
  if (current == nullptr) return;
  if (current->kind == kUnknown) current->kind = kObject;
  if (p.paren_depth() > 0 || (current->kind != kObject && current->kind != kDeclarator)) {
    current->argument_words.push_back(",");
    return;
  }
  // The next declaration of a list: "int a, *b;".
  p.set_parser_state(kName);
  if (RelativeDepth(p) == 0) {
    std::unique_ptr<ParsedDeclaration> next = current->NextOfList(line);
    p.FinishCurrentRecord();
    p.SetCurrentRecord(std::move(next));
  } else {
    std::unique_ptr<ParsedDeclaration> next = current->NextOfList(line);
    next->kind = kUnknown;
    ReplaceCurrent(p, std::move(next));
  }
}

void DeclarationParser::Equals(CScanner& p) {
  ParsedDeclaration* current = Current(p);
  if (current != nullptr && current->kind == kUnknown) current->kind = kObject;
  if (p.parser_state() == kArguments && p.paren_depth() > 0) {
    // A default argument: "int f(int n = 3)".
    if (current != nullptr) current->argument_words.push_back("=");
    return;
  }
  state_before_initialiser_ = p.parser_state();
  initialiser_parens_ = p.paren_depth();
  initialiser_braces_ = p.brace_depth();
  p.set_parser_state(kInitialiser);
}

// --- Whole texts.

namespace {

bool Collect(CScanner& scanner, bool scanned, std::vector<FunctionDatabaseEntry>* functions) {
  if (!scanned) return false;
  CollectFunctions(scanner, functions);
  return true;
}

}  // namespace

bool ParseFunctionsInText(std::string_view text, std::vector<FunctionDatabaseEntry>* functions) {
  CTextScanner scanner(text);
  DeclarationParser parser;
  scanner.set_declaration_handler(&parser);
  return Collect(scanner, scanner.ParseTokens(), functions);
}

bool ParseFunctionsInFile(FileReader& fs, std::string_view path, ProgressCallback callback,
                          std::vector<FunctionDatabaseEntry>* functions) {
  CFileScanner scanner;
  DeclarationParser parser;
  scanner.set_declaration_handler(&parser);
  return Collect(scanner, scanner.ParseFile(fs, path, std::move(callback)), functions);
}

bool ParseFunctionsInBytes(std::string bytes, std::string_view path, ProgressCallback callback,
                           std::vector<FunctionDatabaseEntry>* functions) {
  CFileScanner scanner;
  DeclarationParser parser;
  scanner.set_declaration_handler(&parser);
  return Collect(scanner, scanner.ParseBytes(std::move(bytes), path, std::move(callback)),
                 functions);
}

}  // namespace zelvan

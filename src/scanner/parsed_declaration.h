// One declaration as the declaration parser builds it: its type words,
// name, argument words and kind, and one nested declaration per brace level
// opened inside it (a function body, a struct's members). The scanner holds
// the finished ones (CScanner::records) until the parser collects them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/function_database_entry.h"
#include "scanner/c_scanner.h"

namespace zelvan {

class ParsedDeclaration : public DeclarationRecord {
 public:
  // Storage bits.
  static constexpr uint32_t kExtern = 1;
  static constexpr uint32_t kStatic = 2;
  static constexpr uint32_t kConst = 4;
  static constexpr uint32_t kTypedef = 8;

  ParsedDeclaration(int32_t in_body, int32_t first_line, int32_t first_access)
      : body_flag(in_body), line(first_line), access(first_access) {}

  // The declaration `depth` levels down, following the newest nested entry
  // at each level; this one at depth 0. Null when there is none that deep.
  ParsedDeclaration* At(int32_t depth);

  // A type word: "extern", "static", "const" and "typedef" set storage
  // bits, ":" is dropped, others are appended after one blank.
  void AddTypeWord(std::string_view word);
  // A new name: an earlier name goes to the type first ("unsigned" "long"
  // "f" gives type "unsigned long", name "f"; "long*" "f" gives type
  // "long*", name "f"; "*" "f" gives the name "f").
  void SetName(std::string_view word);

  // A new declaration of the same kind and type (the next one of a list:
  // "int a, b;"), without name, arguments or nested entries.
  std::unique_ptr<ParsedDeclaration> NextOfList(int32_t line) const;

  // The argument texts: words joined by one blank up to each "," word;
  // "(" and ")" words hold a nested parameter list ("void (* cb)(int)").
  std::vector<std::string> Arguments() const;

  int32_t body_flag;  // started inside a function body
  int32_t line;       // line of the name (or of the first type word)
  int32_t access;     // 3 public, 2 protected, 1 private
  uint32_t storage = 0;
  int32_t kind = FunctionDatabaseEntry::kUnknown;
  std::string type;
  std::string name;
  std::vector<std::string> argument_words;
  std::vector<std::unique_ptr<ParsedDeclaration>> nested;
  // A "*" or "&" stood inside the declarator parentheses: "(*fp)" declares
  // a pointer, where "FOO(x)" was a macro call.
  bool pointer_declarator = false;
  // Words followed "FOO(x)", which was thus a macro call.
  bool after_macro_call = false;
  // A function with no type words: "main() {".
  bool implicit_type = false;
  // The parenthesis depth inside the parameter list (1 for most functions);
  // parentheses deeper than it belong to an argument ("void (*cb)(int)").
  int32_t argument_level = 0;
};

// A record the scanner finished that defines a function: a function
// declaration with a body, not started inside another function's body, and
// not named "if", "switch" or "while". "extern" does not matter: with a body,
// "extern int f(void) { ... }" defines f.
bool IsFunctionDefinition(const ParsedDeclaration& record);

// Appends an entry for every finished record of `scanner` that defines a
// function, in the order they were finished.
void CollectFunctions(const CScanner& scanner, std::vector<FunctionDatabaseEntry>* functions);

}  // namespace zelvan

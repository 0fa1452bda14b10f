// What the parts of the declaration parser share: the kinds of a record
// and the parser states.
#pragma once

#include <cstdint>
#include <string_view>

#include "scanner/declaration_parser.h"

namespace zelvan::declaration_internal {

constexpr int32_t kUnknown = FunctionDatabaseEntry::kUnknown;
constexpr int32_t kObject = FunctionDatabaseEntry::kObject;
constexpr int32_t kDeclarator = FunctionDatabaseEntry::kDeclarator;
constexpr int32_t kFunction = FunctionDatabaseEntry::kFunction;
constexpr int32_t kBody = FunctionDatabaseEntry::kBody;

// Parser states (CScanner::parser_state).
enum State : uint32_t {
  kNone = 0,
  kStart = 1,            // a declaration begins: its first type word
  kType = 2,             // type words, then the name
  kName = 3,             // the name (again)
  kDeclaratorName = 4,   // the name inside declarator parentheses
  kArguments = 5,        // the words of a parameter list
  kInitialiser = 6,      // words after "=", skipped
  kAfterBody = 7,        // declarators after a struct body
  kAfterParameters = 8,  // between a parameter list and a body or ";"
};

// A name that can follow a macro call: no keyword, type word or qualifier.
bool IsPlainName(std::string_view word);

}  // namespace zelvan::declaration_internal

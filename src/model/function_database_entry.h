// One entry of the function database: a declaration the declaration parser
// found in a source (analysis/declaration_parser.h), as the source file keeps
// it and the function database file stores it.
//
// Stored form (the "data%d" values of the function database file and the
// lines of the transfer text): kind, type, name, line, argument count, then
// each argument, every field followed by ";":
//
//   3;unsigned long;f;12;2;char * p;int n;
//
// Display form (the IDE's function tree): "f(char * p,int n)" for a
// function, the name up to its first "[" for an object or declarator, and
// "type name" for a body that is no function.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

struct FunctionDatabaseEntry {
  // Declaration kinds.
  static constexpr int32_t kUnknown = 0;
  static constexpr int32_t kObject = 1;      // an object declaration
  static constexpr int32_t kDeclarator = 2;  // a declarator in parentheses (pointer to function)
  static constexpr int32_t kFunction = 3;
  static constexpr int32_t kBody = 4;  // struct, class, union or initialiser body; 5, 6 alike

  std::string StoredForm() const;
  // Reads a stored form. False, with the entry unchanged, when the text has
  // fewer than five fields, a number field is no decimal integer, the count
  // is negative, or fewer arguments follow than the count says: such a text
  // is damaged, and its reader should rebuild what it came from.
  bool ReadStoredForm(std::string_view text);
  std::string DisplayForm() const;

  bool operator==(const FunctionDatabaseEntry&) const = default;

  int32_t kind = kUnknown;
  int32_t line = 0;
  std::string type;
  std::string name;
  std::vector<std::string> arguments;
};

// The functions a file defines, in the order they were found
// (scanner/function_database.h), and the file's modification time when they
// were found, as "%04d%02d%02d%02d%02d%02d"; empty when there is none.
struct FunctionListState {
  std::vector<FunctionDatabaseEntry> entries;
  std::string time;
};

}  // namespace zelvan

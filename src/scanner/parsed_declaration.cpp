#include "scanner/parsed_declaration.h"

#include <algorithm>

namespace zelvan {

namespace {

void AppendWord(std::string* text, std::string_view word) {
  if (!text->empty()) *text += ' ';
  *text += word;
}

// Statement words that a shallow parse can take for the name of a function
// ("else if (x) {" looks like a definition of "if").
bool IsStatementWord(std::string_view name) {
  static constexpr std::string_view kWords[] = {"if",     "switch", "while", "for",  "do",
                                                "return", "else",   "case",  "goto", "sizeof"};
  return std::find(std::begin(kWords), std::end(kWords), name) != std::end(kWords);
}

}  // namespace

ParsedDeclaration* ParsedDeclaration::At(int32_t depth) {
  ParsedDeclaration* record = this;
  for (; depth > 0; --depth) {
    if (record->nested.empty()) return nullptr;
    record = record->nested.back().get();
  }
  return depth == 0 ? record : nullptr;
}

void ParsedDeclaration::AddTypeWord(std::string_view word) {
  if (word == "extern") {
    storage |= kExtern;
  } else if (word == "static") {
    storage |= kStatic;
  } else if (word == "const") {
    storage |= kConst;
  } else if (word == "typedef") {
    storage |= kTypedef;
  } else if (word != ":") {
    AppendWord(&type, word);
  }
}

void ParsedDeclaration::SetName(std::string_view word) {
  // "unsigned long* f": a word written with its pointer mark is a type word
  // too, never the start of a longer name ("long*f").
  if (!name.empty()) AppendWord(&type, name);
  name = word;
}

std::unique_ptr<ParsedDeclaration> ParsedDeclaration::NextOfList(int32_t next_line) const {
  auto next = std::make_unique<ParsedDeclaration>(body_flag, next_line, access);
  next->storage = storage;
  next->kind = kind;
  next->type = type;
  return next;
}

std::vector<std::string> ParsedDeclaration::Arguments() const {
  std::vector<std::string> arguments;
  std::string current;
  int nesting = 0;
  for (const std::string& word : argument_words) {
    if (word == "," && nesting == 0) {
      arguments.push_back(std::move(current));
      current.clear();
      continue;
    }
    if (word == "(") ++nesting;
    if (word == ")" && nesting > 0) --nesting;
    // Blanks between words, none inside the parentheses of a nested
    // parameter list: "void (* cb)(int, char)".
    bool tight = current.empty() || current.back() == '(' || word == ")" || word == "," ||
                 (current.back() == ')' && word == "(");
    if (!tight) current += ' ';
    current += word;
  }
  if (!current.empty()) arguments.push_back(std::move(current));
  return arguments;
}

bool IsFunctionDefinition(const ParsedDeclaration& record) {
  return record.kind == FunctionDatabaseEntry::kFunction && record.body_flag == 0 &&
         !IsStatementWord(record.name) && !record.nested.empty();
}

void CollectFunctions(const CScanner& scanner, std::vector<FunctionDatabaseEntry>* functions) {
  for (const auto& finished : scanner.records()) {
    const auto* record = dynamic_cast<const ParsedDeclaration*>(finished.get());
    if (record == nullptr || !IsFunctionDefinition(*record)) continue;
    functions->push_back(FunctionDatabaseEntry{record->kind, record->line, record->type,
                                               record->name, record->Arguments()});
  }
}

}  // namespace zelvan

// The declaration parser: follows the words of the C scanner through
// declarations, brace levels and parameter lists, and leaves one finished
// declaration record (parsed_declaration.h) per outer declaration on the
// scanner, from which the function definitions are collected.
//
// Like the scanner it is shallow: it knows declarations by their shape, not
// by a grammar, and no macro is expanded. The shapes it follows:
//   - type words, then a name, then a parameter list: a function, defined
//     when a body follows. "static unsigned long f(char *p, int n) {" gives
//     type "unsigned long", name "f" and the arguments "char * p", "int n";
//   - words between the parameter list and the body (K&R parameter
//     declarations, attributes, "const") are passed over; a ";" there ends
//     a prototype, unless it ends the declaration of a K&R parameter;
//   - a parenthesised declarator "(*name)" is a pointer, and "(*name(...))"
//     a function returning one; "FOO(x)" followed by more words was a macro
//     call, and the words after it go on as usual ("FOO(1, 2) name(...)"
//     defines name, "T FOO(x) = {...}" is an object);
//   - at file scope, a name in lower case with no type words before its
//     parameter list ("main() {", "isatty(fd) int fd; {") is a function in
//     the old style, unless more words follow the list on their way to a
//     "{" or a "name(": then it was a macro call ("weak_alias(a, b)");
//   - "name __P((int a))": the macro word wraps the parameter list;
//   - "enum" bodies, "__attribute__((...))" and similar compiler extensions,
//     and preprocessor lines the scanner leaves are skipped;
//   - inside a class body, a member function with a body is a record of its
//     own; statements inside a function body never are;
//   - "extern" is a storage word: with a body the function is defined, and
//     "extern "C"" only names a linkage.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "scanner/c_file_scanner.h"
#include "scanner/parsed_declaration.h"

namespace zelvan {

class FileReader;

class DeclarationParser : public DeclarationHandler {
 public:
  // Returns 0, which stops the scan, only when the text ends inside an
  // "enum" or "__regbank" construct being skipped, or right after "#pragma".
  int HandleDeclarationToken(CScanner& parser, const std::string& word, uint32_t result) override;
  // True at file scope between declarations, at the start of a declaration
  // inside a struct or class body, and anywhere inside a function body
  // (where only the braces count).
  bool BetweenDeclarations(CScanner& parser) override;

 private:
  struct TokenView {
    std::string_view word;
    uint32_t kind;  // a token::k... value
    int32_t line;
    bool raw;  // no construct is skipped for it (it was read ahead already)
  };
  // A word read ahead, waiting in the queue.
  struct Token {
    std::string word;
    uint32_t kind = 0;
    int32_t line = 0;
    bool raw = false;
    TokenView View() const { return {word, kind, line, raw}; }
  };

  int Step(CScanner& p, const TokenView& token);
  // Inside a function body only the braces count.
  int StepInBody(CScanner& p, const TokenView& token);
  // Reads the next word that is not an empty one ended by a blank or line
  // end; false at the end of the text.
  bool ReadSignificant(CScanner& p, Token* token);
  int SkipEnum(CScanner& p, const TokenView& token);
  int SkipEnumBody(CScanner& p);
  int SkipExtension(CScanner& p, const TokenView& token);
  // The states that swallow words: 6 skips an initialiser, 8 passes over
  // what stands between a parameter list and a body. True when consumed.
  bool ConsumedByInitialiser(CScanner& p, uint32_t kind);
  bool ConsumedAfterParameters(CScanner& p, const TokenView& token);

  // Reads up to the ")" that closes a "(" just read; true.
  bool SkipParenthesised(CScanner& p);
  // Keeps the words of the current and the previous line at file scope.
  void NoteLineToken(CScanner& p, const TokenView& token);
  // Text the parser could not place ("FOO(a, b)" or "a, b" with no ";", the
  // body of a "#pragma asm" block) must not hide a definition on a later
  // line: at "name(" there, preceded on its line (or alone on the line
  // before) by type words only, the declaration so far is dropped and the
  // line read again. True when it was.
  bool Resynchronise(CScanner& p, const TokenView& token);

  void OpenParen(CScanner& p);
  void CloseParen(CScanner& p);
  void OpenBrace(CScanner& p, int32_t line);
  void CloseBrace(CScanner& p);
  void Semicolon(CScanner& p, int32_t line);
  void Comma(CScanner& p, int32_t line);
  void Equals(CScanner& p);

  ParsedDeclaration* Root(CScanner& p) const;
  int32_t RelativeDepth(CScanner& p) const;
  // The declaration at the current brace level; null when there is none.
  ParsedDeclaration* Current(CScanner& p) const;
  void StartRoot(CScanner& p, int32_t line);
  void FinishRoot(CScanner& p);
  // Starts a fresh declaration in place of the one at the current level.
  void ReplaceCurrent(CScanner& p, std::unique_ptr<ParsedDeclaration> next);
  int32_t NewestAccess(CScanner& p) const;
  // A constructor or destructor of the class whose body is open: the last
  // type word becomes the name.
  bool TakeConstructorName(ParsedDeclaration* record) const;
  // A definition in the old style with no type: "main() {", "isatty(fd)
  // int fd; {". The one word so far becomes the name.
  bool TakeImplicitIntName(CScanner& p, ParsedDeclaration* record) const;
  // "name __P((int a))": a "(" right after the one that opened a parameter
  // list. The word before the list wrapped it; the word before that is the
  // name, and the inner parentheses hold the parameters.
  void TakeWrappedParameters(CScanner& p) const;

  std::deque<Token> queue_;
  // The words at file scope of the line being read and of the line before.
  std::vector<Token> line_tokens_;
  std::vector<Token> previous_line_tokens_;
  // The line the current record started on; the last line resynchronised.
  int32_t record_line_ = 0;
  // The line of the first word of the current declaration's type.
  int32_t first_type_line_ = 0;
  int32_t resync_line_ = 0;
  // The brace depth at which the current record started.
  int32_t base_depth_ = 0;
  // Where the initialiser being skipped started, and the state before it.
  int32_t initialiser_parens_ = 0;
  int32_t initialiser_braces_ = 0;
  uint32_t state_before_initialiser_ = 0;
  // The class or struct name of each open brace level ("" for others).
  std::vector<std::string> scope_names_;
  bool after_extern_ = false;
  // The words read since a parameter list closed, and the first of them.
  int words_after_parameters_ = 0;
  std::string first_after_parameters_;
  // The words since a parameter list closed or since the last ";" after it.
  std::vector<std::string> statement_words_;
  int32_t first_after_parameters_line_ = 0;
};

// The functions that a text, or a file, defines: the scan with a
// declaration parser, then IsFunctionDefinition. False when the scan failed
// (the file could not be read, or it ended inside a construct being
// skipped); nothing is appended then.
bool ParseFunctionsInText(std::string_view text, std::vector<FunctionDatabaseEntry>* functions);
bool ParseFunctionsInFile(FileReader& fs, std::string_view path, ProgressCallback callback,
                          std::vector<FunctionDatabaseEntry>* functions);
bool ParseFunctionsInBytes(std::string bytes, std::string_view path, ProgressCallback callback,
                           std::vector<FunctionDatabaseEntry>* functions);

}  // namespace zelvan

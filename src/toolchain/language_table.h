// Languages and tool kinds: which tool of the toolchain processes a file and
// which dependency scanner reads it, decided by the file's extension.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

// Tool kinds in their fixed order; the index is what source files store.
// The names are also the make variables of the tools and the keys of a CPU's
// tool list.
inline constexpr std::array<std::string_view, 7> kToolKindNames = {"CC",  "AS",  "MAC", "APP",
                                                                   "CCL", "MPP", "LINK"};
inline constexpr int kToolIndexCompiler = 0;
inline constexpr int kToolIndexLink = 6;

// Index of a tool key (letter case ignored), or -1.
int ToolIndex(std::string_view tool_key);
// Name of a tool index; "" when out of range.
std::string_view ToolKindName(int tool_index);
// Kinds 0 to 5 are translated into an object file; LINK (6) is linker input.
inline bool IsCompiledToolIndex(int tool_index) {
  return tool_index >= 0 && tool_index < 6;
}
// The object file of a compiled source: its title with ".rel" ("a" gives
// "a.rel"); "" for other kinds.
std::string ObjectNameFor(std::string_view title, int tool_index);

// Dependency scanners.
enum ScanKind : int32_t {
  kScanNone = 0,
  kScanC = 1,         // C preprocessor scanner
  kScanCcl = 2,       // CCL scanner
  kScanAsm = 3,       // assembler scanner
  kScanAsmMacro = 4,  // assembler scanner in macro mode
};

// One row of a language table.
class Language {
 public:
  // `extension_text` is a ";"-separated list of extensions without dots;
  // empty pieces are dropped.
  Language(std::string tool_key, std::string extension_text, int32_t scan_kind);

  const std::string& ToolKey() const { return tool_key_; }
  const std::string& ExtensionText() const { return extension_text_; }
  const std::vector<std::string>& Extensions() const { return extensions_; }
  int32_t GetScanKind() const { return scan_kind_; }

  // True when `ext` (without dot; one leading dot is tolerated) is one of
  // the extensions, letter case ignored.
  bool HasExtension(std::string_view ext) const;

 private:
  std::string tool_key_;
  std::string extension_text_;
  std::vector<std::string> extensions_;
  int32_t scan_kind_;
};

// The language tables. One object serves the process; whoever owns the
// process state builds it and passes it down. Never changes once built.
class LanguageTable {
 public:
  // Builds the four fixed tables.
  LanguageTable();

  // Tool key of the first source language with `ext`; false and "" when none.
  bool GetToolKeyByExt(std::string_view ext, std::string* key) const;
  // Scan kind of the first scanned language with `ext`; kScanNone when none.
  int32_t GetScanKindByExt(std::string_view ext) const;
  // "h" and "inc".
  bool IsHeaderExt(std::string_view ext) const;
  // "lib" and "rel".
  bool IsLibraryExt(std::string_view ext) const;

  const std::vector<Language>& SourceLanguages() const { return source_languages_; }
  const std::vector<Language>& ScannedLanguages() const { return scanned_languages_; }
  const std::vector<Language>& HeaderLanguages() const { return header_languages_; }
  const std::vector<Language>& LibraryLanguages() const { return library_languages_; }

 private:
  std::vector<Language> source_languages_;
  std::vector<Language> scanned_languages_;
  std::vector<Language> header_languages_;
  std::vector<Language> library_languages_;
};

}  // namespace zelvan

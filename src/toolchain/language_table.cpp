#include "toolchain/language_table.h"

#include "platform/ansi_text.h"

namespace zelvan {
namespace {

const Language* FindLanguage(const std::vector<Language>& table, std::string_view ext) {
  for (const Language& language : table) {
    if (language.HasExtension(ext)) return &language;
  }
  return nullptr;
}

}  // namespace

int ToolIndex(std::string_view tool_key) {
  for (size_t i = 0; i < kToolKindNames.size(); ++i) {
    if (EqualsNoCase(kToolKindNames[i], tool_key)) return static_cast<int>(i);
  }
  return -1;
}

std::string_view ToolKindName(int tool_index) {
  if (tool_index < 0 || static_cast<size_t>(tool_index) >= kToolKindNames.size()) return {};
  return kToolKindNames[static_cast<size_t>(tool_index)];
}

std::string ObjectNameFor(std::string_view title, int tool_index) {
  if (!IsCompiledToolIndex(tool_index)) return std::string();
  return std::string(title) + ".rel";
}

Language::Language(std::string tool_key, std::string extension_text, int32_t scan_kind)
    : tool_key_(std::move(tool_key)),
      extension_text_(std::move(extension_text)),
      scan_kind_(scan_kind) {
  for (std::string& piece : SplitAll(extension_text_, ';')) {
    if (!piece.empty()) extensions_.push_back(std::move(piece));
  }
}

bool Language::HasExtension(std::string_view ext) const {
  if (ext.starts_with('.')) ext.remove_prefix(1);
  for (const std::string& known : extensions_) {
    if (EqualsNoCase(known, ext)) return true;
  }
  return false;
}

LanguageTable::LanguageTable() {
  source_languages_ = {
      {"CC", "c;cpp;cxx;cc", kScanC},     {"AS", "asm;eas", kScanAsm},
      {"MAC", "mac", kScanAsmMacro},      {"APP", "app", kScanAsm},
      {"CCL", "src;cl", kScanCcl},        {"MPP", "mpp", kScanAsm},
      {"LINK", "rel;lcf;lib", kScanNone},
  };
  scanned_languages_ = source_languages_;
  scanned_languages_.emplace_back("TRC", "cfg", kScanC);
  header_languages_.emplace_back("EXT", "h;inc;", kScanNone);
  library_languages_.emplace_back("EXT", "lib;rel;", kScanNone);
}

bool LanguageTable::GetToolKeyByExt(std::string_view ext, std::string* key) const {
  const Language* language = FindLanguage(source_languages_, ext);
  *key = language ? language->ToolKey() : std::string();
  return language != nullptr;
}

int32_t LanguageTable::GetScanKindByExt(std::string_view ext) const {
  const Language* language = FindLanguage(scanned_languages_, ext);
  return language ? language->GetScanKind() : kScanNone;
}

bool LanguageTable::IsHeaderExt(std::string_view ext) const {
  return FindLanguage(header_languages_, ext) != nullptr;
}

bool LanguageTable::IsLibraryExt(std::string_view ext) const {
  return FindLanguage(library_languages_, ext) != nullptr;
}

}  // namespace zelvan

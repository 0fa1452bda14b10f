#include "projects/project_name.h"

#include "platform/ansi_text.h"
#include "platform/win_path.h"

namespace zelvan {

std::string NormalizeProjectName(std::string_view name) {
  std::string result(TrimBlanks(name));
  for (;;) {
    std::string extension = SplitPath(result).extension;
    if (extension != "." && !EqualsNoCase(extension, ".abs") && !EqualsNoCase(extension, ".lib")) {
      return result;
    }
    result.resize(result.size() - extension.size());
  }
}

bool IsValidProjectName(std::string_view name) {
  if (name.empty()) return false;
  // "%" and control characters: a build could not name the project's files.
  constexpr std::string_view kForbidden = "/:,;*?\"<>|\\%\x7f";
  for (char c : name) {
    if (kForbidden.find(c) != std::string_view::npos) return false;
    if (static_cast<unsigned char>(c) < 0x20) return false;
    if (IsLeadByte(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool HasParentReference(std::string_view path) {
  size_t begin = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsPathSeparator(path[i])) {
      // Windows drops trailing dots and blanks of a name: "..." and ". ." climb too.
      std::string_view part = TrimBlanks(path.substr(begin, i - begin));
      if (part.size() >= 2 && part.find_first_not_of(". ") == std::string_view::npos) return true;
      begin = i + 1;
    }
  }
  return false;
}

bool IsNameInsideFolder(std::string_view name) {
  return !name.empty() && name.find(':') == std::string_view::npos &&
         !IsPathSeparator(name.front()) && !HasParentReference(name);
}

std::string ReplaceBaseName(std::string_view path, std::string_view new_base_name) {
  PathParts parts = SplitPath(path);
  size_t title_at = parts.drive.size() + parts.directory.size();
  return std::string(path.substr(0, title_at)) + std::string(new_base_name) + parts.extension;
}

}  // namespace zelvan

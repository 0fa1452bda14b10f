#include "service/file_name_check.h"

#include <string>

#include "platform/ansi_text.h"
#include "platform/win_path.h"

namespace zelvan {

bool IsValidFileName(std::string_view path) {
  const PathParts parts = SplitPath(path);
  const std::string name = parts.directory + parts.title + parts.extension;
  // "%" and control characters: a build could not name the files below.
  constexpr std::string_view kForbidden = "/:,;*?\"<>|%\x7f";
  for (const char c : name) {
    if (kForbidden.find(c) != std::string_view::npos) return false;
    if (static_cast<unsigned char>(c) < 0x20) return false;
    if (IsLeadByte(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

}  // namespace zelvan

#include "storage/project_files.h"

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"

namespace zelvan {

std::string SourceKey(int index) {
  return std::string(kSourceKeyPrefix) + std::to_string(index);
}

bool ChangeExtension(FileReader& fs, std::string_view path, std::string_view extension,
                     std::string* result) {
  if (DirectoryExists(fs, path)) return false;
  PathParts parts = SplitPath(path);
  if (parts.title.empty() && parts.extension.empty()) return false;
  if (!extension.empty() && extension[0] == '.') extension.remove_prefix(1);
  *result = parts.drive + parts.directory + parts.title + "." + std::string(extension);
  return true;
}

int SplitList(std::string_view text, std::vector<std::string>* items) {
  items->clear();
  int examined = 0;
  while (!text.empty()) {
    size_t semicolon = text.find(';');
    std::string_view piece = text.substr(0, semicolon);
    if (!piece.empty()) items->emplace_back(piece);
    ++examined;
    text = semicolon == std::string_view::npos ? std::string_view() : text.substr(semicolon + 1);
  }
  return examined;
}

void JoinList(const std::vector<std::string>& items, std::string* text) {
  text->clear();
  for (const std::string& item : items) {
    *text += item;
    *text += ';';
  }
}

bool IsLibraryOutput(std::string_view output) {
  size_t dot = output.rfind('.');
  return dot != std::string_view::npos && EqualsNoCase(output.substr(dot + 1), "lib");
}

}  // namespace zelvan

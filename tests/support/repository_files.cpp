#include "tests/support/repository_files.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace zelvan::testing {

void AddRepositoryFiles(MemoryFileSystem& memory, std::string_view dir, std::string_view prefix) {
  using Files = std::vector<std::pair<std::string, std::string>>;  // relative Windows path, text
  static std::map<std::string, Files, std::less<>> read;
  auto it = read.find(dir);
  if (it == read.end()) {
    Files files;
    std::filesystem::path root = std::filesystem::path(ZELVAN_SOURCE_DIR) / dir;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      if (!entry.is_regular_file()) continue;
      std::string relative = std::filesystem::relative(entry.path(), root).string();
      for (char& c : relative) {
        if (c == '/') c = '\\';
      }
      std::ifstream in(entry.path(), std::ios::binary);
      std::stringstream text;
      text << in.rdbuf();
      files.emplace_back(relative, text.str());
    }
    it = read.emplace(std::string(dir), std::move(files)).first;
  }
  for (const auto& [relative, text] : it->second)
    memory.AddFile(std::string(prefix) + relative, text);
}

}  // namespace zelvan::testing

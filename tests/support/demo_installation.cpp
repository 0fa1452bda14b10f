#include "tests/support/demo_installation.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace zelvan::testing {

void AddDemoInstallation(MemoryFileSystem& memory) {
  std::filesystem::path root = std::filesystem::path(ZELVAN_SOURCE_DIR) / "share" / "kova";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::string relative = std::filesystem::relative(entry.path(), root).string();
    for (char& c : relative) {
      if (c == '/') c = '\\';
    }
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    memory.AddFile("K:\\" + relative, text.str());
  }
}

}  // namespace zelvan::testing

#include "tests/support/temp_dir.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace zelvan::testing {

TempDir::TempDir() {
#ifdef _WIN32
  // No mkdtemp: a name of our own, taken when the directory could be made.
  std::random_device random;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("zelvan-test-" + std::to_string(random() % 1000000000u));
    std::error_code ec;
    if (std::filesystem::create_directory(dir, ec)) path_ = dir.string();
  }
#else
  std::string pattern = (std::filesystem::temp_directory_path() / "zelvan-test-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  path_ = made ? made : "";
#endif
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code ec;
  // Read-only entries must not stop the clean-up.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::HostPath(std::string_view relative) const {
  return path_ + "/" + std::string(relative);
}

std::string TempDir::WriteFile(std::string_view relative, std::string_view contents) const {
  std::filesystem::path file = HostPath(relative);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  return file.string();
}

std::string TempDir::ReadFile(std::string_view relative) const {
  std::ifstream in(HostPath(relative), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string TempDir::ListNames(std::string_view relative) const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(HostPath(relative), ec)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  std::string out;
  for (const std::string& name : names)
    out += name + "\n";
  return out;
}

}  // namespace zelvan::testing

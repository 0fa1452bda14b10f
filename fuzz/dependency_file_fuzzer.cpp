// Reads arbitrary bytes as a dependency file. Whatever was read must be
// written back and read again as the same sections and records, and the
// second writing must give the same text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dependencies/dependency_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  zelvan::TextTable paths;
  std::vector<zelvan::DependencySection> sections = zelvan::ReadDependencyFile(text, paths);
  for (const auto& section : sections) {
    for (const auto& record : section.records) {
      if (record.size() != record.forms().size()) __builtin_trap();
      if (record.size() > size) __builtin_trap();
    }
  }
  std::string written = zelvan::WriteDependencyFile(sections);
  std::vector<zelvan::DependencySection> again = zelvan::ReadDependencyFile(written, paths);
  if (again != sections) __builtin_trap();
  if (zelvan::WriteDependencyFile(again) != written) __builtin_trap();
  return 0;
}

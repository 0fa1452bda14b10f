// The folders and sources of a project file: any bytes, read the way the
// workspace reads a project when it opens, give each folder and source once,
// in bounded time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/project.h"
#include "platform/ansi_text.h"
#include "storage/profile_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zelvan::ProfileData file;
  file.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  std::vector<std::string> folders, sources;
  zelvan::ProjectSources::ListFolders(file, &folders, &sources);
  std::set<std::string, zelvan::NoCaseLess> seen(folders.begin(), folders.end());
  if (seen.size() != folders.size()) std::abort();
  seen = std::set<std::string, zelvan::NoCaseLess>(sources.begin(), sources.end());
  if (seen.size() != sources.size()) std::abort();
  for (const std::string& source : sources) {
    if (source.empty()) std::abort();
  }
  return 0;
}

// The workspace file of the headless host: parsing arbitrary bytes never
// fails unsafely, and a parsed file written back reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "host/workspace_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  zelvan::WorkspaceFile file;
  std::string error;
  if (!zelvan::ParseWorkspaceFile(text, &file, &error)) return 0;

  std::string written;
  if (!zelvan::UpdateWorkspaceFileText(text, file, &written, &error)) return 0;
  zelvan::WorkspaceFile again;
  if (!zelvan::ParseWorkspaceFile(written, &again, &error)) std::abort();
  if (again.projects != file.projects || again.active != file.active) std::abort();

  // One project fewer: the dropped one must not come back from a stale line.
  if (!file.projects.empty()) {
    file.projects.pop_back();
    if (!zelvan::UpdateWorkspaceFileText(written, file, &written, &error)) std::abort();
    if (!zelvan::ParseWorkspaceFile(written, &again, &error)) std::abort();
    if (again.projects != file.projects) std::abort();
  }
  return 0;
}

// Files of the repository copied into an in-memory file system, for tests
// that need the demo installation (share/kova) or the example workspace
// (examples).
#pragma once

#include <string_view>

#include "tests/support/memory_file_system.h"

namespace zelvan::testing {

// Adds every file below `dir` of the repository ("share/kova") to `memory`,
// named below `prefix` ("K:\"). Each folder is read from disk once per run.
void AddRepositoryFiles(MemoryFileSystem& memory, std::string_view dir, std::string_view prefix);

}  // namespace zelvan::testing

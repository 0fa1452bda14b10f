// The demo installation of the repository (share/kova), copied into an
// in-memory file system as drive K:, for tests that need real CPU families.
#pragma once

#include "tests/support/memory_file_system.h"

namespace zelvan::testing {

void AddDemoInstallation(MemoryFileSystem& memory);

}  // namespace zelvan::testing

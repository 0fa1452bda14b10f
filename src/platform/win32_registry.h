// The Registry of a Windows host: the real registry (RegOpenKeyEx and
// RegQueryValueEx to read, RegCreateKeyEx and RegSetValueEx to write), below
// HKEY_CURRENT_USER, or below HKEY_CLASSES_ROOT for a key path that starts
// with that name (the component's class registration). Key paths have `\` separators; the value "@"
// is a key's default value. Strings are REG_SZ (REG_EXPAND_SZ is read as stored), DWORDs REG_DWORD.
// Changes reach the registry at once; Flush asks the system to write them to disk.
#pragma once

#include <memory>

#include "platform/registry.h"

namespace zelvan {

std::unique_ptr<Registry> CreateWin32Registry();

}  // namespace zelvan

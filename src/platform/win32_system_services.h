// SystemServices of a Windows host: the process environment of Win32
// (what child processes inherit), GetUserName and GetComputerName, the
// local time of the system, LoadLibrary and GetProcAddress, and named
// mutexes as the stop objects.
//
// A stop object is a named mutex in the session's namespace: it exists
// while some process holds a handle to it. CreateNamedObject makes it and
// keeps the handle until RemoveNamedObject or the end of these services;
// NamedObjectExists opens it (OpenMutex) and lets go at once. A request to
// another process (CreateNamedObjectFor) hands that process a handle of its
// own, so the request outlives the short command that made it.
#pragma once

#include <memory>

#include "platform/system_services.h"

namespace zelvan {

std::unique_ptr<SystemServices> CreateWin32SystemServices();

}  // namespace zelvan

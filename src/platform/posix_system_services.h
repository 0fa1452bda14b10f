// SystemServices of a POSIX host.
//
// Named objects (the stand-in for named mutexes that another process creates
// to ask this one to stop) are empty files in a private directory: by default
// $XDG_RUNTIME_DIR/zelvan-objects, else /tmp/zelvan-objects-<uid>. Any process
// of the same user can create or remove one.
#pragma once

#include <memory>
#include <string>

#include "platform/system_services.h"

namespace zelvan {

std::string DefaultNamedObjectsDir();
// Where the lock files of the user's commands lie: $XDG_RUNTIME_DIR/zelvan-locks,
// else /tmp/zelvan-locks-<uid> (see PosixFileSystem::SetLockDirectory).
std::string DefaultLockDir();

// An empty `named_objects_dir` means DefaultNamedObjectsDir().
std::unique_ptr<SystemServices> CreatePosixSystemServices(std::string named_objects_dir = "");

}  // namespace zelvan

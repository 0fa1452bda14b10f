// The locks of one command on the files it may write: the workspace file and
// every project file it opens. Two commands on one workspace (or on one
// project shared by two workspaces) take turns instead of copying a project
// at the same moment and saving over each other's changes.
//
// Each lock is an advisory lock on the file's lock file (LockFilePath of
// platform/file_system.h: in the user's own lock folder, else beside the
// file as "app.kbp.lock"), released when the command ends, or by the host
// when it is killed. A command that finds a
// file locked says so once ("zelvan: waiting for another zelvan on app.kbp")
// and waits; after the timeout (ZELVAN_LOCK_TIMEOUT seconds, default 60) it
// gives up before having changed anything. Where no lock file can be made
// (a directory we may not write), nothing can be written either, and the
// file is used without a lock.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/ansi_text.h"
#include "platform/file_system.h"

namespace zelvan {

class SystemServices;

class WriteLocks {
 public:
  // `fs` and `messages` must outlive the locks.
  WriteLocks(FileSystem& fs, std::ostream& messages, std::chrono::milliseconds timeout)
      : fs_(fs), messages_(messages), timeout_(timeout) {}

  // ZELVAN_LOCK_TIMEOUT in seconds (fractions allowed), else 60 s.
  static std::chrono::milliseconds TimeoutFrom(SystemServices& system);

  // Locks `path` (a full system path) unless this object holds its lock
  // already. False, with the reason in `error`, when another process held
  // it for the whole timeout.
  bool Lock(std::string_view path, std::string* error);
  void ReleaseAll() { held_.clear(); }

 private:
  FileSystem& fs_;
  std::ostream& messages_;
  std::chrono::milliseconds timeout_;
  std::map<std::string, std::unique_ptr<FileLock>, NoCaseLess> held_;  // by lock file
};

}  // namespace zelvan

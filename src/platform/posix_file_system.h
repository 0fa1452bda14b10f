// The FileSystem of a POSIX host.
//
// Mapping a system path (Windows form) to the host:
//   - `\` becomes `/`;
//   - a path without drive is rooted at the host's root ("\srv\a.kbp" is /srv/a.kbp);
//   - "X:\rest" maps below the host directory given for drive X, and a drive
//     without one has no files (every call on it fails);
//   - "\\server\share\rest" maps below the network root, if one is given.
// Projects come from case-insensitive file systems, so a path that does not
// exist as written is resolved without regard to case, component by
// component, against directory listings that are cached and re-read when a
// directory's modification time changes.
//
// The read-only attribute is the owner's write permission bit.
// There are no short (8.3) names: GetShortPathName fails ("no short form").
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace zelvan {

struct HostPathMap {
  std::map<char, std::string> drives;  // upper-case drive letter -> host directory
  std::string network_root;            // empty: network paths have no files
};

// `host_cwd` is the host directory the current directory starts at.
std::unique_ptr<FileSystem> CreatePosixFileSystem(HostPathMap map, const std::string& host_cwd);

}  // namespace zelvan

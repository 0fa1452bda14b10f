// Where the toolchain installation is, for a program that runs on the host.
//
// The installation folder is, first found:
//   1. the folder the user names (the command line's `--install DIR`);
//   2. the environment variable ZELVAN_INSTALL;
//   3. the demo installation beside the program: the first of the
//      executable's parent directories (walking up) that holds
//      "share/kova/Config/QkUtil.ini" (a build tree: the program is
//      build/src/cli/zelvan, the demo lies in the source tree above it) or
//      "share/zelvan/kova/Config/QkUtil.ini" (an installed prefix: the program
//      is <prefix>/bin/zelvan).
// Each is a host path; the first two must name an existing directory.
//
// An installation may name itself by a drive letter in its own files (the
// demo installation says "K:\Tools\MX520", since its files cannot know where
// the repository is cloned). Its Config\QkUtil.ini then holds
//
//   [Installation]
//   Drive=K
//
// When the user has not mapped that drive (ZELVAN_DRIVE_K, see
// host_platform.h), the program maps it to the installation with
// MapInstallationDrive, and the installation folder becomes "K:".
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace zelvan {

inline constexpr std::string_view kInstallEnvironmentVariable = "ZELVAN_INSTALL";
// The demo installation, relative to a parent directory of the executable:
// in the source tree, and in an installed prefix.
inline constexpr std::string_view kDemoInstallation = "share/kova";
inline constexpr std::string_view kInstalledDemoInstallation = "share/zelvan/kova";

struct InstallLocation {
  std::string folder;        // as the system names it (Windows form, no trailing `\`)
  std::string host_folder;   // the same folder on the host
  char drive = 0;            // the drive letter the installation names itself by, or 0
  bool needs_drive = false;  // `drive` is not mapped by the user: map it to host_folder
};

// Finds the installation (see above). `install_option` is the user's host
// path, or empty. False with a one-line reason in `error` when none is found.
bool LocateInstallation(Platform& platform, std::string_view install_option,
                        InstallLocation* location, std::string* error);

// When `location` needs its drive: maps it to the installation through
// `map_drive` (letter, host directory; HostPlatform::MapDriveUnlessSet on a
// host) and makes the installation folder "<X>:". False when the mapping fails.
bool MapInstallationDrive(InstallLocation* location,
                          const std::function<bool(char, const std::string&)>& map_drive);

// "ZELVAN_DRIVE_" and the upper-case letter.
std::string DriveVariable(char drive);

}  // namespace zelvan

// The platform of the machine the program runs on, built from the
// environment. On POSIX (host_platform_posix.cpp):
//
//   ZELVAN_DRIVE_<X>    host directory that drive X: maps to (for example
//                       ZELVAN_DRIVE_C=/srv/c); a drive without one has no files
//   ZELVAN_NETWORK_ROOT host directory under which \\server\share\... maps to
//                       <root>/server/share/...; unset: network paths have no files
//   ZELVAN_REGISTRY     host path of the registry file (registry.h); default
//                       $XDG_CONFIG_HOME/zelvan/registry.ini, else ~/.config/zelvan/registry.ini
//   ZELVAN_CODEPAGE     ANSI code page for double-byte lead bytes (default single-byte)
//   ZELVAN_STOP_ON_INTERRUPT  "1": the first Ctrl-C is a stop request of every
//                       session (interrupt_stop.h), for a host on a terminal
// On Windows paths are native and the registry is the real one: see
// host_platform_win32.cpp.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace zelvan {

class HostPlatform {
 public:
  // `ui` stays owned by the caller and must outlive the HostPlatform.
  static std::unique_ptr<HostPlatform> Create(UiHooks* ui);
  ~HostPlatform();

  Platform& platform() { return platform_; }

  // Maps drive `letter` to a host directory unless the environment (on
  // Windows: the system) has it already.
  bool MapDriveUnlessSet(char letter, const std::string& host_dir);

 private:
  HostPlatform();
  struct Parts;
  // What both hosts share: the profile cache over `fs`, the registry (the
  // file at host path `registry_file`, or `native` when that is empty), and
  // the stop on interrupt the environment asks for (host_platform.cpp).
  static std::unique_ptr<HostPlatform> Assemble(std::unique_ptr<SystemServices> system,
                                                std::unique_ptr<FileSystem> fs,
                                                const std::string& registry_file,
                                                std::unique_ptr<Registry> native, UiHooks* ui);
  std::unique_ptr<Parts> parts_;
  Platform platform_;
};

// Standard output carries the bytes written as they are: on Windows its
// line ends are not made CRLF (text written there, such as a makefile with
// line ends of its own, is then the file it would be); elsewhere they are
// never changed.
void UseBinaryStandardOutput();

// Why the host cannot tell the current directory (GetCurrentDirectory of its
// file system is empty), as the host words it; empty when it can.
std::string CurrentDirectoryProblem();

}  // namespace zelvan

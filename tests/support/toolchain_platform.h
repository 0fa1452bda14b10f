// A platform for toolchain tests: the real POSIX file system and system
// services over a fresh host directory that drive T: maps to, the
// private-profile cache, and a registry read from a file of the test's choice
// (by default "T:\registry.ini", missing until a test writes it).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/posix_file_system.h"
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "platform/system_services.h"
#include "tests/support/temp_dir.h"

namespace zelvan::testing {

class ToolchainPlatform {
 public:
  // `drives` maps further drive letters to host directories.
  explicit ToolchainPlatform(std::map<char, std::string> drives = {},
                             std::string registry_path = "T:\\registry.ini");
  ~ToolchainPlatform();

  Platform& platform() { return platform_; }
  FileSystem& fs() { return *fs_; }
  PrivateProfile& profile() { return *profile_; }
  SystemServices& system() { return *system_; }

  // Writes a file below T:, given as a relative Windows path ("Tools\bin\cc.exe").
  void Write(std::string_view relative, std::string_view contents = "");
  // Host path of a relative Windows path below T:.
  std::string HostPath(std::string_view relative) const;

 private:
  TempDir dir_;
  std::unique_ptr<SystemServices> system_;
  std::unique_ptr<PosixFileSystem> fs_;
  std::unique_ptr<PrivateProfile> profile_;
  std::unique_ptr<Registry> registry_;
  Platform platform_;
};

}  // namespace zelvan::testing

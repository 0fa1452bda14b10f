#include "tests/support/toolchain_platform.h"

#include "platform/posix_system_services.h"

namespace zelvan::testing {

namespace {

std::string Slashes(std::string_view relative) {
  std::string out(relative);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

}  // namespace

ToolchainPlatform::ToolchainPlatform(std::map<char, std::string> drives,
                                     std::string registry_path) {
  system_ = CreatePosixSystemServices(dir_.HostPath("objects"));
  HostPathMap map;
  map.drives = std::move(drives);
  map.drives['T'] = dir_.path();
  // The host root as current directory, so that host paths outside T: stay full paths.
  fs_ = std::make_unique<PosixFileSystem>(std::move(map), "/");
  profile_ = std::make_unique<PrivateProfile>(*fs_);
  registry_ = CreateFileRegistry(*profile_, std::move(registry_path));
  platform_.fs = fs_.get();
  platform_.profile = profile_.get();
  platform_.registry = registry_.get();
  platform_.system = system_.get();
}

ToolchainPlatform::~ToolchainPlatform() {
  registry_.reset();
  profile_.reset();  // flushes before the file system goes
  fs_.reset();
}

void ToolchainPlatform::Write(std::string_view relative, std::string_view contents) {
  dir_.WriteFile(Slashes(relative), contents);
}

std::string ToolchainPlatform::HostPath(std::string_view relative) const {
  return dir_.HostPath(Slashes(relative));
}

}  // namespace zelvan::testing

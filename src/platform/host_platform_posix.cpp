#include "platform/host_platform.h"

#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/ansi_text.h"
#include "platform/posix_file_system.h"
#include "platform/posix_system_services.h"
#include "platform/registry.h"
#include "platform/win_path.h"

namespace zelvan {

namespace {

// Empty, with the reason in `error`, when it cannot be determined (a path
// longer than PATH_MAX, a removed directory): no file could be named through
// it anyway.
std::string HostWorkingDirectory(std::string* error) {
  char buffer[PATH_MAX + 1];
  if (::getcwd(buffer, sizeof buffer) == nullptr) {
    if (error) *error = std::strerror(errno);
    return "";
  }
  return buffer;
}

std::string DefaultRegistryPath(SystemServices& system) {
  if (auto config = system.GetEnv("XDG_CONFIG_HOME"); config && !config->empty()) {
    return *config + "/zelvan/registry.ini";
  }
  if (auto home = system.GetEnv("HOME"); home && !home->empty()) {
    return *home + "/.config/zelvan/registry.ini";
  }
  return "/etc/zelvan/registry.ini";
}

}  // namespace

std::unique_ptr<HostPlatform> HostPlatform::Create(UiHooks* ui) {
  // A write past the file-size limit fails like one on a full disk, and is
  // reported, instead of ending the process.
  ::signal(SIGXFSZ, SIG_IGN);
  std::unique_ptr<SystemServices> system = CreatePosixSystemServices();

  HostPathMap map;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string name = std::string("ZELVAN_DRIVE_") + letter;
    if (auto dir = system->GetEnv(name); dir && !dir->empty()) map.drives[letter] = *dir;
  }
  if (auto root = system->GetEnv("ZELVAN_NETWORK_ROOT"); root && !root->empty()) {
    map.network_root = *root;
  }
  if (auto code_page = system->GetEnv("ZELVAN_CODEPAGE"); code_page && !code_page->empty()) {
    SetAnsiCodePage(static_cast<unsigned>(std::strtoul(code_page->c_str(), nullptr, 10)));
  }
  auto fs = std::make_unique<PosixFileSystem>(std::move(map), HostWorkingDirectory(nullptr));
  fs->SetLockDirectory(DefaultLockDir());
  std::string registry = DefaultRegistryPath(*system);
  if (auto path = system->GetEnv("ZELVAN_REGISTRY"); path && !path->empty()) registry = *path;
  return Assemble(std::move(system), std::move(fs), registry, nullptr, ui);
}

std::string CurrentDirectoryProblem() {
  std::string error;
  HostWorkingDirectory(&error);
  return error;
}

bool HostPlatform::MapDriveUnlessSet(char letter, const std::string& host_dir) {
  return static_cast<PosixFileSystem&>(*platform_.fs)
      .MapDrive(letter, host_dir,
                /*keep_existing=*/true);
}

void UseBinaryStandardOutput() {}

}  // namespace zelvan

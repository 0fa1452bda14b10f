#include "toolchain/install_location.h"

#include <optional>

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/system_services.h"
#include "platform/win_path.h"
#include "toolchain/installation.h"

namespace zelvan {

namespace {

// Host paths: '/' separates on a POSIX host; a Windows host takes '\' as
// well, and an absolute path there may start with a drive ("C:\").
#ifdef _WIN32
constexpr bool kWindowsHost = true;
#else
constexpr bool kWindowsHost = false;
#endif

bool IsHostSeparator(char c) {
  return c == '/' || (kWindowsHost && c == '\\');
}

bool IsAbsoluteHostPath(std::string_view path) {
  if (!path.empty() && IsHostSeparator(path.front())) return true;
  return kWindowsHost && path.size() >= 3 && path[1] == ':' && IsHostSeparator(path[2]);
}

std::string StripHostSlashes(std::string path) {
  while (path.size() > 1 && IsHostSeparator(path.back()) && !(kWindowsHost && path.size() == 3))
    path.pop_back();
  return path;
}

// A host path made absolute against the file system's current directory.
std::string AbsoluteHostPath(FileSystem& fs, std::string_view host_path) {
  if (IsAbsoluteHostPath(host_path)) return StripHostSlashes(std::string(host_path));
  std::string cwd = fs.ToHostPath(fs.GetCurrentDirectory());
  if (cwd.empty()) return std::string(host_path);
  return StripHostSlashes(StripHostSlashes(cwd) + "/" + std::string(host_path));
}

bool HostDirectoryExists(FileSystem& fs, const std::string& host_path) {
  return DirectoryExists(fs, fs.FromHostPath(host_path));
}

// The demo installation above the executable, as a host path; empty when none.
std::string FindDemoInstallation(Platform& platform) {
  std::string dir = platform.system->ExecutableHostPath();
  while (true) {
    size_t slash = dir.find_last_of(kWindowsHost ? "/\\" : "/");
    if (slash == std::string::npos) return {};
    dir.resize(slash);
    for (std::string_view layout : {kDemoInstallation, kInstalledDemoInstallation}) {
      std::string candidate = dir + "/" + std::string(layout);
      std::string marker =
          platform.fs->FromHostPath(candidate) + "\\" + std::string(kQkUtilSettingsFile);
      if (FileExists(*platform.fs, marker)) return candidate;
    }
    if (dir.empty()) return {};
  }
}

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

}  // namespace

std::string DriveVariable(char drive) {
  return std::string("ZELVAN_DRIVE_") + ToUpperAscii(drive);
}

bool LocateInstallation(Platform& platform, std::string_view install_option,
                        InstallLocation* location, std::string* error) {
  FileSystem& fs = *platform.fs;
  std::string host;
  if (!install_option.empty()) {
    host = AbsoluteHostPath(fs, install_option);
    if (!HostDirectoryExists(fs, host)) {
      return Fail(error, "installation folder not found: " + std::string(install_option));
    }
  } else if (std::optional<std::string> env = platform.system->GetEnv(kInstallEnvironmentVariable);
             env && !env->empty()) {
    host = AbsoluteHostPath(fs, *env);
    if (!HostDirectoryExists(fs, host)) {
      return Fail(error, std::string(kInstallEnvironmentVariable) + " names no folder: " + *env);
    }
  } else {
    host = FindDemoInstallation(platform);
    if (host.empty()) {
      return Fail(error, "no toolchain installation: give --install DIR or set " +
                             std::string(kInstallEnvironmentVariable));
    }
  }

  InstallLocation found;
  found.host_folder = host;
  found.folder = StripTrailingSlash(fs.FromHostPath(host));
  std::string raw = platform.profile->GetString(
      "Installation", "Drive", "", found.folder + "\\" + std::string(kQkUtilSettingsFile));
  std::string drive(TrimBlanks(raw));
  if (drive.size() == 2 && drive[1] == ':') drive.pop_back();  // "K:" as well as "K"
  if (drive.size() == 1 &&
      ((drive[0] >= 'A' && drive[0] <= 'Z') || (drive[0] >= 'a' && drive[0] <= 'z'))) {
    found.drive = ToUpperAscii(drive[0]);
    std::optional<std::string> mapped = platform.system->GetEnv(DriveVariable(found.drive));
    found.needs_drive = !mapped || mapped->empty();
  }
  *location = std::move(found);
  return true;
}

bool MapInstallationDrive(InstallLocation* location,
                          const std::function<bool(char, const std::string&)>& map_drive) {
  if (!location->needs_drive) return true;
  if (!map_drive(location->drive, location->host_folder)) return false;
  location->folder = std::string(1, location->drive) + ":";
  location->needs_drive = false;
  return true;
}

}  // namespace zelvan

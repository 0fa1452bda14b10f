// The headless host's stack for the benchmarks that open workspaces: POSIX
// system services and file system, the profile cache, a registry without a
// file, the host answering the safe way and printing into a buffer, and the
// service settings. Working copies go where SetTemp says; TEMP is put back
// when the world goes.
#pragma once

#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "host/headless_host.h"
#include "model/service_settings.h"
#include "platform/posix_file_system.h"
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "platform/system_services.h"

namespace zelvan::bench {

class HeadlessWorld {
 public:
  // `map` and `host_cwd` as for PosixFileSystem.
  HeadlessWorld(HostPathMap map, const std::string& host_cwd);
  ~HeadlessWorld();
  HeadlessWorld(const HeadlessWorld&) = delete;
  HeadlessWorld& operator=(const HeadlessWorld&) = delete;

  // Working copies go into `dir` (Windows form) from now on.
  void SetTemp(const std::string& dir);

  SystemServices& system() { return *system_; }
  PosixFileSystem& fs() { return fs_; }
  PrivateProfile& profile() { return profile_; }
  HeadlessHost& host() { return host_; }
  Platform& platform() { return platform_; }
  ServiceSettings& settings() { return *settings_; }

 private:
  std::unique_ptr<SystemServices> system_;
  PosixFileSystem fs_;
  PrivateProfile profile_;
  std::unique_ptr<Registry> registry_;
  std::ostringstream sink_;
  HeadlessHost host_;
  Platform platform_;
  std::unique_ptr<ServiceSettings> settings_;
  std::optional<std::string> saved_temp_;
  bool temp_set_ = false;
};

}  // namespace zelvan::bench

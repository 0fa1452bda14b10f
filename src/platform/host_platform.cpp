// The part of the host platform that is the same on every host.
#include "platform/host_platform.h"

#include "platform/file_system.h"
#include "platform/interrupt_stop.h"
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "platform/win_path.h"

namespace zelvan {

struct HostPlatform::Parts {
  std::unique_ptr<SystemServices> system;
  std::unique_ptr<InterruptibleSystemServices> interruptible;
  std::unique_ptr<FileSystem> fs;
  std::unique_ptr<PrivateProfile> profile;
  std::unique_ptr<Registry> registry;
};

HostPlatform::HostPlatform() : parts_(std::make_unique<Parts>()) {}

HostPlatform::~HostPlatform() {
  // The profile cache flushes pending writes, so it goes before the file system.
  parts_->registry.reset();
  parts_->profile.reset();
  parts_->fs.reset();
  parts_->interruptible.reset();
}

std::unique_ptr<HostPlatform> HostPlatform::Assemble(std::unique_ptr<SystemServices> system,
                                                     std::unique_ptr<FileSystem> fs,
                                                     const std::string& registry_file,
                                                     std::unique_ptr<Registry> native,
                                                     UiHooks* ui) {
  std::unique_ptr<HostPlatform> host(new HostPlatform());
  Parts& parts = *host->parts_;
  parts.system = std::move(system);
  parts.fs = std::move(fs);
  parts.profile = std::make_unique<PrivateProfile>(*parts.fs);
  if (!registry_file.empty()) {
    std::string registry_path = parts.fs->FromHostPath(registry_file);
    // Every command reads the registry: its folder loses what killed ones left.
    RemoveDeadTemporaries(*parts.fs, GetFileDirectory(registry_path));
    parts.registry = CreateFileRegistry(*parts.profile, registry_path, parts.fs.get());
  } else {
    parts.registry = std::move(native);
  }

  host->platform_.fs = parts.fs.get();
  host->platform_.profile = parts.profile.get();
  host->platform_.registry = parts.registry.get();
  host->platform_.system = parts.system.get();
  if (auto stop = parts.system->GetEnv("ZELVAN_STOP_ON_INTERRUPT"); stop && *stop == "1") {
    parts.interruptible = std::make_unique<InterruptibleSystemServices>(*parts.system);
    host->platform_.system = parts.interruptible.get();
  }
  host->platform_.ui = ui;
  return host;
}

}  // namespace zelvan

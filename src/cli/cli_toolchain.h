// The toolchain as the command line sees it: the host platform, the
// installation (the global --install, else ZELVAN_INSTALL, else the demo
// installation beside the program; see toolchain/install_location.h) and the
// list of CPU families read from it. A command opens it once and uses it.
#pragma once

#include <memory>
#include <string>

#include "cli/cli_command.h"
#include "platform/host_platform.h"
#include "platform/ui_hooks.h"
#include "toolchain/cpu_table.h"
#include "toolchain/installation.h"

namespace zelvan::cli {

struct ToolchainSession {
  std::unique_ptr<UiHooks> ui;
  std::unique_ptr<HostPlatform> host;
  std::unique_ptr<Installation> util;
  std::unique_ptr<CpuTable> cpus;

  Platform& platform() { return host->platform(); }
};

// Builds the platform, finds the installation (mapping its drive when it
// names itself by one the user left unmapped) and loads the CPU families.
// False with a one-line reason in `error`.
bool OpenToolchain(const GlobalOptions& globals, ToolchainSession* session, std::string* error);

// Prints "zelvan: unknown CPU X; known: A, B (did you mean A?)" with the
// families of `cpus` (none when it is null).
void ReportUnknownCpu(const CpuTable* cpus, std::string_view typed);

}  // namespace zelvan::cli

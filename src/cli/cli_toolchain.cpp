#include "cli/cli_toolchain.h"

#include <cstdio>
#include <vector>

#include "cli/closest_name.h"

#include "platform/ui_hooks.h"
#include "toolchain/install_location.h"

namespace zelvan::cli {

namespace {

// The toolchain commands ask no questions and show no messages.
class QuietUi : public UiHooks {
 public:
  int MessageBox(std::string_view, std::string_view, unsigned style) override {
    return (style & 0xF) == kMbOk ? kIdOk : kIdCancel;
  }
  std::string LoadString(unsigned) override { return {}; }
};

}  // namespace

bool OpenToolchain(const GlobalOptions& globals, ToolchainSession* session, std::string* error) {
  session->ui = std::make_unique<QuietUi>();
  session->host = HostPlatform::Create(session->ui.get());
  if (!session->host) {
    *error = "cannot set up the platform";
    return false;
  }
  InstallLocation location;
  if (!LocateInstallation(session->platform(), globals.install_dir, &location, error)) {
    return false;
  }
  HostPlatform& host = *session->host;
  if (!MapInstallationDrive(&location, [&host](char letter, const std::string& dir) {
        return host.MapDriveUnlessSet(letter, dir);
      })) {
    *error = "cannot map drive " + std::string(1, location.drive) + ": to the installation";
    return false;
  }
  session->util = std::make_unique<Installation>(session->platform(), location.folder);
  session->cpus = std::make_unique<CpuTable>(session->platform(), *session->util);
  session->cpus->LoadCpuTools();
  return true;
}

void ReportUnknownCpu(const CpuTable* cpus, std::string_view typed) {
  std::vector<std::string> known;
  if (cpus != nullptr) {
    for (const auto& info : cpus->Cpus())
      known.push_back(info->CpuName);
  }
  std::string message = "unknown CPU " + std::string(typed);
  for (const std::string& name : known)
    message += (&name == &known.front() ? "; known: " : ", ") + name;
  std::string closest = ClosestName(typed, known);
  if (!closest.empty()) message += " (did you mean " + closest + "?)";
  std::fprintf(stderr, "zelvan: %s\n", message.c_str());
}

}  // namespace zelvan::cli

// The platform of a Windows host: native paths (no drive map), the real
// registry of the current user, named mutexes as stop objects. Of the
// environment it reads:
//   ZELVAN_REGISTRY  a registry file of our own (registry.h) instead of the
//                    real registry, for tests that must not touch the user's
//   ZELVAN_STOP_ON_INTERRUPT  "1": the first Ctrl-C is a stop request of
//                    every session (interrupt_stop.h)
// The ANSI code page is the system's (GetACP).
#include "platform/win32_api.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/ansi_text.h"
#include "platform/host_platform.h"
#include "platform/registry.h"
#include "platform/win32_file_system.h"
#include "platform/win32_registry.h"
#include "platform/win32_system_services.h"
#include "platform/win_path.h"

namespace zelvan {

namespace {

std::string TempFolder() {
  char buffer[MAX_PATH + 1];
  DWORD got = ::GetTempPathA(sizeof buffer, buffer);
  return got > 0 && got < sizeof buffer ? std::string(buffer, got) : std::string();
}

}  // namespace

std::unique_ptr<HostPlatform> HostPlatform::Create(UiHooks* ui) {
  std::unique_ptr<SystemServices> system = CreateWin32SystemServices();
  SetAnsiCodePage(::GetACP());
  auto fs = std::make_unique<Win32FileSystem>();
  if (std::string temp = TempFolder(); !temp.empty()) {
    fs->SetLockDirectory(AppendLastSlash(temp) + "zelvan-locks");
  }
  std::string registry = system->GetEnv("ZELVAN_REGISTRY").value_or("");
  return Assemble(std::move(system), std::move(fs), registry,
                  registry.empty() ? CreateWin32Registry() : nullptr, ui);
}

std::string CurrentDirectoryProblem() {
  std::string error;
  Win32ProcessDirectory(&error);
  return error;
}

// Paths are the host's own: a drive that exists is the user's and stays.
// A missing one is made a substitute for the folder (DefineDosDevice, what
// `subst` does), for an installation that names itself by a drive letter.
bool HostPlatform::MapDriveUnlessSet(char letter, const std::string& host_dir) {
  letter = ToUpperAscii(letter);
  if (letter < 'A' || letter > 'Z') return false;
  if ((::GetLogicalDrives() & (1u << (letter - 'A'))) != 0) return true;
  std::string drive = std::string(1, letter) + ":";
  std::string target = platform_.fs->ToHostPath(host_dir);
  return ::DefineDosDeviceA(0, drive.c_str(), StripTrailingSlash(target).c_str()) != 0;
}

void UseBinaryStandardOutput() {
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace zelvan

#include "platform/win32_api.h"

#include <string>

#include "platform/process_tag.h"
#include "platform/win32_process_tag.h"

namespace zelvan {

namespace {

// The creation time of a process in 100-nanosecond intervals since 1601,
// as digits; false when the process cannot be asked.
bool CreationTime(HANDLE process, std::string* ticks) {
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
  uint64_t value = (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  *ticks = std::to_string(value);
  return true;
}

}  // namespace

const std::string& OwnProcessTag() {
  static const std::string own = [] {
    std::string ticks(1, '0');  // stays when the start time cannot be read
    CreationTime(::GetCurrentProcess(), &ticks);
    return std::to_string(::GetCurrentProcessId()) + "-" + ticks;
  }();
  return own;
}

bool IsProcessTagAlive(std::string_view tag) {
  unsigned long long number = 0;
  std::string_view start;
  if (!SplitProcessTag(tag, &number, &start)) return true;
  if (number == 0 || number > 0xFFFFFFFFull) return false;
  HANDLE process =
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(number));
  if (process == nullptr) {
    // No such process; one we may not ask is someone's, alive.
    return ::GetLastError() == ERROR_ACCESS_DENIED;
  }
  DWORD code = 0;
  bool running = ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  std::string ticks;
  bool same = start == "0" || !CreationTime(process, &ticks) || ticks == start;
  ::CloseHandle(process);
  return running && same;
}

HANDLE OpenTaggedProcess(std::string_view tag, DWORD access) {
  unsigned long long number = 0;
  std::string_view start;
  if (!SplitProcessTag(tag, &number, &start)) return nullptr;
  if (number == 0 || number > 0xFFFFFFFFull) return nullptr;
  HANDLE process =
      ::OpenProcess(access | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(number));
  if (process == nullptr) return nullptr;
  DWORD code = 0;
  std::string ticks;
  // A process that reused the id is another one.
  if (!::GetExitCodeProcess(process, &code) || code != STILL_ACTIVE ||
      (start != "0" && (!CreationTime(process, &ticks) || ticks != start))) {
    ::CloseHandle(process);
    return nullptr;
  }
  return process;
}

}  // namespace zelvan

#include "platform/win32_api.h"

#include "platform/os_error.h"

namespace zelvan {

Status OsErrorStatus(int os_error, std::string_view context) {
  std::string text = context.empty() ? std::string() : std::string(context) + ": ";
  char* message = nullptr;
  DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(os_error), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<char*>(&message), 0, nullptr);
  std::string reason = length != 0 && message != nullptr ? std::string(message, length) : "";
  if (message != nullptr) ::LocalFree(message);
  // The system's texts end in a line break, which a Status never holds.
  while (!reason.empty() &&
         (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
    reason.pop_back();
  if (reason.empty()) reason = "system error " + std::to_string(os_error);
  text += reason;
  // os_error() of a Status is an errno value: the system code is not kept there.
  if (os_error == ERROR_FILE_NOT_FOUND || os_error == ERROR_PATH_NOT_FOUND) {
    return Status::NotFound(text);
  }
  return Status::IoError(text);
}

int LastOsError() {
  return static_cast<int>(::GetLastError());
}

void ClearLastOsError() {
  ::SetLastError(ERROR_SUCCESS);
}

}  // namespace zelvan

// The OS's own error numbers: errno on POSIX, the system error code of
// GetLastError on Windows, and their texts (strerror; FormatMessage).
#pragma once

#include <string_view>

#include "platform/status.h"

namespace zelvan {

// The failure of an OS call with error number `os_error`: its text, after
// `context` and ": " when given. Not found (ENOENT, ENOTDIR;
// ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND) is kNotFound, all else
// kIoError. On POSIX this is Status::FromErrno.
Status OsErrorStatus(int os_error, std::string_view context = {});

// The calling thread's last OS error, and clearing it, for a caller whose
// callee answered only yes or no.
int LastOsError();
void ClearLastOsError();

}  // namespace zelvan

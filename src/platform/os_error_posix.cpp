#include <errno.h>

#include "platform/os_error.h"

namespace zelvan {

Status OsErrorStatus(int os_error, std::string_view context) {
  return Status::FromErrno(os_error, context);
}

int LastOsError() {
  return errno;
}

void ClearLastOsError() {
  errno = 0;
}

}  // namespace zelvan

#include <errno.h>

#include "platform/status.h"

namespace zelvan {

Status Status::FromOsError(int os_error, std::string_view context) {
  return FromErrno(os_error, context);
}

int LastOsError() {
  return errno;
}

void ClearLastOsError() {
  errno = 0;
}

}  // namespace zelvan

// The process a tag (process_tag.h) names, for the Win32 files of the
// platform layer.
#pragma once

#include <string_view>

#include "platform/win32_api.h"

namespace zelvan {

// A handle with `access` (and PROCESS_QUERY_LIMITED_INFORMATION) to the
// running process `tag` names, which the caller closes; null when there is
// none, when it has ended, or when it is another process that got its id.
HANDLE OpenTaggedProcess(std::string_view tag, DWORD access);

}  // namespace zelvan

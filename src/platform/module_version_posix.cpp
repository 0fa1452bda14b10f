#include "platform/module_version.h"

namespace zelvan {

bool ReadModuleProductVersion(std::string_view, uint32_t*, uint32_t*) {
  return false;
}

}  // namespace zelvan

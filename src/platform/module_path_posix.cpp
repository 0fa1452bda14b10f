#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include "platform/module_path.h"

namespace zelvan {

std::string ModuleHostPathOf(const void* address) {
  Dl_info info{};
  if (::dladdr(address, &info) == 0 || info.dli_fname == nullptr) return "";
  // The loader reports the name the module was loaded by, which may be relative.
  char resolved[PATH_MAX + 1];
  if (::realpath(info.dli_fname, resolved) == nullptr) return info.dli_fname;
  return resolved;
}

}  // namespace zelvan

// Where the code of a loaded module lies on the host: a component module
// names itself in the registry by the path of its own file, and finds its
// companion files beside it.
#pragma once

#include <string>

namespace zelvan {

// The host path of the shared library (or program) whose code or data holds
// `address`; empty when the system cannot tell.
std::string ModuleHostPathOf(const void* address);

}  // namespace zelvan

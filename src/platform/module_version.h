// The version resource of a module file: what Windows' file properties show
// as the product version. A POSIX host's modules carry none.
#pragma once

#include <cstdint>
#include <string_view>

namespace zelvan {

// The product version of the module at `host_path` (VS_FIXEDFILEINFO): major
// and minor in `most`, patch and build in `least`. False when the file has
// no version resource or cannot be read.
bool ReadModuleProductVersion(std::string_view host_path, uint32_t* most, uint32_t* least);

}  // namespace zelvan

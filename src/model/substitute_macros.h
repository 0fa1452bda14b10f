// `$(NAME)` substitution in commands and paths of custom build steps, with
// a macro table of parallel name and value lists.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

// For each name in table order, every "$(name)" in the text is replaced by
// its value (a name without value counts as empty); a value may itself name
// a later macro. The pass stops as soon as the text holds no `$`.
std::string SubstituteMacros(std::string_view text, const std::vector<std::string>& names,
                             const std::vector<std::string>& values);

// The same with a bound: false, `result` unspecified, as soon as the text
// would grow past `max_size` bytes. Values that name each other grow the
// text exponentially, so a caller with values from a file needs the bound.
bool SubstituteMacrosWithin(std::string_view text, const std::vector<std::string>& names,
                            const std::vector<std::string>& values, size_t max_size,
                            std::string* result);

}  // namespace zelvan

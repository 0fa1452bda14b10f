// `$(NAME)` substitution in commands and paths of custom build steps, with
// a macro table of parallel name and value lists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

// For each name in table order, every "$(name)" in the text is replaced by
// its value (a name without value counts as empty); a value may itself name
// a later macro. The pass stops as soon as the text holds no `$`.
std::string SubstituteMacros(std::string_view text, const std::vector<std::string>& names,
                             const std::vector<std::string>& values);

}  // namespace zelvan

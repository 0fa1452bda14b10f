// "Did you mean" for names the user typed: the closest of a list of known
// names, when one is close enough to be a typing slip.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvan::cli {

// The name of `known` nearest to `typed` (edits counted without regard to
// letter case), when it needs at most a third of `typed`'s letters changed
// (at least one); empty otherwise.
std::string ClosestName(std::string_view typed, const std::vector<std::string>& known);

}  // namespace zelvan::cli

// The include dependencies of a source as the makefile lists them. Every
// rule and test that needs them reads them here, so this is the one place
// that knows how the dependency records keep their paths.
#pragma once

#include <functional>
#include <string_view>

namespace zelvan {

class COneSourceFile;

// Calls `visit` with each dependency path of `file` for `target`, in the
// order the analysis found them: relative to the project directory for
// files that exist, as found for the others. Nothing when the file has no
// record for the target.
void ForEachDependencyPath(const COneSourceFile& file, std::string_view target,
                           const std::function<void(std::string_view)>& visit);

}  // namespace zelvan

// The include dependencies of a source as the makefile lists them. Every
// rule and test that needs them reads them here, so this is the one place
// that knows how the dependency records keep their paths.
#pragma once

#include <string_view>

#include "model/dependency_record.h"
#include "model/one_source_file.h"

namespace zelvan {

// Calls `visit` with each dependency path of `file` for `target` (a
// std::string_view), in the order the analysis found them: relative to the
// project directory for files that exist, as found for the others. Nothing
// when the file has no record for the target.
template <typename Visit>
void ForEachDependencyPath(const COneSourceFile& file, std::string_view target, Visit&& visit) {
  const CDependencyRecord* record = FindDependencyRecord(file.TargetEntries(), target);
  if (record == nullptr) return;
  for (size_t i = 0; i < record->size(); ++i)
    visit(record->path(i));
}

}  // namespace zelvan

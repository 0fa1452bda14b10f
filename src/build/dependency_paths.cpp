#include "build/dependency_paths.h"

#include "model/dependency_record.h"
#include "model/one_source_file.h"

namespace zelvan {

void ForEachDependencyPath(const COneSourceFile& file, std::string_view target,
                           const std::function<void(std::string_view)>& visit) {
  const CDependencyRecord* record = FindDependencyRecord(file.TargetEntries(), target);
  if (record == nullptr) return;
  for (const std::string& path : record->paths())
    visit(path);
}

}  // namespace zelvan

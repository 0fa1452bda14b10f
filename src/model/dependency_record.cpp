#include "model/dependency_record.h"

#include "platform/ansi_text.h"

namespace zelvan {

void CDependencyRecord::SetDependencies(std::vector<std::string> paths,
                                        std::vector<std::string> forms) {
  path_ids_.reset();
  paths_ = std::move(paths);
  forms_ = std::move(forms);
  forms_.resize(paths_.size());
}

void CDependencyRecord::AddDependency(std::string path, std::string form) {
  path_ids_.reset();
  paths_.push_back(std::move(path));
  forms_.push_back(std::move(form));
}

const CDependencyRecord* FindDependencyRecord(const std::vector<CDependencyRecord>& records,
                                              std::string_view target) {
  for (const CDependencyRecord& record : records) {
    if (EqualsNoCase(record.target(), target)) return &record;
  }
  return nullptr;
}

CDependencyRecord* FindDependencyRecord(std::vector<CDependencyRecord>& records,
                                        std::string_view target) {
  for (CDependencyRecord& record : records) {
    if (EqualsNoCase(record.target(), target)) return &record;
  }
  return nullptr;
}

}  // namespace zelvan

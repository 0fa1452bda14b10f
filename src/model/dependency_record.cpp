#include "model/dependency_record.h"

#include "platform/ansi_text.h"

namespace zelvan {

void DependencyRecord::SetDependencies(const TextTable& table, std::vector<DependencyPathId> ids,
                                       std::string forms) {
  paths_ = &table;
  ids_ = std::move(ids);
  forms_ = std::move(forms);
  forms_.resize(ids_.size(), kNoForm);
}

void DependencyRecord::SetDependencies(TextTable& table, const std::vector<std::string>& paths,
                                       const std::vector<std::string>& forms) {
  std::vector<DependencyPathId> ids;
  std::string form_bytes;
  for (size_t i = 0; i < paths.size(); ++i) {
    ids.push_back(table.Add(paths[i]));
    form_bytes += i < forms.size() && !forms[i].empty() ? forms[i][0] : kNoForm;
  }
  SetDependencies(table, std::move(ids), std::move(form_bytes));
}

bool DependencyRecord::operator==(const DependencyRecord& other) const {
  if (target_ != other.target_ || stamp_ != other.stamp_ || forms_ != other.forms_) return false;
  for (size_t i = 0; i < size(); ++i) {
    if (path(i) != other.path(i)) return false;
  }
  return true;
}

const DependencyRecord* FindDependencyRecord(const std::vector<DependencyRecord>& records,
                                             std::string_view target) {
  for (const DependencyRecord& record : records) {
    // Sizes first: the call is made only for the name that may be it.
    if (record.target().size() == target.size() && EqualsNoCase(record.target(), target)) {
      return &record;
    }
  }
  return nullptr;
}

DependencyRecord* FindDependencyRecord(std::vector<DependencyRecord>& records,
                                       std::string_view target) {
  for (DependencyRecord& record : records) {
    // Sizes first: the call is made only for the name that may be it.
    if (record.target().size() == target.size() && EqualsNoCase(record.target(), target)) {
      return &record;
    }
  }
  return nullptr;
}

}  // namespace zelvan

#include "model/project_links.h"

#include "model/project_store.h"
#include "platform/ansi_text.h"
#include "platform/private_profile.h"
#include "storage/profile_data.h"
#include "storage/project_files.h"

namespace zelvan {

ProjectLinks::ProjectLinks(ProjectStore& store) : store_(store) {}

void ProjectLinks::GetText(std::string* text) const {
  JoinList(links_, text);
}

bool ProjectLinks::Add(std::string_view name) {
  for (const std::string& link : links_) {
    if (EqualsNoCase(link, name)) return false;
  }
  links_.emplace_back(name);
  return true;
}

bool ProjectLinks::Remove(std::string_view name) {
  for (auto it = links_.begin(); it != links_.end(); ++it) {
    if (EqualsNoCase(*it, name)) {
      links_.erase(it);
      return true;
    }
  }
  return false;
}

bool ProjectLinks::Replace(std::string_view name, std::string_view new_name) {
  for (std::string& link : links_) {
    if (EqualsNoCase(link, name)) {
      link = std::string(new_name);
      return true;
    }
  }
  return false;
}

void ProjectLinks::LoadLinkProjectKey(const ProfileData& whole_file) {
  std::string legacy_links;
  if (!whole_file.GetValue(kProjectSection, kLinkProjectKey, &legacy_links)) return;
  std::vector<std::string> names;
  SplitList(legacy_links, &names);
  for (const std::string& name : names)
    Add(name);
}

void ProjectLinks::RemoveLinkProjectKey() {
  std::string value;
  if (store_.Profile().Lookup(kProjectSection, kLinkProjectKey, store_.WorkingCopy(), &value)) {
    store_.Profile().DeleteKey(kProjectSection, kLinkProjectKey, store_.WorkingCopy());
    store_.Flush();
  }
}

}  // namespace zelvan

#include "storage/project_folders.h"

#include <set>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/private_profile.h"
#include "storage/project_files.h"

namespace zelvan {

namespace {

std::string_view BareExtension(std::string_view extension) {
  if (!extension.empty() && extension[0] == '*') extension.remove_prefix(1);
  if (!extension.empty() && extension[0] == '.') extension.remove_prefix(1);
  return extension;
}

class FolderSearch {
 public:
  FolderSearch(PrivateProfile& profile, std::string_view file, std::string_view extension)
      : profile_(profile), file_(file), extension_(BareExtension(extension)) {}

  bool Search(std::string_view section, std::string* folder) {
    std::vector<std::string> folders;
    SplitList(profile_.GetString(section, kFolderKey, "", file_), &folders);
    for (const std::string& name : folders) {
      if (!visited_.insert(ToLowerAscii(name)).second) continue;
      std::vector<std::string> filters;
      SplitList(profile_.GetString(name, kFilterKey, "", file_), &filters);
      for (const std::string& filter : filters) {
        if (EqualsNoCase(BareExtension(filter), extension_)) {
          *folder = name;
          return true;
        }
      }
      if (Search(name, folder)) return true;
    }
    return false;
  }

 private:
  PrivateProfile& profile_;
  std::string_view file_;
  std::string_view extension_;
  std::set<std::string> visited_;
};

}  // namespace

bool FindFolderForExtension(PrivateProfile& profile, std::string_view project_file,
                            std::string_view extension, std::string* folder) {
  if (BareExtension(extension).empty()) return false;
  FolderSearch search(profile, project_file, extension);
  return search.Search(kProjectSection, folder);
}

}  // namespace zelvan

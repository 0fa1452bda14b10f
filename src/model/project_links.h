// A project's link list: the output names of the projects it links, in
// order. The workspace settings keep the list; an earlier layout kept it in
// the project file as PROJECT/LinkProject ("MathLib.lib;"), which is read
// when the workspace settings hold none and removed on save.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class ProfileData;
class ProjectStore;

class ProjectLinks {
 public:
  // `store` (kept) holds PROJECT/LinkProject.
  explicit ProjectLinks(ProjectStore& store);
  ProjectLinks(const ProjectLinks&) = delete;
  ProjectLinks& operator=(const ProjectLinks&) = delete;

  const std::vector<std::string>& Names() const { return links_; }
  // Each name followed by `;`.
  void GetText(std::string* text) const;
  // False when the name is present already (letter case ignored).
  bool Add(std::string_view name);
  // False when absent.
  bool Remove(std::string_view name);
  // Renames an entry in place, keeping the order of the list; false when absent.
  bool Replace(std::string_view name, std::string_view new_name);

  // Adds the names of PROJECT/LinkProject of the whole project file.
  void LoadLinkProjectKey(const ProfileData& whole_file);
  // Deletes PROJECT/LinkProject from the working copy when it is there.
  void RemoveLinkProjectKey();

 private:
  ProjectStore& store_;
  std::vector<std::string> links_;
};

}  // namespace zelvan

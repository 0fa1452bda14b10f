// The projects of the open workspace in workspace order, with the look-ups
// by name and by file, the projects the last open left out, and the projects
// a conversion is building.
//
// The list owns its projects: taking one out or clearing the list destroys
// them, and each project deletes its working copy as it goes.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/project.h"
#include "platform/ansi_text.h"

namespace zelvan {

// A project file the workspace lists that the last open left out (missing,
// unreadable, no project file, an output name taken), with why.
struct UnreadProject {
  std::string file;
  std::string reason;
};

class ProjectList {
 public:
  using Projects = std::vector<std::unique_ptr<Project>>;

  const Projects& All() const { return projects_; }

  // The project a name given by a user or a caller names, letter case
  // ignored: the first whose output name is `name`, else the first whose
  // output name without its extension is, else the first whose project file
  // has that base name. Every look-up by name follows this one rule.
  Project* FindNamed(std::string_view name) const;
  // FindNamed, then among the conversion projects by output name.
  Project* Find(std::string_view name) const;
  // By project file, then by working copy, then among the conversion projects.
  Project* FindByFile(std::string_view path) const;
  // The workspace's own project of that output name (letter case ignored).
  Project* FindByOutputName(std::string_view output_name) const;
  // The project file of FindNamed(name).
  bool ResolveFile(std::string_view name, std::string* project_file) const;
  // Whether the workspace's own projects hold that project file.
  bool HasProjectFile(const std::string& path) const { return by_file_.count(path) != 0; }

  // Puts the project before `before`, at the end when that is null or no
  // project of the list.
  void Insert(std::unique_ptr<Project> project, const Project* before = nullptr);
  // Takes the project out; null when the list does not hold it.
  std::unique_ptr<Project> Take(const Project* project);
  // Destroys the workspace's own projects.
  void Clear();

  const std::vector<UnreadProject>& Unread() const { return unread_; }
  void AddUnread(UnreadProject unread) { unread_.push_back(std::move(unread)); }
  void ClearUnread() { unread_.clear(); }

  // Projects that a conversion is building; searched after the workspace's own.
  void AddConversionProject(std::unique_ptr<Project> project);
  void ClearConversionProjects() { conversion_projects_.clear(); }

 private:
  using ProjectMap = std::map<std::string, Project*, NoCaseLess>;

  Projects projects_;
  ProjectMap by_file_;
  ProjectMap by_working_copy_;
  std::vector<UnreadProject> unread_;
  Projects conversion_projects_;
};

}  // namespace zelvan

// The workspace's active selection: the active project (the one the IDE
// marks), the current project whose target the commands act on, and the
// current build target, which the workspace settings keep as
// [Builder] Composition.
#pragma once

#include <string>
#include <string_view>

#include "model/ide_services.h"
#include "platform/platform.h"

namespace zelvan {

class Project;
class ProjectList;

class WorkspaceSelection {
 public:
  // `projects` is the list the selection chooses from; all must outlive it.
  WorkspaceSelection(const Platform& platform, IdeServices& ide, ProjectList& projects);
  WorkspaceSelection(const WorkspaceSelection&) = delete;
  WorkspaceSelection& operator=(const WorkspaceSelection&) = delete;

  const std::string& CurrentProjectName() const { return current_project_name_; }
  const std::string& CurrentTarget() const { return current_target_; }
  const std::string& ActiveProjectFile() const { return active_project_file_; }
  Project* CurrentProject() const;

  // Re-reads the IDE's active project and chooses the current project and target.
  bool ActiveProjectChanged();
  // Makes `project` the active and current project and chooses its target.
  void Activate(Project& project);
  // Makes `target` the workspace's current target (no check against the
  // current project's targets).
  bool ChangeCurrentTarget(std::string_view target);
  // The current project name becomes `name` (no look-up) when it differs
  // without regard to case.
  void SetCurrentProjectName(std::string_view name);
  // The project ActiveProjectChanged falls back on when the IDE names none.
  void SetActiveProjectFile(std::string file) { active_project_file_ = std::move(file); }

  // Keeps the current target when `project` has it, else makes its first
  // target (none when it has none) the current one; `project` takes it.
  void FitTargetTo(Project& project);
  // Gives a project that joins the workspace the current target, or its
  // first when it lacks that one; the current target stays.
  void GiveTargetTo(Project& project) const;
  // Before `leaving` is taken out: when it was the active or current
  // project, `successor` (none when null) takes its place.
  void ReplaceProject(const Project& leaving, Project* successor);

  // On opening: the IDE's active project and the stored current target.
  void Load();
  // Writes the current target to the workspace settings when it changed.
  void SaveTarget();
  void Clear();

 private:
  // FitTargetTo for the project becoming the active one; a change of the
  // current target leaves every makefile out of date.
  void ActivateTarget(Project& project);

  Platform platform_;
  IdeServices& ide_;
  ProjectList& projects_;
  std::string current_project_name_;
  std::string current_target_;
  std::string saved_target_;
  std::string active_project_file_;
};

}  // namespace zelvan

#include "model/workspace_selection.h"

#include "model/project.h"
#include "model/project_list.h"
#include "model/workspace_hooks.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/win_path.h"
#include "storage/profile_functions.h"
#include "storage/project_files.h"

namespace zelvan {

namespace {

// Buffers of the IDE's profile reads.
constexpr size_t kSettingBuffer = 1024;
constexpr size_t kIdentityBuffer = 32768;

// What the makefile layer keeps on the project follows its target.
void MarkMakefileOutOfDate(Project& project) {
  if (WorkspaceHooks* hooks = project.Environment().hooks) hooks->MakefileOutOfDate(project);
}

}  // namespace

WorkspaceSelection::WorkspaceSelection(const Platform& platform, IdeServices& ide,
                                       ProjectList& projects)
    : platform_(platform), ide_(ide), projects_(projects) {}

Project* WorkspaceSelection::CurrentProject() const {
  if (current_project_name_.empty()) return nullptr;
  return projects_.Find(current_project_name_);
}

void WorkspaceSelection::Load() {
  std::string active = ide_.GetActiveProjectFile();
  Project* current = nullptr;
  if (!active.empty() &&
      ChangeExtension(*platform_.fs, platform_.fs->FullPath(active), kProjectExtension, &active)) {
    active_project_file_ = active;
    for (const auto& project : projects_.All()) {
      if (PathEquals(project->paths().project_file, active)) current = project.get();
    }
  }
  current_target_ = ide_.ReadWorkspaceSetting(kBuilderSection, kCompositionKey, kSettingBuffer);
  saved_target_ = current_target_;
  if (current) {
    current_project_name_ = current->paths().output_name;
    FitTargetTo(*current);
  }
}

void WorkspaceSelection::SaveTarget() {
  if (current_target_ == saved_target_) return;
  if (ide_.WriteWorkspaceSetting(kBuilderSection, kCompositionKey, current_target_)) {
    saved_target_ = current_target_;
  }
}

void WorkspaceSelection::Clear() {
  active_project_file_.clear();
  current_project_name_.clear();
  current_target_.clear();
  saved_target_.clear();
}

void WorkspaceSelection::FitTargetTo(Project& project) {
  if (!project.targets().Has(current_target_)) {
    current_target_ =
        project.targets().List().empty() ? std::string() : project.targets().List().front();
  }
  project.targets().SetCurrent(current_target_);
}

void WorkspaceSelection::GiveTargetTo(Project& project) const {
  project.targets().SetCurrent(
      project.targets().Has(current_target_)
          ? current_target_
          : (project.targets().List().empty() ? std::string() : project.targets().List().front()));
}

void WorkspaceSelection::ActivateTarget(Project& project) {
  std::string previous = current_target_;
  FitTargetTo(project);
  if (!EqualsNoCase(previous, current_target_)) {
    for (const auto& each : projects_.All())
      MarkMakefileOutOfDate(*each);
  }
}

void WorkspaceSelection::ReplaceProject(const Project& leaving, Project* successor) {
  if (PathEquals(active_project_file_, leaving.paths().project_file)) {
    active_project_file_ = successor ? successor->paths().project_file : std::string();
  }
  if (EqualsNoCase(current_project_name_, leaving.paths().output_name)) {
    current_project_name_ = successor ? successor->paths().output_name : std::string();
    if (successor) FitTargetTo(*successor);
  }
}

bool WorkspaceSelection::ActiveProjectChanged() {
  std::string active = ide_.GetActiveProjectFile();
  // When the IDE names none, the project this workspace knows as active stays.
  if (active.empty()) active = active_project_file_;
  std::string file;
  if (active.empty() ||
      !ChangeExtension(*platform_.fs, platform_.fs->FullPath(active), kProjectExtension, &file)) {
    return false;
  }
  current_project_name_ =
      platform_.profile->GetString(kProjectSection, kOutputKey, "", file, kIdentityBuffer);
  active_project_file_ = file;
  Project* project = projects_.Find(current_project_name_);
  if (project == nullptr) return false;
  ActivateTarget(*project);
  return true;
}

void WorkspaceSelection::Activate(Project& project) {
  active_project_file_ = project.paths().project_file;
  current_project_name_ = project.paths().output_name;
  ActivateTarget(project);
}

void WorkspaceSelection::SetCurrentProjectName(std::string_view name) {
  if (!EqualsNoCase(name, current_project_name_)) current_project_name_ = std::string(name);
}

bool WorkspaceSelection::ChangeCurrentTarget(std::string_view target) {
  if (EqualsNoCase(target, current_target_)) return true;
  current_target_ = std::string(target);
  for (const auto& project : projects_.All()) {
    project->targets().ReloadCache(current_target_);
    MarkMakefileOutOfDate(*project);
  }
  if (Project* current = CurrentProject()) {
    current->targets().SetCurrent(current_target_);
    ide_.RefreshProjectView(current->paths().project_file);
  }
  return true;
}

}  // namespace zelvan

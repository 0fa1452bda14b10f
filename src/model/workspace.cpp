#include "model/workspace.h"

#include "model/message_texts.h"
#include "model/operation_status.h"
#include "model/path_functions.h"
#include "model/service_settings.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "model/workspace_hooks.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/process_tag.h"
#include "platform/system_services.h"
#include "platform/ui_hooks.h"
#include "platform/win_path.h"
#include "storage/profile_functions.h"
#include "storage/project_files.h"
#include "toolchain/installation.h"
#include "toolchain/language_table.h"

namespace zelvan {

namespace {

// Buffers of the IDE's profile reads.
constexpr size_t kIdentityBuffer = 32768;

NullWorkspaceHooks null_hooks;

std::string EnvValue(SystemServices& system, const char* name, size_t limit) {
  std::string value = system.GetEnv(name).value_or("");
  if (value.size() > limit) value.resize(limit);
  return value;
}

}  // namespace

Workspace::Workspace(const Platform& platform, ServiceSettings& settings, IdeServices& ide,
                     WorkspaceHooks* hooks, const LanguageTable* languages)
    : platform_(platform),
      settings_(settings),
      ide_(ide),
      hooks_(hooks ? hooks : &null_hooks),
      selection_(platform_, ide_, projects_),
      document_(*this) {
  if (languages == nullptr) {
    own_languages_ = std::make_unique<LanguageTable>();
    languages = own_languages_.get();
  }
  environment_.languages = languages;
  environment_.settings = &settings_;
  environment_.hooks = hooks_;
  SystemServices& system = *platform_.system;
  user_name_ = system.UserName();
  if (user_name_.empty()) user_name_ = "Default";
  computer_name_ = system.ComputerName();
  if (computer_name_.empty()) computer_name_ = "Default";
  temp_dir_ = EnvValue(system, "TEMP", 1023);
  tmp_dir_ = EnvValue(system, "TMP", 1023);
  // Saved whole: a PATH cut short would be restored cut short.
  saved_path_ = system.GetEnv("PATH");
  LocalTime now = system.Now();
  start_stamp_ =
      StringPrintf("%d%d%d%d%d%d", now.year, now.month, now.day, now.hour, now.minute, now.second);
  stop_object_name_ = start_stamp_ + "-" + OwnProcessTag();
  update_dependency_file_ = settings_.ReadUpdateDependencyFile();
}

Workspace::~Workspace() {
  projects_.Clear();
  projects_.ClearConversionProjects();
  SystemServices& system = *platform_.system;
  if (saved_path_) {
    system.SetEnv("PATH", *saved_path_);
  } else {
    system.UnsetEnv("PATH");
  }
  // A stop request addressed to this session is of no use to anyone once it ends.
  if (system.NamedObjectExists(stop_object_name_)) system.RemoveNamedObject(stop_object_name_);
}

// --- Status.

void Workspace::ClearStatus() {
  last_status_ = kStatusOk;
}

void Workspace::SetStatus(uint32_t code, unsigned message_id,
                          std::initializer_list<std::string_view> args) {
  last_status_ = code;
  last_message_ = LoadMessage(*platform_.ui, message_id, args);
}

bool Workspace::IsStopRequested() {
  return platform_.system->NamedObjectExists(stop_object_name_);
}

// --- Adding projects.

Status Workspace::AddProject(ArgText project_file) {
  if (Status checked = CheckOperation(*this, {project_file}); !checked) return checked;
  FileSystem& fs = *platform_.fs;
  std::string path;
  if (project_file->empty() || !ChangeExtension(fs, *project_file, kProjectExtension, &path)) {
    return OperationFailure(kStatusProjectFileMissing, kMsgProjectNotFound);
  }
  if (!FileExists(fs, path)) {
    return OperationFailure(kStatusProjectFileMissing, kMsgProjectNotFound);
  }
  if (!Installation::CheckFullPathName(path)) {
    return OperationFailure(kStatusInvalidPath, kMsgInvalidPath);
  }
  path = fs.FullPath(path);
  if (platform_.profile->GetString(kProjectSection, kOutputKey, "", path, kIdentityBuffer)
          .empty()) {
    return OperationFailure(kStatusNoOutputOrTargets, kMsgNoOutputOrTargets);
  }
  for (const auto& project : projects_.All()) {
    if (PathEquals(project->paths().project_file, path)) {
      return OperationFailure(kStatusProjectExists, kMsgProjectExists);
    }
  }

  std::string error;
  std::unique_ptr<Project> project = document_.LoadProject(path, &error);
  if (!project) {
    // The reason goes after the message (ReportStatus).
    return OperationFailure(Status::Invalid(error), kStatusWorkingCopyFailed, kMsgWorkingCopyFailed,
                            {path});
  }
  project->store().ReleaseWholeFile();
  if (projects_.FindByOutputName(project->paths().output_name) != nullptr) {
    // The project and its working copy go with it.
    return OperationFailure(kStatusProjectExists, kMsgProjectExists);
  }
  if (!ide_.AddProjectToWorkspace(project->paths().ide_project_file, document_.Path())) {
    return Status::Invalid("the IDE refused the project");
  }

  Project& added = *project;
  projects_.Insert(std::move(project));
  ide_.RefreshSourceControlStatus();
  selection_.GiveTargetTo(added);
  ide_.ProjectFileAdded(added.paths().project_file);
  document_.SetModified();

  if (selection_.ActiveProjectFile().empty()) {
    selection_.SetActiveProjectFile(added.paths().project_file);
    selection_.ActiveProjectChanged();
  }
  bool save_view_state = document_.SaveViewState();
  document_.SetSaveViewState(false);
  document_.Save(false);
  document_.SetSaveViewState(save_view_state);
  // What saving the workspace file left in the status is no failure of adding.
  ClearStatus();
  return Status::OK();
}

Project* Workspace::InsertProject(std::string_view project_file, const Project* before,
                                  std::string* error) {
  std::unique_ptr<Project> project = document_.LoadProject(std::string(project_file), error);
  if (!project) return nullptr;
  project->store().ReleaseWholeFile();
  Project& inserted = *project;
  projects_.Insert(std::move(project), before);
  selection_.GiveTargetTo(inserted);
  document_.SetModified();
  return &inserted;
}

void Workspace::RemoveProject(const Project* project, Project* successor) {
  std::unique_ptr<Project> taken = projects_.Take(project);
  if (!taken) return;
  selection_.ReplaceProject(*taken, successor);
  taken.reset();  // the project and its working copy go
  document_.SetModified();
}

Status Workspace::SetActiveProject(std::string_view name) {
  Project* project = projects_.Find(name);
  if (project == nullptr) {
    return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
  }
  selection_.Activate(*project);
  return Status::OK();
}

Project* Workspace::ProjectArgument(ArgText name) {
  std::string file;
  Project* project = nullptr;
  if (projects_.ResolveFile(*name, &file)) project = projects_.FindByFile(file);
  return project;
}

// --- Link lists.

Status Workspace::AddLinkProject(ArgText project, ArgText linked) {
  if (Status checked = CheckOperation(*this, {project, linked}); !checked) return checked;
  Project* owner = ProjectArgument(project);
  if (owner == nullptr) return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
  Project* target = ProjectArgument(linked);
  if (target == nullptr) return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
  // A project that links itself would make its makefile call itself.
  if (owner == target) {
    return OperationFailure(kStatusBadArgument, kMsgBadArgument);
  }
  if (!owner->links().Add(target->paths().output_name)) {
    return OperationFailure(kStatusLinkExists, kMsgLinkExists);
  }
  document_.SetModified();
  return Status::OK();
}

Status Workspace::RemoveLinkProject(ArgText project, ArgText linked) {
  if (Status checked = CheckOperation(*this, {project, linked}); !checked) return checked;
  Project* owner = ProjectArgument(project);
  if (owner == nullptr) return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
  std::string file;
  Project* target = projects_.ResolveFile(*linked, &file) ? projects_.FindByFile(file) : nullptr;
  // An entry naming a project that left the workspace can still be removed by its name.
  std::string name = target ? target->paths().output_name : std::string(*linked);
  if (!owner->links().Remove(name)) {
    if (target == nullptr) return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
    return OperationFailure(kStatusLinkMissing, kMsgLinkMissing);
  }
  document_.SetModified();
  return Status::OK();
}

// --- Files.

Status Workspace::AddFile(ArgText project, ArgText file) {
  if (Status checked = CheckOperation(*this, {project, file}); !checked) return checked;
  Project* owner = ProjectArgument(project);
  if (owner == nullptr) return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
  const Installation* util = settings_.util();
  std::string path;
  bool valid;
  {
    ScopedUsedTime timing(util, "Check File Name");
    valid = Installation::CheckFullPathName(*file) && GetFullPathName(*file, "\\", &path);
  }
  if (!valid) {
    return OperationFailure(kStatusInvalidPath, kMsgInvalidPath);
  }
  FileStatus status;
  // A device or FIFO is no source: reading it could wait forever.
  if (!platform_.fs->Stat(path, &status) || status.is_directory || status.is_other) {
    return OperationFailure(kStatusFileNotFound, kMsgFileNotFound, {path});
  }
  SourceFile* added = nullptr;
  std::string detail;
  ProjectSources::AddFileResult result;
  {
    ScopedUsedTime timing(util, "AddFile");
    result = owner->sources().Add(path, &added, &detail);
  }
  switch (result) {
    case ProjectSources::AddFileResult::kAdded:
      break;
    case ProjectSources::AddFileResult::kAlreadyInProject:
      return OperationFailure(kStatusFileInProject, kMsgFileInProject, {path});
    case ProjectSources::AddFileResult::kInvalidName:
      // The reason goes with it: the name alone does not show which character.
      return OperationFailure(kStatusInvalidPath, kMsgFileNotAdded, {path, detail});
    case ProjectSources::AddFileResult::kFolderDamaged:
    case ProjectSources::AddFileResult::kNotWritten:
      return OperationFailure(kStatusFileNotAdded, kMsgFileNotAdded, {path, detail});
  }
  ScopedUsedTime timing(util, "GetDependence");
  hooks_->SourceFileAdded(*this, *owner, *added);
  return Status::OK();
}

// --- Targets.

namespace {

// A target name becomes part of section names and of the `;` list of
// targets: characters that would break either are refused.
bool IsValidTargetName(std::string_view name) {
  if (TrimBlanks(name).empty()) return false;
  for (char c : name) {
    if (c == ';' || c == '!' || c == '[' || c == ']' || c == '=' ||
        static_cast<unsigned char>(c) < 0x20) {
      return false;
    }
  }
  return true;
}

}  // namespace

Status Workspace::AddTarget(ArgText project, ArgText existing, ArgText new_target) {
  if (Status checked = CheckOperation(*this, {project, existing, new_target}); !checked)
    return checked;
  if (!IsValidTargetName(*new_target)) {
    return OperationFailure(kStatusBadArgument, kMsgBadArgument);
  }
  Project* owner = ProjectArgument(project);
  if (owner == nullptr) return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
  owner->targets().Reload();
  if (owner->targets().List().empty()) {
    return OperationFailure(kStatusNoOutputOrTargets, kMsgNoOutputOrTargets);
  }
  if (owner->targets().Has(*new_target)) {
    return OperationFailure(kStatusTargetExists, kMsgTargetExists);
  }
  if (!owner->targets().Has(*existing)) {
    return OperationFailure(kStatusTargetNotFound, kMsgTargetNotFound);
  }
  if (!owner->targets().Copy(*existing, *new_target)) {
    return OperationFailure(kStatusBadArgument, kMsgBadArgument);
  }
  return Status::OK();
}

Status Workspace::RemoveTarget(ArgText project, ArgText target) {
  if (Status checked = CheckOperation(*this, {project, target}); !checked) return checked;
  Project* owner = ProjectArgument(project);
  if (owner == nullptr) return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
  owner->targets().Reload();
  if (owner->targets().List().empty()) {
    return OperationFailure(kStatusNoOutputOrTargets, kMsgNoOutputOrTargets);
  }
  if (!owner->targets().Has(*target)) {
    return OperationFailure(kStatusTargetNotFound, kMsgTargetNotFound);
  }
  // The last target stays: a project without targets cannot be built or
  // given a target again.
  if (owner->targets().List().size() == 1) {
    return OperationFailure(kStatusNoOutputOrTargets, kMsgNoOutputOrTargets);
  }
  if (!owner->targets().Delete(*target)) {
    return OperationFailure(kStatusBadArgument, kMsgBadArgument);
  }
  if (owner == selection_.CurrentProject() && !owner->targets().Has(selection_.CurrentTarget())) {
    selection_.FitTargetTo(*owner);
  }
  ide_.CurrentTargetChanged(selection_.CurrentTarget());
  return Status::OK();
}

}  // namespace zelvan

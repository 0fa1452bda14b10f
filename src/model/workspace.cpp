#include "model/workspace.h"

#include <iterator>

#include "model/message_texts.h"
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
constexpr size_t kSettingBuffer = 1024;
constexpr size_t kLinkListBuffer = 32768;
constexpr size_t kIdentityBuffer = 32768;

NullWorkspaceHooks null_hooks;

std::string EnvValue(SystemServices& system, const char* name, size_t limit) {
  std::string value = system.GetEnv(name).value_or("");
  if (value.size() > limit) value.resize(limit);
  return value;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += '\n';
    text += line;
  }
  return text;
}

std::string StripExtension(std::string_view name) {
  size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

}  // namespace

Workspace::Workspace(const Platform& platform, ServiceSettings& settings, IdeServices& ide,
                     WorkspaceHooks* hooks, const LanguageTable* languages)
    : platform_(platform), settings_(settings), ide_(ide), hooks_(hooks ? hooks : &null_hooks) {
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
  DestroyProjects();
  conversion_projects_.clear();
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

// --- Opening and closing.

std::unique_ptr<Project> Workspace::LoadProject(const std::string& project_file,
                                                std::string* error) {
  std::string relative;
  MakeRelativePath(workspace_path_, project_file, &relative);
  auto project = std::make_unique<Project>(platform_, project_file, relative, &environment_);
  if (!project->Open(error)) return nullptr;
  project->store().LoadWholeFile();
  project->LoadSettings();
  return project;
}

void Workspace::Register(std::unique_ptr<Project> project, const Project* before) {
  projects_by_file_[project->paths().project_file] = project.get();
  projects_by_working_copy_[project->paths().working_copy] = project.get();
  auto position = projects_.begin();
  while (position != projects_.end() && position->get() != before)
    ++position;
  projects_.insert(position, std::move(project));
}

bool Workspace::OpenWorkspace(ArgText workspace_path) {
  ClearStatus();
  if (!workspace_path || workspace_path->empty()) {
    SetStatus(kStatusBadArgument, kMsgBadArgument);
    return false;
  }
  std::string path = platform_.fs->FullPath(*workspace_path);
  if (IsOpen() && !PathEquals(path, workspace_path_)) CloseWorkspace();
  workspace_path_ = path;

  std::vector<std::string> files;
  if (!ide_.GetWorkspaceProjectFiles(workspace_path_, &files)) {
    ReadArchiveSettings();
    workspace_path_.clear();
    workspace_archive_path_.clear();
    SetStatus(kStatusNoWorkspace, kMsgNoWorkspace);
    return false;
  }
  ChangeExtension(*platform_.fs, workspace_path_, kWorkspaceOptionsExtension,
                  &workspace_options_path_);

  std::string progress_text = LoadMessage(*platform_.ui, kMsgOutputPane);
  progress_.Reset();
  unread_projects_.clear();
  // A project that cannot be read is left out, and said so: the host decides
  // whether the command it runs can do without it.
  auto leave_out = [this](const std::string& file, std::string reason) {
    ide_.WriteOutputLine(LoadMessage(*platform_.ui, kMsgProjectNotRead, {file, reason}),
                         kOutputWarning);
    unread_projects_.push_back({file, std::move(reason)});
  };
  for (size_t i = 0; i < files.size(); ++i) {
    std::string file;
    if (!ChangeExtension(*platform_.fs, platform_.fs->FullPath(files[i]), kProjectExtension,
                         &file)) {
      continue;
    }
    // Opening the same workspace again keeps the projects that are open.
    if (projects_by_file_.count(file) != 0) continue;
    FileStatus status;
    if (!platform_.fs->Stat(file, &status)) {
      leave_out(file, "it does not exist");
      continue;
    }
    if (status.is_directory || status.is_other) {
      leave_out(file, "it is not a regular file");
      continue;
    }
    std::string error;
    std::unique_ptr<Project> project = LoadProject(file, &error);
    if (!project) {
      leave_out(file, error);
      continue;
    }
    // Output names identify projects; a file without one (damaged, cut
    // short, or no project file at all) is refused as AddProject refuses it.
    if (project->paths().output_name.empty()) {
      leave_out(file, "it names no output file");
      continue;
    }
    if (FindByOutputName(project->paths().output_name) != nullptr) {
      // A second project of the same name would make every look-up by name ambiguous.
      leave_out(file, "another project has its output name " + project->paths().output_name);
      continue;
    }
    Register(std::move(project));
    progress_.Write(ide_, *platform_.ui, progress_text, static_cast<uint32_t>(i + 1),
                    static_cast<uint32_t>(files.size()));
  }
  LoadLinkLists();

  ide_.RefreshSourceControlStatus();
  hooks_->RefreshDependencies(*this);

  std::string active = ide_.GetActiveProjectFile();
  Project* current = nullptr;
  if (!active.empty() &&
      ChangeExtension(*platform_.fs, platform_.fs->FullPath(active), kProjectExtension, &active)) {
    active_project_file_ = active;
    for (const auto& project : projects_) {
      if (PathEquals(project->paths().project_file, active)) current = project.get();
    }
  }
  current_target_ = ide_.ReadWorkspaceSetting(kBuilderSection, kCompositionKey, kSettingBuffer);
  saved_target_ = current_target_;
  if (current) {
    current_project_name_ = current->paths().output_name;
    SetCurrentTargetOfProject(*current);
  }

  ReadArchiveSettings();
  for (const auto& project : projects_)
    project->store().ReleaseWholeFile();
  return true;
}

void Workspace::SetCurrentTargetOfProject(Project& project) {
  if (!project.targets().Has(current_target_)) {
    current_target_ =
        project.targets().List().empty() ? std::string() : project.targets().List().front();
  }
  project.targets().SetCurrent(current_target_);
}

void Workspace::ActivateProject(Project& project) {
  std::string previous = current_target_;
  SetCurrentTargetOfProject(project);
  if (!EqualsNoCase(previous, current_target_)) {
    for (const auto& each : projects_)
      each->make_state().makefile_out_of_date = true;
  }
}

void Workspace::ReadArchiveSettings() {
  workspace_archive_path_.clear();
  std::string settings;
  if (!ChangeExtension(*platform_.fs, workspace_path_, kArchiveSettingsExtension, &settings))
    return;
  std::string archive = platform_.profile->GetString(kArchiveSection, kArchivePathKey, "", settings,
                                                     kArchivePathMax + 1);
  if (!archive.empty()) {
    GetFullPathName(archive, GetFileDirectory(workspace_path_), &workspace_archive_path_);
  }
}

bool Workspace::CloseWorkspace() {
  if (IsOpen()) {
    SaveTargetSetting();
    WriteViewTrees();
    WriteViewState(/*replace=*/false);
  }
  for (TreeNodeTable& table : tree_tables_)
    table.ClearNodes();
  workspace_path_.clear();
  workspace_options_path_.clear();
  workspace_archive_path_.clear();
  active_project_file_.clear();
  current_project_name_.clear();
  unread_projects_.clear();
  current_target_.clear();
  saved_target_.clear();
  saved_link_values_.clear();
  link_lists_known_ = false;
  DestroyProjects();
  modified_ = false;
  return true;
}

void Workspace::DestroyProjects() {
  projects_by_file_.clear();
  projects_by_working_copy_.clear();
  // Each project deletes its working copy as it goes.
  projects_.clear();
}

// --- Saving.

bool Workspace::SaveWorkspace(bool ask) {
  ClearStatus();
  if (!IsOpen()) {
    SetStatus(kStatusNoWorkspace, kMsgNoWorkspace);
    return true;
  }
  SaveTargetSetting();
  SaveLinkLists();

  std::vector<std::string> read_only;
  for (const auto& project : projects_) {
    if (project->store().ProjectFileIsReadOnly() && project->store().IsModified()) {
      read_only.push_back(project->paths().project_file);
    }
  }
  if (!read_only.empty()) {
    std::string list = JoinLines(read_only);
    if (ask) {
      std::string text = LoadMessage(*platform_.ui, kMsgReadOnlyAskCancel, {list});
      int answer = ide_.ShowMessage(
          kMessageCaption, text, kMbYesNo | kMbIconWarning | kMbDefButton2, kMsgReadOnlyAskCancel);
      if (answer == kIdYes) {
        SetStatus(kStatusProjectsNotSaved, kMsgReadOnlyNotSaved, {list});
        return false;
      }
    } else {
      std::string text = LoadMessage(*platform_.ui, kMsgReadOnlyNotSaved, {list});
      ide_.ShowMessage(kMessageCaption, text, kMbOk | kMbIconWarning, kMsgReadOnlyNotSaved);
    }
  }

  std::vector<std::string> failed;
  for (const auto& project : projects_) {
    if (project->store().ProjectFileIsReadOnly()) continue;
    if (!project->Save()) {
      failed.insert(failed.end(), project->store().SaveFailures().begin(),
                    project->store().SaveFailures().end());
    }
  }
  if (!failed.empty()) {
    std::string text = LoadMessage(*platform_.ui, kMsgSaveFailed, {JoinLines(failed)});
    ide_.ShowMessage(kMessageCaption, text, kMbOk | kMbIconWarning, kMsgSaveFailed);
  }

  settings_.ReloadBuildSwitches();
  bool makefiles_ok = true;
  if (settings_.BuildMake() != 0) {
    for (const auto& project : projects_) {
      if (!hooks_->WriteMakefile(*this, *project, settings_.BuildDepend() == 0)) {
        makefiles_ok = false;
      }
    }
  }
  if (save_view_state_) {
    WriteViewTrees();
    WriteViewState(/*replace=*/true);
  }
  modified_ = false;

  // A change that did not reach its project file is a failed save, even
  // though the user has been told in a message box.
  if (!failed.empty()) {
    SetStatus(kStatusProjectsNotSaved, kMsgSaveFailed, {JoinLines(failed)});
    return false;
  }
  if (!read_only.empty()) {
    SetStatus(kStatusProjectsNotSaved, kMsgReadOnlyNotSaved, {JoinLines(read_only)});
    return false;
  }
  return makefiles_ok;
}

void Workspace::SaveTargetSetting() {
  if (!IsOpen() || current_target_ == saved_target_) return;
  if (ide_.WriteWorkspaceSetting(kBuilderSection, kCompositionKey, current_target_)) {
    saved_target_ = current_target_;
  }
}

std::vector<std::string> Workspace::LinkListValues() const {
  std::vector<std::string> values;
  for (const auto& project : projects_) {
    std::string links;
    project->links().GetText(&links);
    values.push_back(project->paths().output_name + ";" + links);
  }
  return values;
}

bool Workspace::SaveLinkLists() {
  if (!IsOpen() || (!save_view_state_ && !modified_)) return true;
  std::vector<std::string> values = LinkListValues();
  if (values == saved_link_values_ && link_lists_known_) return true;
  bool written = true;
  for (size_t i = 0; i < values.size(); ++i) {
    written &= ide_.WriteWorkspaceSetting(
        kBuilderSection, std::string(kLinkProjectKey) + std::to_string(i), values[i]);
  }
  for (const auto& project : projects_)
    project->links().RemoveLinkProjectKey();
  written &= ide_.WriteWorkspaceSetting(kBuilderSection, kLinkProjectKey,
                                        StringPrintf("%zu", values.size()));
  // Lists the IDE did not take are written again by the next save.
  if (!written) {
    link_lists_known_ = false;
    return false;
  }
  saved_link_values_ = std::move(values);
  link_lists_known_ = true;
  return true;
}

void Workspace::LoadLinkLists() {
  std::string count_text =
      ide_.ReadWorkspaceSetting(kBuilderSection, kLinkProjectKey, kSettingBuffer);
  if (count_text.empty()) {
    // No lists in the workspace settings: the projects keep what their
    // files gave them, and the first save writes the lists.
    saved_link_values_.clear();
    link_lists_known_ = false;
    return;
  }
  long count = std::strtol(count_text.c_str(), nullptr, 10);
  std::vector<std::string> stored;
  for (long i = 0; i < count && i < 100000; ++i) {
    std::string value = ide_.ReadWorkspaceSetting(
        kBuilderSection, std::string(kLinkProjectKey) + std::to_string(i), kLinkListBuffer);
    stored.push_back(value);
    std::vector<std::string> names;
    SplitList(value, &names);
    if (names.empty()) continue;
    Project* owner = FindByOutputName(names.front());
    if (owner == nullptr) continue;
    // The workspace's list replaces the one of the earlier layout.
    while (!owner->links().Names().empty())
      owner->links().Remove(owner->links().Names().front());
    for (size_t n = 1; n < names.size(); ++n)
      owner->links().Add(names[n]);
  }
  saved_link_values_ = std::move(stored);
  link_lists_known_ = true;
}

void Workspace::WriteViewTrees() {
  // The view trees hold the IDE's node handles, which live only as long as
  // the IDE's windows: nothing of them outlives the session.
}

void Workspace::WriteViewState(bool replace) {
  if (workspace_options_path_.empty()) return;
  PrivateProfile& profile = *platform_.profile;
  if (!replace && !FileExists(*platform_.fs, workspace_options_path_)) {
    // Closing writes the state of projects the IDE has shown; a workspace
    // that was never shown gets no options file just for being opened.
    bool shown = false;
    for (const auto& project : projects_) {
      if (!project->sources().OpenFolders().empty() || project->sources().ExpandState() != 2)
        shown = true;
    }
    if (!shown) return;
  }
  // The view state is the workspace's own: a read-only file is replaced too.
  ClearReadOnly(*platform_.fs, workspace_options_path_);
  if (replace) {
    profile.DeleteSection(kOpenProjectFolderSection, workspace_options_path_);
    profile.DeleteSection(kOpenProjectExpandSection, workspace_options_path_);
  }
  for (const auto& project : projects_) {
    std::string folders;
    JoinList(project->sources().OpenFolders(), &folders);
    // The folder list is written without its final `;`.
    if (!folders.empty()) folders.pop_back();
    profile.WriteString(kOpenProjectFolderSection, project->paths().relative_path, folders,
                        workspace_options_path_);
    profile.WriteString(kOpenProjectExpandSection, project->paths().relative_path,
                        StringPrintf("%d", project->sources().ExpandState()),
                        workspace_options_path_);
  }
  profile.Flush(workspace_options_path_);
}

// --- Adding projects.

bool Workspace::BeginOperation(std::initializer_list<ArgText> args) {
  ClearStatus();
  if (!IsOpen()) {
    SetStatus(kStatusNoWorkspace, kMsgNoWorkspace);
    return false;
  }
  for (const ArgText& arg : args) {
    if (!arg) {
      SetStatus(kStatusBadArgument, kMsgBadArgument);
      return false;
    }
  }
  return true;
}

bool Workspace::AddProject(ArgText project_file) {
  if (!BeginOperation({project_file})) return false;
  FileSystem& fs = *platform_.fs;
  std::string path;
  if (project_file->empty() || !ChangeExtension(fs, *project_file, kProjectExtension, &path)) {
    SetStatus(kStatusProjectFileMissing, kMsgProjectNotFound);
    return false;
  }
  if (!FileExists(fs, path)) {
    SetStatus(kStatusProjectFileMissing, kMsgProjectNotFound);
    return false;
  }
  if (!Installation::CheckFullPathName(path)) {
    SetStatus(kStatusInvalidPath, kMsgInvalidPath);
    return false;
  }
  path = fs.FullPath(path);
  if (platform_.profile->GetString(kProjectSection, kOutputKey, "", path, kIdentityBuffer)
          .empty()) {
    SetStatus(kStatusNoOutputOrTargets, kMsgNoOutputOrTargets);
    return false;
  }
  for (const auto& project : projects_) {
    if (PathEquals(project->paths().project_file, path)) {
      SetStatus(kStatusProjectExists, kMsgProjectExists);
      return false;
    }
  }

  std::string error;
  std::unique_ptr<Project> project = LoadProject(path, &error);
  if (!project) {
    SetStatus(kStatusWorkingCopyFailed, kMsgWorkingCopyFailed, {path});
    last_message_ += " (" + error + ")";
    return false;
  }
  project->store().ReleaseWholeFile();
  if (FindByOutputName(project->paths().output_name) != nullptr) {
    SetStatus(kStatusProjectExists, kMsgProjectExists);
    return false;  // the project and its working copy go with it
  }
  if (!ide_.AddProjectToWorkspace(project->paths().ide_project_file, workspace_path_)) {
    return false;
  }

  Project& added = *project;
  Register(std::move(project));
  ide_.RefreshSourceControlStatus();
  added.targets().SetCurrent(
      added.targets().Has(current_target_)
          ? current_target_
          : (added.targets().List().empty() ? std::string() : added.targets().List().front()));
  ide_.ProjectFileAdded(added.paths().project_file);
  modified_ = true;

  if (active_project_file_.empty()) {
    active_project_file_ = added.paths().project_file;
    ActiveProjectChanged();
  }
  bool save_view_state = save_view_state_;
  save_view_state_ = false;
  SaveWorkspace(false);
  save_view_state_ = save_view_state;
  ClearStatus();
  return true;
}

Project* Workspace::InsertProject(std::string_view project_file, const Project* before,
                                  std::string* error) {
  std::unique_ptr<Project> project = LoadProject(std::string(project_file), error);
  if (!project) return nullptr;
  project->store().ReleaseWholeFile();
  Project& inserted = *project;
  Register(std::move(project), before);
  inserted.targets().SetCurrent(inserted.targets().Has(current_target_)
                                    ? current_target_
                                    : (inserted.targets().List().empty()
                                           ? std::string()
                                           : inserted.targets().List().front()));
  modified_ = true;
  return &inserted;
}

void Workspace::RemoveProject(const Project* project, Project* successor) {
  auto it = projects_.begin();
  while (it != projects_.end() && it->get() != project)
    ++it;
  if (it == projects_.end()) return;
  for (ProjectMap* map : {&projects_by_file_, &projects_by_working_copy_}) {
    for (auto entry = map->begin(); entry != map->end();) {
      entry = entry->second == project ? map->erase(entry) : std::next(entry);
    }
  }
  bool was_active = PathEquals(active_project_file_, project->paths().project_file);
  bool was_current = EqualsNoCase(current_project_name_, project->paths().output_name);
  projects_.erase(it);  // the project and its working copy go
  if (was_active)
    active_project_file_ = successor ? successor->paths().project_file : std::string();
  if (was_current) {
    current_project_name_ = successor ? successor->paths().output_name : std::string();
    if (successor) SetCurrentTargetOfProject(*successor);
  }
  modified_ = true;
}

bool Workspace::ActiveProjectChanged() {
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
  Project* project = FindProject(current_project_name_);
  if (project == nullptr) return false;
  ActivateProject(*project);
  return true;
}

bool Workspace::SetActiveProject(std::string_view name) {
  ClearStatus();
  Project* project = FindProject(name);
  if (project == nullptr) {
    SetStatus(kStatusProjectNotFound, kMsgProjectNotFound);
    return false;
  }
  active_project_file_ = project->paths().project_file;
  current_project_name_ = project->paths().output_name;
  ActivateProject(*project);
  return true;
}

void Workspace::SetCurrentProjectName(std::string_view name) {
  if (!EqualsNoCase(name, current_project_name_)) current_project_name_ = std::string(name);
}

bool Workspace::ChangeCurrentTarget(std::string_view target) {
  if (EqualsNoCase(target, current_target_)) return true;
  current_target_ = std::string(target);
  for (const auto& project : projects_) {
    project->targets().ReloadCache(current_target_);
    project->make_state().makefile_out_of_date = true;
  }
  if (Project* current = CurrentProject()) {
    current->targets().SetCurrent(current_target_);
    ide_.RefreshProjectView(current->paths().project_file);
  }
  return true;
}

// --- Look-ups.

Project* Workspace::FindByOutputName(std::string_view output_name) {
  for (const auto& project : projects_) {
    if (EqualsNoCase(project->paths().output_name, output_name)) return project.get();
  }
  return nullptr;
}

Project* Workspace::FindNamedProject(std::string_view name) const {
  // Every command names projects by this one rule. An output name is
  // matched before a shortened one or a file name, so that a name never
  // reaches another project than the one whose output it is.
  for (const auto& project : projects_) {
    if (EqualsNoCase(project->paths().output_name, name)) return project.get();
  }
  for (const auto& project : projects_) {
    if (EqualsNoCase(StripExtension(project->paths().output_name), name)) return project.get();
  }
  for (const auto& project : projects_) {
    if (EqualsNoCase(project->paths().base_name, name)) return project.get();
  }
  return nullptr;
}

Project* Workspace::FindProject(std::string_view name) {
  if (name.empty()) return nullptr;
  if (Project* project = FindNamedProject(name)) return project;
  for (const auto& project : conversion_projects_) {
    if (EqualsNoCase(project->paths().output_name, name)) return project.get();
  }
  return nullptr;
}

Project* Workspace::FindProjectByFile(std::string_view path) {
  if (auto it = projects_by_file_.find(path); it != projects_by_file_.end()) return it->second;
  if (auto it = projects_by_working_copy_.find(path); it != projects_by_working_copy_.end()) {
    return it->second;
  }
  for (const auto& project : conversion_projects_) {
    if (PathEquals(project->paths().project_file, path)) return project.get();
  }
  return nullptr;
}

bool Workspace::ResolveProjectFile(std::string_view name, std::string* project_file) {
  const Project* project = name.empty() ? nullptr : FindNamedProject(name);
  if (project == nullptr) return false;
  *project_file = project->paths().project_file;
  return true;
}

Project* Workspace::CurrentProject() {
  if (current_project_name_.empty()) return nullptr;
  return FindProject(current_project_name_);
}

Project* Workspace::ProjectArgument(ArgText name) {
  std::string file;
  Project* project = nullptr;
  if (ResolveProjectFile(*name, &file)) project = FindProjectByFile(file);
  if (project == nullptr) SetStatus(kStatusProjectNotFound, kMsgProjectNotFound);
  return project;
}

// --- Link lists.

bool Workspace::AddLinkProject(ArgText project, ArgText linked) {
  if (!BeginOperation({project, linked})) return false;
  Project* owner = ProjectArgument(project);
  if (owner == nullptr) return false;
  Project* target = ProjectArgument(linked);
  if (target == nullptr) return false;
  // A project that links itself would make its makefile call itself.
  if (owner == target) {
    SetStatus(kStatusBadArgument, kMsgBadArgument);
    return false;
  }
  if (!owner->links().Add(target->paths().output_name)) {
    SetStatus(kStatusLinkExists, kMsgLinkExists);
    return false;
  }
  modified_ = true;
  return true;
}

bool Workspace::RemoveLinkProject(ArgText project, ArgText linked) {
  if (!BeginOperation({project, linked})) return false;
  Project* owner = ProjectArgument(project);
  if (owner == nullptr) return false;
  std::string file;
  Project* target = ResolveProjectFile(*linked, &file) ? FindProjectByFile(file) : nullptr;
  // An entry naming a project that left the workspace can still be removed by its name.
  std::string name = target ? target->paths().output_name : std::string(*linked);
  if (!owner->links().Remove(name)) {
    if (target == nullptr) {
      SetStatus(kStatusProjectNotFound, kMsgProjectNotFound);
    } else {
      SetStatus(kStatusLinkMissing, kMsgLinkMissing);
    }
    return false;
  }
  modified_ = true;
  return true;
}

// --- Files.

bool Workspace::AddFile(ArgText project, ArgText file) {
  if (!BeginOperation({project, file})) return false;
  Project* owner = ProjectArgument(project);
  if (owner == nullptr) return false;
  const Installation* util = settings_.util();
  std::string path;
  bool valid;
  {
    ScopedUsedTime timing(util, "Check File Name");
    valid = Installation::CheckFullPathName(*file) && GetFullPathName(*file, "\\", &path);
  }
  if (!valid) {
    SetStatus(kStatusInvalidPath, kMsgInvalidPath);
    return false;
  }
  FileStatus status;
  // A device or FIFO is no source: reading it could wait forever.
  if (!platform_.fs->Stat(path, &status) || status.is_directory || status.is_other) {
    SetStatus(kStatusFileNotFound, kMsgFileNotFound, {path});
    return false;
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
      SetStatus(kStatusFileInProject, kMsgFileInProject, {path});
      return false;
    case ProjectSources::AddFileResult::kInvalidName:
      // The reason goes with it: the name alone does not show which character.
      SetStatus(kStatusInvalidPath, kMsgFileNotAdded, {path, detail});
      return false;
    case ProjectSources::AddFileResult::kFolderDamaged:
    case ProjectSources::AddFileResult::kNotWritten:
      SetStatus(kStatusFileNotAdded, kMsgFileNotAdded, {path, detail});
      return false;
  }
  ScopedUsedTime timing(util, "GetDependence");
  hooks_->SourceFileAdded(*this, *owner, *added);
  return true;
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

bool Workspace::AddTarget(ArgText project, ArgText existing, ArgText new_target) {
  if (!BeginOperation({project, existing, new_target})) return false;
  if (!IsValidTargetName(*new_target)) {
    SetStatus(kStatusBadArgument, kMsgBadArgument);
    return false;
  }
  Project* owner = ProjectArgument(project);
  if (owner == nullptr) return false;
  owner->targets().Reload();
  if (owner->targets().List().empty()) {
    SetStatus(kStatusNoOutputOrTargets, kMsgNoOutputOrTargets);
    return false;
  }
  if (owner->targets().Has(*new_target)) {
    SetStatus(kStatusTargetExists, kMsgTargetExists);
    return false;
  }
  if (!owner->targets().Has(*existing)) {
    SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
    return false;
  }
  if (!owner->targets().Copy(*existing, *new_target)) {
    SetStatus(kStatusBadArgument, kMsgBadArgument);
    return false;
  }
  return true;
}

bool Workspace::RemoveTarget(ArgText project, ArgText target) {
  if (!BeginOperation({project, target})) return false;
  Project* owner = ProjectArgument(project);
  if (owner == nullptr) return false;
  owner->targets().Reload();
  if (owner->targets().List().empty()) {
    SetStatus(kStatusNoOutputOrTargets, kMsgNoOutputOrTargets);
    return false;
  }
  if (!owner->targets().Has(*target)) {
    SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
    return false;
  }
  // The last target stays: a project without targets cannot be built or
  // given a target again.
  if (owner->targets().List().size() == 1) {
    SetStatus(kStatusNoOutputOrTargets, kMsgNoOutputOrTargets);
    return false;
  }
  if (!owner->targets().Delete(*target)) {
    SetStatus(kStatusBadArgument, kMsgBadArgument);
    return false;
  }
  if (owner == CurrentProject() && !owner->targets().Has(current_target_)) {
    current_target_ = owner->targets().List().front();
    owner->targets().SetCurrent(current_target_);
  }
  ide_.CurrentTargetChanged(current_target_);
  return true;
}

// --- View trees.

bool Workspace::GetTreeNodeText(uint32_t handle, std::string* text) {
  return tree_tables_[0].GetNodeText(handle, text) || tree_tables_[1].GetNodeText(handle, text);
}

void Workspace::GetTreeNodeTexts(const std::vector<uint32_t>& handles, std::string* text) {
  text->clear();
  TreeNodeTable& table = TreeTable(current_tree_);
  for (uint32_t handle : handles) {
    std::string node;
    if (table.GetNodeText(handle, &node)) {
      *text += node;
      *text += ';';
    }
  }
}

// --- Conversion projects.

void Workspace::AddConversionProject(std::unique_ptr<Project> project) {
  conversion_projects_.push_back(std::move(project));
}

void Workspace::ClearConversionProjects() {
  conversion_projects_.clear();
}

}  // namespace zelvan

#include "model/workspace_document.h"

#include <cstdlib>

#include "model/message_texts.h"
#include "model/operation_status.h"
#include "model/path_functions.h"
#include "model/service_settings.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "model/workspace_hooks.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/ui_hooks.h"
#include "platform/win_path.h"
#include "storage/profile_functions.h"
#include "storage/project_files.h"

namespace zelvan {

namespace {

// Buffers of the IDE's profile reads.
constexpr size_t kSettingBuffer = 1024;
constexpr size_t kLinkListBuffer = 32768;

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += '\n';
    text += line;
  }
  return text;
}

}  // namespace

std::unique_ptr<Project> WorkspaceDocument::LoadProject(const std::string& project_file,
                                                        std::string* error) {
  std::string relative;
  MakeRelativePath(path_, project_file, &relative);
  auto project = std::make_unique<Project>(workspace_.platform(), project_file, relative,
                                           &workspace_.environment_);
  if (!project->Open(error)) return nullptr;
  project->store().LoadWholeFile();
  project->LoadSettings();
  return project;
}

Status WorkspaceDocument::Open(ArgText workspace_path) {
  if (!workspace_path || workspace_path->empty()) {
    return OperationFailure(kStatusBadArgument, kMsgBadArgument);
  }
  const Platform& platform = workspace_.platform();
  IdeServices& ide = workspace_.ide();
  ProjectList& projects = workspace_.projects();
  std::string path = platform.fs->FullPath(*workspace_path);
  if (IsOpen() && !PathEquals(path, path_)) Close();
  path_ = path;

  std::vector<std::string> files;
  if (!ide.GetWorkspaceProjectFiles(path_, &files)) {
    ReadArchiveSettings();
    path_.clear();
    archive_path_.clear();
    return OperationFailure(kStatusNoWorkspace, kMsgNoWorkspace);
  }
  ChangeExtension(*platform.fs, path_, kWorkspaceOptionsExtension, &options_path_);

  std::string progress_text = LoadMessage(*platform.ui, kMsgOutputPane);
  ProgressWriter& progress = workspace_.progress();
  progress.Reset();
  projects.ClearUnread();
  // A project that cannot be read is left out, and said so: the host decides
  // whether the command it runs can do without it.
  auto leave_out = [&](const std::string& file, std::string reason) {
    ide.WriteOutputLine(LoadMessage(*platform.ui, kMsgProjectNotRead, {file, reason}),
                        kOutputWarning);
    projects.AddUnread({file, std::move(reason)});
  };
  for (size_t i = 0; i < files.size(); ++i) {
    std::string file;
    const std::string listed = platform.fs->FullPath(files[i]);
    if (!ChangeExtension(*platform.fs, listed, kProjectExtension, &file)) {
      // A folder has no project file to read; left out like any other entry.
      leave_out(listed, "it is not a regular file");
      continue;
    }
    // Opening the same workspace again keeps the projects that are open.
    if (projects.HasProjectFile(file)) continue;
    FileStatus status;
    if (!platform.fs->Stat(file, &status)) {
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
    if (projects.FindByOutputName(project->paths().output_name) != nullptr) {
      // A second project of the same name would make every look-up by name ambiguous.
      leave_out(file, "another project has its output name " + project->paths().output_name);
      continue;
    }
    projects.Insert(std::move(project));
    progress.Write(ide, *platform.ui, progress_text, static_cast<uint32_t>(i + 1),
                   static_cast<uint32_t>(files.size()));
  }
  LoadLinkLists();

  ide.RefreshSourceControlStatus();
  workspace_.hooks().RefreshDependencies(workspace_);

  workspace_.selection().Load();

  ReadArchiveSettings();
  for (const auto& project : projects.All())
    project->store().ReleaseWholeFile();
  return Status::OK();
}

void WorkspaceDocument::ReadArchiveSettings() {
  archive_path_.clear();
  const Platform& platform = workspace_.platform();
  std::string settings;
  if (!ChangeExtension(*platform.fs, path_, kArchiveSettingsExtension, &settings)) return;
  std::string archive = platform.profile->GetString(kArchiveSection, kArchivePathKey, "", settings,
                                                    kArchivePathMax + 1);
  if (!archive.empty()) {
    GetFullPathName(archive, GetFileDirectory(path_), &archive_path_);
  }
}

bool WorkspaceDocument::Close() {
  if (IsOpen()) {
    SaveTargetSetting();
    WriteViewTrees();
    WriteViewState(/*replace=*/false);
  }
  workspace_.view_trees().Clear();
  path_.clear();
  options_path_.clear();
  archive_path_.clear();
  workspace_.selection().Clear();
  workspace_.projects().ClearUnread();
  saved_link_values_.clear();
  link_lists_known_ = false;
  workspace_.projects().Clear();
  modified_ = false;
  return true;
}

Status WorkspaceDocument::Save(bool ask) {
  if (!IsOpen()) return OperationFailure(kStatusNoWorkspace, kMsgNoWorkspace);
  SaveTargetSetting();
  SaveLinkLists();

  const Platform& platform = workspace_.platform();
  IdeServices& ide = workspace_.ide();
  const ProjectList::Projects& projects = workspace_.projects().All();
  std::vector<std::string> read_only;
  for (const auto& project : projects) {
    if (project->store().ProjectFileIsReadOnly() && project->store().IsModified()) {
      read_only.push_back(project->paths().project_file);
    }
  }
  if (!read_only.empty()) {
    std::string list = JoinLines(read_only);
    if (ask) {
      std::string text = LoadMessage(*platform.ui, kMsgReadOnlyAskCancel, {list});
      int answer = ide.ShowMessage(kMessageCaption, text, kMbYesNo | kMbIconWarning | kMbDefButton2,
                                   kMsgReadOnlyAskCancel);
      if (answer == kIdYes) {
        return OperationFailure(kStatusProjectsNotSaved, kMsgReadOnlyNotSaved, {list});
      }
    } else {
      std::string text = LoadMessage(*platform.ui, kMsgReadOnlyNotSaved, {list});
      ide.ShowMessage(kMessageCaption, text, kMbOk | kMbIconWarning, kMsgReadOnlyNotSaved);
    }
  }

  std::vector<std::string> failed;
  for (const auto& project : projects) {
    if (project->store().ProjectFileIsReadOnly()) continue;
    if (!project->Save()) {
      failed.insert(failed.end(), project->store().SaveFailures().begin(),
                    project->store().SaveFailures().end());
    }
  }
  if (!failed.empty()) {
    std::string text = LoadMessage(*platform.ui, kMsgSaveFailed, {JoinLines(failed)});
    ide.ShowMessage(kMessageCaption, text, kMbOk | kMbIconWarning, kMsgSaveFailed);
  }

  ServiceSettings& settings = workspace_.settings();
  settings.ReloadBuildSwitches();
  bool makefiles_ok = true;
  if (settings.BuildMake() != 0) {
    for (const auto& project : projects) {
      if (!workspace_.hooks().WriteMakefile(workspace_, *project, settings.BuildDepend() == 0)) {
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
    return OperationFailure(kStatusProjectsNotSaved, kMsgSaveFailed, {JoinLines(failed)});
  }
  if (!read_only.empty()) {
    return OperationFailure(kStatusProjectsNotSaved, kMsgReadOnlyNotSaved, {JoinLines(read_only)});
  }
  // A makefile that was not written has set its status (the hooks).
  return makefiles_ok ? Status::OK() : Status::Invalid("a makefile was not written");
}

void WorkspaceDocument::SaveTargetSetting() {
  if (IsOpen()) workspace_.selection().SaveTarget();
}

std::vector<std::string> WorkspaceDocument::LinkListValues() const {
  std::vector<std::string> values;
  for (const auto& project : workspace_.projects().All()) {
    std::string links;
    project->links().GetText(&links);
    values.push_back(project->paths().output_name + ";" + links);
  }
  return values;
}

bool WorkspaceDocument::SaveLinkLists() {
  if (!IsOpen() || (!save_view_state_ && !modified_)) return true;
  std::vector<std::string> values = LinkListValues();
  if (values == saved_link_values_ && link_lists_known_) return true;
  IdeServices& ide = workspace_.ide();
  bool written = true;
  for (size_t i = 0; i < values.size(); ++i) {
    written &= ide.WriteWorkspaceSetting(
        kBuilderSection, std::string(kLinkProjectKey) + std::to_string(i), values[i]);
  }
  for (const auto& project : workspace_.projects().All())
    project->links().RemoveLinkProjectKey();
  written &= ide.WriteWorkspaceSetting(kBuilderSection, kLinkProjectKey,
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

void WorkspaceDocument::LoadLinkLists() {
  IdeServices& ide = workspace_.ide();
  std::string count_text =
      ide.ReadWorkspaceSetting(kBuilderSection, kLinkProjectKey, kSettingBuffer);
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
    std::string value = ide.ReadWorkspaceSetting(
        kBuilderSection, std::string(kLinkProjectKey) + std::to_string(i), kLinkListBuffer);
    stored.push_back(value);
    std::vector<std::string> names;
    SplitList(value, &names);
    if (names.empty()) continue;
    Project* owner = workspace_.projects().FindByOutputName(names.front());
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

void WorkspaceDocument::WriteViewTrees() {
  // The view trees hold the IDE's node handles, which live only as long as
  // the IDE's windows: nothing of them outlives the session.
}

void WorkspaceDocument::WriteViewState(bool replace) {
  if (options_path_.empty()) return;
  const Platform& platform = workspace_.platform();
  PrivateProfile& profile = *platform.profile;
  const ProjectList::Projects& projects = workspace_.projects().All();
  if (!replace && !FileExists(*platform.fs, options_path_)) {
    // Closing writes the state of projects the IDE has shown; a workspace
    // that was never shown gets no options file just for being opened.
    bool shown = false;
    for (const auto& project : projects) {
      if (!project->sources().OpenFolders().empty() || project->sources().ExpandState() != 2)
        shown = true;
    }
    if (!shown) return;
  }
  // The view state is the workspace's own: a read-only file is replaced too.
  ClearReadOnly(*platform.fs, options_path_);
  if (replace) {
    profile.DeleteSection(kOpenProjectFolderSection, options_path_);
    profile.DeleteSection(kOpenProjectExpandSection, options_path_);
  }
  for (const auto& project : projects) {
    std::string folders;
    JoinList(project->sources().OpenFolders(), &folders);
    // The folder list is written without its final `;`.
    if (!folders.empty()) folders.pop_back();
    profile.WriteString(kOpenProjectFolderSection, project->paths().relative_path, folders,
                        options_path_);
    profile.WriteString(kOpenProjectExpandSection, project->paths().relative_path,
                        StringPrintf("%d", project->sources().ExpandState()), options_path_);
  }
  profile.Flush(options_path_);
}

}  // namespace zelvan

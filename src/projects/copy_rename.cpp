#include "projects/copy_rename.h"

#include <vector>

#include "model/message_texts.h"
#include "model/project.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "projects/builder_files.h"
#include "projects/file_transaction.h"
#include "projects/project_name.h"
#include "projects/project_services.h"
#include "storage/project_files.h"

namespace zelvan {

namespace {

constexpr std::string_view kLayoutExtension = "KLO";

// A companion of the project file: its path with another extension.
std::string Companion(const Project& project, std::string_view extension) {
  const std::string& file = project.paths().project_file;
  return file.substr(0, file.size() - project.paths().extension.size()) + "." +
         std::string(extension);
}

}  // namespace

bool CommandCopyProject::Execute(std::string_view name) {
  new_project_file_.clear();
  if (!Begin()) return false;
  Project* project = workspace_.document().IsOpen() ? workspace_.projects().Find(name) : nullptr;
  if (project == nullptr) return Fail(kMsgProjectNotFound, kMsgProjectNotFound);
  if (!SaveProjectFirst(*project)) return false;

  FileSystem& fs = *workspace_.platform().fs;
  // The journal goes beside the project file, where the copies go.
  FileTransaction files(fs, GetFileDirectory(project->paths().project_file));
  std::string new_base_name = "Copy" + project->paths().base_name;
  ProjectFile ide_record(project->paths().ide_project_file);
  BuilderProfile project_file(project->paths().project_file);
  std::string error;
  if ((ide_record.Exists(fs) && !ide_record.CopyTo(new_base_name, fs, files, &error)) ||
      !project_file.CopyTo(new_base_name, fs, files, &error)) {
    workspace_.ide().WriteOutputLine(error, kOutputWarning);
    return Fail(kMsgCopyFailed, kMsgCopyFailed);
  }
  files.Commit();
  new_project_file_ = project_file.Path();
  return true;
}

bool CommandRenameProject::Execute(std::string_view name, std::string_view new_name_argument) {
  new_project_file_.clear();
  if (!Begin()) return false;
  Project* project = workspace_.document().IsOpen() ? workspace_.projects().Find(name) : nullptr;
  if (project == nullptr) return Fail(kMsgProjectNotFound, kMsgProjectNotFound);
  std::string new_name = NormalizeProjectName(new_name_argument);
  if (!IsValidProjectName(new_name)) return Fail(kMsgInvalidName, kMsgInvalidName);
  if (new_name == project->paths().base_name) {
    new_project_file_ = project->paths().project_file;
    return true;
  }
  // Output names identify projects; a second project of the same name would
  // make every look-up by name ambiguous.
  Project* other =
      workspace_.projects().Find(ReplaceBaseName(project->paths().output_name, new_name));
  if (other != nullptr && other != project) return Fail(kStatusProjectExists, kMsgProjectExists);
  if (!SaveProjectFirst(*project)) return false;

  FileSystem& fs = *workspace_.platform().fs;
  FileTransaction files(fs, GetFileDirectory(project->paths().project_file));
  ProtectWorkspaceState(files);
  const std::string old_file = project->paths().project_file;
  const std::string old_output = project->paths().output_name;
  // The IDE's files first, the project file after them; compiler settings
  // and layout are carried over too, since the old ones are deleted.
  ActiveProjectFile ide_settings(Companion(*project, kIdeSettingsExtension));
  ProjectFile ide_record(project->paths().ide_project_file);
  BuilderProfile project_file(old_file);
  BuilderFile compiler_settings(project->paths().compiler_settings);
  BuilderFile layout(Companion(*project, kLayoutExtension));
  std::vector<std::string> old_files = {ide_settings.Path(), ide_record.Path(),
                                        project_file.Path(), compiler_settings.Path(),
                                        layout.Path(),       project->paths().function_database};
  for (const std::string& path : old_files) {
    if (FileExists(fs, path)) files.DeleteWhenDone(path);
  }
  for (BuilderFile* file : std::vector<BuilderFile*>{&ide_settings, &ide_record, &project_file,
                                                     &compiler_settings, &layout}) {
    if (file != &project_file && !file->Exists(fs)) continue;
    std::string error;
    if (!file->CopyTo(new_name, fs, files, &error)) {
      workspace_.ide().WriteOutputLine(error, kOutputWarning);
      return Fail(kMsgRenameCopyFailed, kMsgRenameCopyFailed);
    }
  }

  std::string error;
  Project* renamed = workspace_.InsertProject(project_file.Path(), project, &error);
  if (renamed == nullptr) {
    return Fail(kStatusWorkingCopyFailed, kMsgWorkingCopyFailed, {project_file.Path()});
  }
  // The workspace keeps the link lists: the renamed project takes the old
  // one's, and every list that names the old project names the new one.
  for (const std::string& link : project->links().Names())
    renamed->links().Add(link);
  for (const auto& each : workspace_.projects().All())
    each->links().Replace(old_output, renamed->paths().output_name);
  workspace_.RemoveProject(project, renamed);
  if (!services_.ReplaceWorkspaceProject(old_file, renamed->paths().project_file, &error) ||
      !SaveWorkspaceState()) {
    Undo(renamed, old_file, old_output);
    return Fail(kStatusWorkspaceStateNotSaved, kMsgWorkspaceStateNotSaved);
  }

  // The renamed project is loaded and the workspace names it: the old
  // files can go. The journal is closed after them, so that a command
  // killed meanwhile leaves none behind.
  for (const std::string& path : old_files) {
    if (!FileExists(fs, path)) continue;
    fs.SetReadOnly(path, false);
    if (!fs.DeleteFile(path)) {
      workspace_.ide().WriteOutputLine(
          LoadMessage(*workspace_.platform().ui, kMsgOldFileNotDeleted, {path}), kOutputWarning);
    }
  }
  files.Commit();
  new_project_file_ = renamed->paths().project_file;
  return true;
}

void CommandRenameProject::Undo(Project* renamed, const std::string& old_file,
                                const std::string& old_output) {
  std::string error;
  services_.ReplaceWorkspaceProject(renamed->paths().project_file, old_file, &error);
  for (const auto& each : workspace_.projects().All())
    each->links().Replace(renamed->paths().output_name, old_output);
  Project* old = workspace_.InsertProject(old_file, renamed, &error);
  if (old != nullptr) {
    for (const std::string& link : renamed->links().Names())
      old->links().Add(link);
  }
  workspace_.RemoveProject(renamed, old);
  workspace_.document().SaveLinkLists();
}

Status CopyProject(Workspace& workspace, ProjectServices& services, std::string_view project,
                   std::string* new_project_file) {
  CommandCopyProject command(workspace, services);
  bool copied = command.Execute(project);
  if (copied && new_project_file) *new_project_file = command.NewProjectFile();
  return command.Outcome(copied);
}

Status RenameProject(Workspace& workspace, ProjectServices& services, std::string_view project,
                     std::string_view new_name, std::string* new_project_file) {
  CommandRenameProject command(workspace, services);
  bool renamed = command.Execute(project, new_name);
  if (renamed && new_project_file) *new_project_file = command.NewProjectFile();
  return command.Outcome(renamed);
}

}  // namespace zelvan

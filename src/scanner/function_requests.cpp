#include "scanner/function_requests.h"

#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "model/workspace.h"

namespace zelvan {

namespace {

Project* RequestedProject(Workspace& workspace, const std::string& name) {
  Project* project = nullptr;
  if (name.empty()) {
    project = workspace.CurrentProject();
  } else {
    std::string file;
    if (workspace.ResolveProjectFile(name, &file)) project = workspace.FindProjectByFile(file);
    if (project == nullptr) project = workspace.FindProject(name);
  }
  if (project == nullptr) workspace.SetStatus(kStatusProjectNotFound, kMsgProjectNotFound);
  return project;
}

}  // namespace

bool GetSourceFunctions(Workspace& workspace, FunctionDatabaseRequest* request,
                        FunctionSourceMode mode) {
  request->functions.clear();
  if (!workspace.BeginOperation({})) return false;
  Project* project = RequestedProject(workspace, request->project);
  if (project == nullptr) return false;
  SourceFile* file = project->sources().FindByRelativePath(request->file);
  if (file == nullptr) file = project->sources().Find(request->file);
  if (file == nullptr) {
    workspace.SetStatus(kStatusFileNotInProject, kMsgFileNotInProject);
    return false;
  }
  if (!file->HasFlag(SourceFile::kListedExtension)) {
    workspace.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return false;
  }
  if (mode == FunctionSourceMode::kFromEditorText) {
    ParseFunctionsFromText(*file, request->text);
  } else if (!IsFunctionDataCurrent(*workspace.platform().fs, *file)) {
    FunctionUpdateCounts counts;
    RefreshFunctionDatabase(workspace, *file, {}, &counts, &request->write_error);
  }
  request->functions = GetFunctionDatabaseText(*file);
  return true;
}

bool UpdateProjectFunctions(Workspace& workspace, FunctionDatabaseRequest* request) {
  request->directories.clear();
  if (!workspace.BeginOperation({})) return false;
  Project* project = RequestedProject(workspace, request->project);
  if (project == nullptr) return false;
  FunctionUpdateOptions options;
  options.directory_filter = request->directory;
  UpdateFunctionDatabase(workspace, *project, options, nullptr, &request->write_error);
  for (const auto& file : project->sources().Files()) {
    if (file->HasFlag(SourceFile::kListedExtension)) {
      AddSourceDirectory(file->FullPath(), &request->directories);
    }
  }
  return true;
}

bool UpdateWorkspaceFunctions(Workspace& workspace, std::string* write_error) {
  if (!workspace.BeginOperation({})) return false;
  for (const auto& project : workspace.Projects()) {
    std::string error;
    UpdateFunctionDatabase(workspace, *project, {}, nullptr, &error);
    if (write_error != nullptr && !error.empty() && write_error->empty()) *write_error = error;
  }
  return true;
}

}  // namespace zelvan

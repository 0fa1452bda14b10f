#include "scanner/function_requests.h"

#include "model/operation_status.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "platform/file_system.h"

namespace zelvan {

namespace {

Project* RequestedProject(Workspace& workspace, const std::string& name) {
  Project* project = nullptr;
  if (name.empty()) {
    project = workspace.selection().CurrentProject();
  } else {
    std::string file;
    if (workspace.projects().ResolveFile(name, &file))
      project = workspace.projects().FindByFile(file);
    if (project == nullptr) project = workspace.projects().Find(name);
  }
  return project;
}

}  // namespace

Status GetSourceFunctions(Workspace& workspace, FunctionDatabaseRequest* request,
                          FunctionSourceMode mode) {
  request->functions.clear();
  if (Status begun = CheckOperation(workspace, {}); !begun) return begun;
  Project* project = RequestedProject(workspace, request->project);
  if (project == nullptr) return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
  SourceFile* file = project->sources().FindByRelativePath(request->file);
  if (file == nullptr) file = project->sources().Find(request->file);
  if (file == nullptr) return OperationFailure(kStatusFileNotInProject, kMsgFileNotInProject);
  if (!file->HasFlag(SourceFile::kListedExtension)) {
    return OperationFailure(kStatusBadArgument, kMsgBadArgument);
  }
  if (mode == FunctionSourceMode::kFromEditorText) {
    ParseFunctionsFromText(*file, request->text);
  } else if (!IsFunctionDataCurrent(*workspace.platform().fs, *file)) {
    FunctionUpdateCounts counts;
    RefreshFunctionDatabase(workspace, *file, {}, &counts, &request->write_error);
  }
  request->functions = GetFunctionDatabaseText(*file);
  return Status::OK();
}

Status UpdateProjectFunctions(Workspace& workspace, FunctionDatabaseRequest* request) {
  request->directories.clear();
  if (Status begun = CheckOperation(workspace, {}); !begun) return begun;
  Project* project = RequestedProject(workspace, request->project);
  if (project == nullptr) return OperationFailure(kStatusProjectNotFound, kMsgProjectNotFound);
  FunctionUpdateOptions options;
  options.directory_filter = request->directory;
  UpdateFunctionDatabase(workspace, *project, options, nullptr, &request->write_error);
  for (const auto& file : project->sources().Files()) {
    if (file->HasFlag(SourceFile::kListedExtension)) {
      AddSourceDirectory(file->FullPath(), &request->directories);
    }
  }
  return Status::OK();
}

Status UpdateWorkspaceFunctions(Workspace& workspace, std::string* write_error) {
  if (Status begun = CheckOperation(workspace, {}); !begun) return begun;
  for (const auto& project : workspace.projects().All()) {
    std::string error;
    UpdateFunctionDatabase(workspace, *project, {}, nullptr, &error);
    if (write_error != nullptr && !error.empty() && write_error->empty()) *write_error = error;
  }
  return Status::OK();
}

}  // namespace zelvan

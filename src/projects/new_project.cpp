#include "projects/new_project.h"

#include <memory>

#include "model/status_codes.h"
#include "model/workspace.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "projects/file_transaction.h"
#include "projects/project_name.h"
#include "projects/project_services.h"
#include "projects/template_creator.h"
#include "storage/project_files.h"
#include "toolchain/support_cpu.h"

namespace zelvan {

bool MethodNewProject::NewProject(const NewProjectRequest& request) {
  interactive_ = request.interactive;
  Kind kind = EqualsNoCase(request.type, "lib") ? Kind::kLibrary : Kind::kBlank;
  return Run(request, kind, /*add_to_workspace=*/true);
}

bool MethodNewProject::CreateProject(const NewProjectRequest& request, bool add_to_workspace) {
  interactive_ = request.interactive;
  return Run(request, Kind::kFull, add_to_workspace);
}

bool MethodNewProject::Run(const NewProjectRequest& request, Kind kind, bool add_to_workspace) {
  project_file_.clear();
  result_ = 0;
  if (!Begin()) return false;
  std::string name = NormalizeProjectName(request.name);
  if (!IsValidProjectName(name)) return Fail(kStatusInvalidProjectName, kMsgInvalidName);
  SupportCpu cpu(request.cpu);
  if (!cpu.IsSupported()) return Fail(kStatusUnsupportedCpu, kMsgUnsupportedCpu);
  // A folder that climbs out with "..", or a drive without its root, would
  // put the project where nobody asked for it.
  const std::string& folder = request.folder;
  if (!services_.IsValidFileName(folder) || HasParentReference(folder) ||
      (HasDrive(folder) && !IsFullPath(folder))) {
    return Fail(kStatusInvalidFolder, kMsgInvalidPath);
  }
  if (kind != Kind::kFull && !request.type.empty() && !EqualsNoCase(request.type, "abs") &&
      !EqualsNoCase(request.type, "lib")) {
    return Fail(kStatusInvalidProjectType, kMsgInvalidType);
  }
  int size = request.memory_kb;
  if (cpu.IsMX310P1() && size != 64 && size != 96 && size != 128) {
    return Fail(kStatusInvalidMemorySize, kMsgInvalidMemorySize);
  }
  if (!workspace_.document().IsOpen()) return Fail(kStatusNewNoWorkspace, kMsgNoWorkspace);

  std::string folder_path;
  if (!GetFullPathName(
          IsFullPath(folder) ? folder : GetFileDirectory(workspace_.document().Path()) + folder,
          "\\", &folder_path)) {
    return Fail(kStatusInvalidFolder, kMsgInvalidPath);
  }
  folder_path = AppendLastSlash(StripTrailingSlash(folder_path));
  std::string variant;
  // CPU names match in any letter case; the chip options go by the upper-case names.
  if (cpu.IsMX520Family()) variant = ToUpperAscii(cpu.GetCpuNameWithoutSlash());
  if (cpu.IsMX310P1()) variant = StringPrintf("%dk", size);

  std::unique_ptr<TemplateCreator> creator;
  if (kind == Kind::kFull) {
    std::string model = request.memory_model;
    if (model.empty() && cpu.IsMX310P1()) model = variant;
    creator = std::make_unique<ProjectCreator>(workspace_, util_, services_, interactive_, model);
  } else if (kind == Kind::kLibrary) {
    creator = std::make_unique<LibraryCreator>(workspace_, util_, services_, interactive_);
  } else {
    creator = std::make_unique<BlankProjectCreator>(workspace_, util_, services_, interactive_);
  }
  creator->InitTemplatePaths(folder_path, name, request.cpu, variant, request.toolchain_folder);
  if (!creator->Plan()) return Fail(creator->failure());
  result_ = creator->Result();

  std::string output;
  creator->ProjectText().Lookup(kProjectSection, kOutputKey, &output);
  if (add_to_workspace && !output.empty() && workspace_.projects().Find(output) != nullptr) {
    return Fail(kStatusProjectExists, kMsgProjectExists);
  }

  FileSystem& fs = *workspace_.platform().fs;
  // The journal goes beside the workspace file, where every later command looks.
  FileTransaction files(fs, GetFileDirectory(workspace_.document().Path()));
  ProtectWorkspaceState(files);
  // Saving the workspace may write the new project's makefile and dependency file.
  for (std::string_view extension : {kMakefileExtension, kDependencyExtension}) {
    std::string companion;
    if (ChangeExtension(fs, creator->ProjectFilePath(), extension, &companion)) {
      files.Protect(companion);
    }
  }
  if (!creator->Write(files)) return Fail(creator->failure());

  if (add_to_workspace) {
    const std::string& file = creator->ProjectFilePath();
    // The workspace's failure says why it refused the project; a refusal of
    // the IDE's may have left its own status.
    workspace_.ClearStatus();
    if (Status added = workspace_.AddProject(file); !added) {
      if (added.code() != 0) return Fail(std::move(added));
      if (workspace_.GetLastStatus() == kStatusOk) {
        Fail(kStatusWorkspaceStateNotSaved, kMsgWorkspaceStateNotSaved);
      }
      return false;
    }
    if (!SaveWorkspaceState()) {
      std::string project_file;
      if (ChangeExtension(fs, file, kProjectExtension, &project_file)) {
        workspace_.RemoveProject(workspace_.projects().FindByFile(project_file), nullptr);
        std::string ignored;
        services_.RemoveWorkspaceProject(project_file, &ignored);
      }
      workspace_.document().SaveLinkLists();
      return Fail(kStatusWorkspaceStateNotSaved, kMsgWorkspaceStateNotSaved);
    }
  }
  files.Commit();
  project_file_ = creator->ProjectFilePath();
  if (add_to_workspace) services_.SendIdeCommand(kCommandProjectCreated);
  return true;
}

Status NewProject(Workspace& workspace, const Installation& util, ProjectServices& services,
                  const NewProjectRequest& request, std::string* project_file) {
  MethodNewProject method(workspace, util, services);
  bool created = method.NewProject(request);
  if (created && project_file) *project_file = method.ProjectFilePath();
  return method.Outcome(created);
}

Status CreateFullProject(Workspace& workspace, const Installation& util, ProjectServices& services,
                         const NewProjectRequest& request, bool add_to_workspace, int* result,
                         std::string* project_file) {
  MethodNewProject method(workspace, util, services);
  bool created = method.CreateProject(request, add_to_workspace);
  if (result) *result = method.Result();
  if (created && project_file) *project_file = method.ProjectFilePath();
  return method.Outcome(created);
}

}  // namespace zelvan

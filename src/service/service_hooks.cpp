#include "service/service_hooks.h"

#include <string>
#include <vector>

#include "dependencies/dependency_updater.h"
#include "makefile/kmake_file.h"
#include "model/ide_services.h"
#include "model/message_texts.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "platform/platform.h"
#include "service/report_status.h"
#include "toolchain/installation.h"

namespace zelvan {

ServiceHooks::ServiceHooks(MakeStateStore& states, DependencyUpdater& dependencies,
                           const Installation* util, const CpuTable* cpus)
    : MakeStateHooks(states), dependencies_(dependencies), util_(util), cpus_(cpus) {
  dependencies_.SetFailureReport(
      [](Workspace& workspace, const Status& failure) { ReportStatus(workspace, failure); });
}

void ServiceHooks::RefreshDependencies(Workspace& workspace) {
  workspace_ = &workspace;
  dependencies_.WorkspaceOpened(workspace);
}

bool ServiceHooks::WriteMakefile(Workspace& workspace, Project& project,
                                 bool without_dependencies) {
  return ReportStatus(
      workspace, WriteMakefileForSave(workspace, states(), cpus_, project, without_dependencies));
}

void ServiceHooks::SourceFileAdded(Workspace& workspace, Project& project, SourceFile& file) {
  workspace_ = &workspace;
  dependencies_.ComputeAddedFile(workspace, project, file);
}

bool ServiceHooks::SaveSourceFileData(Project& project) {
  ScopedUsedTime timing(util_, "UpdateDependencyFile");
  return workspace_ == nullptr ||
         ReportStatus(*workspace_, dependencies_.ProjectSaving(*workspace_, project));
}

void ServiceHooks::ProjectClosed(Project& project) {
  MakeStateHooks::ProjectClosed(project);
  dependencies_.ProjectClosed(project);
}

void ServiceHooks::UpdateDependenciesRequested(std::string_view project) {
  if (workspace_ == nullptr || !workspace_->document().IsOpen()) return;
  workspace_->ClearStatus();
  if (project.empty()) {
    dependencies_.UpdateDependencies(*workspace_, DependencyMode::kModifiedFiles, nullptr, nullptr);
  } else {
    ReportStatus(*workspace_, dependencies_.UpdateDependencies(*workspace_, {std::string(project)},
                                                               DependencyMode::kModifiedFiles,
                                                               nullptr, nullptr));
  }
  // The IDE's function view takes its entries anew through the function
  // database methods (Service 10, 24); there is no view of ours to redraw.
}

}  // namespace zelvan

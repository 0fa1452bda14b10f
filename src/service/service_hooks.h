// The work that the workspace hands to the layers above the model
// (WorkspaceHooks), and what the IDE's notifications start, wired to the
// service's parts: include dependencies (DependencyUpdater) when a workspace
// opens, a file is added, a project is saved, or the IDE asks (event 12806).
//
// Makefile export on save goes to the makefile generator (makefile/kmake_file.h);
// what generation keeps on each project follows the model (MakeStateHooks).
#pragma once

#include <string_view>

#include "makefile/make_state.h"

namespace zelvan {

class CpuTable;
class DependencyUpdater;
class Installation;

class ServiceHooks final : public MakeStateHooks {
 public:
  // `states`, `dependencies`, `util` (may be null: no timing trace) and `cpus` (may be
  // null: makefiles without the tool lines and search paths of the CPU
  // families) must outlive the hooks. A dependency file that a refresh
  // cannot write becomes the workspace's last status.
  ServiceHooks(MakeStateStore& states, DependencyUpdater& dependencies,
               const Installation* util = nullptr, const CpuTable* cpus = nullptr);

  void RefreshDependencies(Workspace& workspace) override;
  bool WriteMakefile(Workspace& workspace, Project& project, bool without_dependencies) override;
  void SourceFileAdded(Workspace& workspace, Project& project, SourceFile& file) override;
  bool SaveSourceFileData(Project& project) override;
  void ProjectClosed(Project& project) override;

  // The workspace the hooks serve (saving a project names none); set by
  // whoever creates both.
  void SetWorkspace(Workspace* workspace) { workspace_ = workspace; }

  // The IDE asked for the include dependencies of `project` (empty: of
  // every project) to be brought up to date. Files whose records are stale
  // are scanned again. Nothing happens without an open workspace; an
  // unknown project name leaves the workspace's status set.
  void UpdateDependenciesRequested(std::string_view project);

 private:
  DependencyUpdater& dependencies_;
  const Installation* util_;
  const CpuTable* cpus_;
  Workspace* workspace_ = nullptr;
};

}  // namespace zelvan

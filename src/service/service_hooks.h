// The work that the workspace hands to the layers above the model
// (WorkspaceHooks), and what the IDE's notifications start, wired to the
// service's parts: include dependencies (DependencyUpdater) when a workspace
// opens, a file is added, a project is saved, or the IDE asks (event 12806).
//
// Makefile export on save goes to the makefile generator (build/kmake_file.h).
#pragma once

#include <string_view>

#include "model/workspace_hooks.h"

namespace zelvan {

class CCPUTools;
class DependencyUpdater;
class QkUtil;

class ServiceHooks final : public WorkspaceHooks {
 public:
  // `dependencies`, `util` (may be null: no timing trace) and `cpus` (may be
  // null: makefiles without the tool lines and search paths of the CPU
  // families) must outlive the hooks.
  explicit ServiceHooks(DependencyUpdater& dependencies, const QkUtil* util = nullptr,
                        const CCPUTools* cpus = nullptr)
      : dependencies_(dependencies), util_(util), cpus_(cpus) {}

  void RefreshDependencies(CProjectData& workspace) override;
  bool WriteMakefile(CProjectData& workspace, COneProjectData& project,
                     bool without_dependencies) override;
  void SourceFileAdded(CProjectData& workspace, COneProjectData& project,
                       COneSourceFile& file) override;
  bool SaveSourceFileData(COneProjectData& project) override;

  // The workspace the hooks serve (saving a project names none); set by
  // whoever creates both.
  void SetWorkspace(CProjectData* workspace) { workspace_ = workspace; }

  // The IDE asked for the include dependencies of `project` (empty: of
  // every project) to be brought up to date. Files whose records are stale
  // are scanned again. Nothing happens without an open workspace; an
  // unknown project name leaves the workspace's status set.
  void UpdateDependenciesRequested(std::string_view project);

 private:
  DependencyUpdater& dependencies_;
  const QkUtil* util_;
  const CCPUTools* cpus_;
  CProjectData* workspace_ = nullptr;
};

}  // namespace zelvan

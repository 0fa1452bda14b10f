// Work that opening and saving a workspace starts in the layers above the
// model (dependency analysis, makefile generation), and the changes to a
// project that what those layers keep on it follows (makefile/make_state.h).
// Those layers implement this interface and hand it to the workspace; the
// model never includes them.
#pragma once

namespace zelvan {

class Workspace;
class Project;
class SourceFile;

class WorkspaceHooks {
 public:
  virtual ~WorkspaceHooks() = default;

  // A workspace has opened: bring the include dependencies of every project
  // up to date.
  virtual void RefreshDependencies(Workspace& workspace) = 0;
  // The workspace is being saved with makefile export on: write the
  // project's makefile. `without_dependencies` when dependency lines are off.
  // False when the makefile could not be written (the workspace's status says why).
  virtual bool WriteMakefile(Workspace& workspace, Project& project, bool without_dependencies) = 0;
  // A file joined a project: compute its include dependencies for the
  // workspace's current target at once.
  virtual void SourceFileAdded(Workspace& /*workspace*/, Project& /*project*/,
                               SourceFile& /*file*/) {}
  // A project is being saved: write what its source files keep beside the
  // project file (their dependency records). False when it could not be
  // written; the hook has said why, and the save fails.
  virtual bool SaveSourceFileData(Project& /*project*/) { return true; }
  // The project's settings changed for its makefile (its current target):
  // the makefile must be written anew.
  virtual void MakefileOutOfDate(Project& /*project*/) {}
  // The project was saved (after SaveSourceFileData and the working copy).
  virtual void ProjectSaved(Project& /*project*/) {}
  // The project is being destroyed; whatever the layer keeps on it goes.
  virtual void ProjectClosed(Project& /*project*/) {}
};

// Does nothing; the workspace uses it when it is given no hooks.
class NullWorkspaceHooks final : public WorkspaceHooks {
 public:
  void RefreshDependencies(Workspace&) override {}
  bool WriteMakefile(Workspace&, Project&, bool) override { return true; }
};

}  // namespace zelvan

// What makefile generation keeps on each project from one generation to the
// next: the macro table of the IDE macro block (filled for a target, read
// by the rules that name custom build outputs) and whether the project's
// makefile must be written anew.
//
// The composition root (the component module) owns the one store of the
// process and hands it to the generators. The model reports what changes
// the state through its workspace hooks; MakeStateHooks forwards those
// reports to a store.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "model/workspace_hooks.h"

namespace zelvan {

class Project;

struct ProjectMakeState {
  std::vector<std::string> macro_names, macro_values;
  bool makefile_out_of_date = true;
};

class MakeStateStore {
 public:
  // The state of `project`, made on first use (out of date, no macros).
  ProjectMakeState& Of(const Project& project) { return states_[&project]; }
  // `project` is gone: a project made later at its address starts afresh.
  void Forget(const Project& project) { states_.erase(&project); }

 private:
  std::unordered_map<const Project*, ProjectMakeState> states_;
};

// Workspace hooks that keep a store in step with the model: a project
// whose target changed gets an out-of-date makefile; saving a project with
// an out-of-date makefile deletes its build makefile ("tempmake.mak"); a
// closed project is forgotten. The rest does nothing; the service's hooks
// add to it.
class MakeStateHooks : public WorkspaceHooks {
 public:
  // `states` must outlive the hooks.
  explicit MakeStateHooks(MakeStateStore& states) : states_(states) {}

  MakeStateStore& states() { return states_; }

  void RefreshDependencies(Workspace& /*workspace*/) override {}
  bool WriteMakefile(Workspace& /*workspace*/, Project& /*project*/,
                     bool /*without_dependencies*/) override {
    return true;
  }
  void MakefileOutOfDate(Project& project) override;
  void ProjectSaved(Project& project) override;
  void ProjectClosed(Project& project) override;

 private:
  MakeStateStore& states_;
};

}  // namespace zelvan

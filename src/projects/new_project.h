// New projects from the templates of the installation (template_creator.h):
// the operations behind the Project object's slot 31 (NewProject) and the
// Service object's slot 37 and its variants 38 and 39 (a full project).
//
// The checks come in this order, each with its status and message:
//   IDE busy (a build runs)                         40965 / 5025
//   name (after NormalizeProjectName) not valid     4416 / 5089
//   CPU not one that takes new projects             4418 / 5091
//   folder not a valid name, "..", "X:relative"     4371 / 5055
//   type not "abs" or "lib" (slot 31 only)          4419 / 5024
//   MX-310/P1 with a size other than 64, 96, 128    4417 / 5090
//   no workspace open                               4096 / 5031
// then, while the project is planned: the template INI or a template file
// cannot be read (4435 / 5130), a list entry leaves its folder (4436 /
// 5131), the project file exists (4433 / 5052), a full project's memory
// model does not exist (4417 / 5090), a project of the same output name is
// in the workspace (0x40031105 / 5034); while it is written: a file cannot
// be written (4437 / 5132); while it is added: the workspace's refusal (its
// own status, which the failure leaves as it is), or the workspace settings
// cannot be saved (4438 / 5133).
//
// A project is made whole or not at all: when any step fails, the files it
// wrote are deleted, files it replaced get their bytes back, and the
// workspace, the host's record of it and the workspace settings are as
// they were. A file of the project folder that existed before is touched
// only when the user agreed to have it replaced (message 5086).
#pragma once

#include <string>
#include <string_view>

#include "projects/command.h"

namespace zelvan {

class Installation;

struct NewProjectRequest {
  std::string name;
  std::string cpu;
  // A full path, or a path relative to the workspace's directory (empty:
  // the workspace's directory itself).
  std::string folder;
  std::string type;  // "abs" or "lib", any case; empty: "abs" (slot 31 only)
  int memory_kb = 64;
  // Full projects: the memory model; empty: "<size>k" for MX-310/P1, else
  // the CPU's default model.
  std::string memory_model;
  // Full projects: the toolchain folder ($(TARGET_TOOL), $(KHOMELIB)).
  std::string toolchain_folder;
  // Failures also beep and show a message box.
  bool interactive = false;
};

class MethodNewProject : public Command {
 public:
  // Everything must outlive the command.
  MethodNewProject(Workspace& workspace, const Installation& util, ProjectServices& services)
      : Command(workspace, services), util_(util) {}

  // Slot 31: a blank ("abs") or library ("lib") project, added to the
  // workspace; then the IDE hears command 12804.
  bool NewProject(const NewProjectRequest& request);
  // Slot 37: a full project from the "FILE" list. With `add_to_workspace`
  // it joins the workspace as NewProject's do.
  bool CreateProject(const NewProjectRequest& request, bool add_to_workspace);

  // The new project file (after success).
  const std::string& ProjectFilePath() const { return project_file_; }
  // Slot 37's result: 1 when a file of the project folder was kept at the
  // user's word instead of being replaced, else 0.
  int Result() const { return result_; }

 private:
  enum class Kind { kBlank, kLibrary, kFull };
  bool Run(const NewProjectRequest& request, Kind kind, bool add_to_workspace);

  const Installation& util_;
  std::string project_file_;
  int result_ = 0;
};

// The same as functions of the workspace, for the Service and Project objects.
Status NewProject(Workspace& workspace, const Installation& util, ProjectServices& services,
                  const NewProjectRequest& request, std::string* project_file = nullptr);
// `result`: see MethodNewProject::Result.
Status CreateFullProject(Workspace& workspace, const Installation& util, ProjectServices& services,
                         const NewProjectRequest& request, bool add_to_workspace, int* result,
                         std::string* project_file = nullptr);

}  // namespace zelvan

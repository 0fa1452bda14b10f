// Copy and rename of a project of the workspace (the Project object's slots
// 32 and 33, the Service object's slots 86 and 87).
//
// Copy writes a second set of the project's files beside the first, under
// the base name "Copy" + the project's: the IDE record (.KPR) and the
// project file (.kbp), with their name references rewritten
// (builder_files.h). The copy does not join the workspace.
//
// Rename writes the files under the new name (.KPA, .KPR, .kbp, .KCC,
// .KLO), loads the renamed project in the old one's place in the workspace
// order, renames it in every project's link list and in the host's record,
// saves the workspace settings, and only then deletes the old files (with
// the function database, .kfv). Until the settings are saved every step
// is taken back on failure; a crash leaves at least one complete project.
//
// Files that a project made by the command line does not have (.KPR, .KPA,
// .KCC, .KLO) are skipped; one that exists and cannot be copied fails the
// command. Statuses and messages:
//   IDE busy                                          40965 / 5025
//   no such project (or no workspace)                 5036 / 5036
//   copy: a file cannot be copied (the copy exists)   5023 / 5023
//   rename: the new name is not valid                 5089 / 5089
//   rename: another project has the new output name   0x40031105 / 5034
//   rename: a file cannot be copied                   5076 / 5076
//   the project's changes cannot be saved first       0x40031131 / 5082
//   the workspace settings cannot be saved            4438 / 5133
#pragma once

#include <string>
#include <string_view>

#include "projects/command.h"

namespace zelvan {

class Project;

class CommandCopyProject : public Command {
 public:
  using Command::Command;
  // `project`: output name or project file base name.
  bool Execute(std::string_view project);
  // The copy's project file (after success).
  const std::string& NewProjectFile() const { return new_project_file_; }

 private:
  std::string new_project_file_;
};

class CommandRenameProject : public Command {
 public:
  using Command::Command;
  // Renaming to the project's own base name succeeds and changes nothing.
  bool Execute(std::string_view project, std::string_view new_name);
  const std::string& NewProjectFile() const { return new_project_file_; }

 private:
  // Puts the old project back in the place of the renamed one.
  void Undo(Project* renamed, const std::string& old_file, const std::string& old_output);

  std::string new_project_file_;
};

// The same as functions of the workspace.
Status CopyProject(Workspace& workspace, ProjectServices& services, std::string_view project,
                   std::string* new_project_file = nullptr);
Status RenameProject(Workspace& workspace, ProjectServices& services, std::string_view project,
                     std::string_view new_name, std::string* new_project_file = nullptr);

}  // namespace zelvan

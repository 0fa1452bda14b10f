// What the project commands (new, copy, rename) need from the layers above
// the model: the IDE's busy state and notifications, the service's check of
// a typed file name, and the host's own record of the workspace. The
// service component implements it over its IDE connection, with the IDE or
// the headless host (over its workspace file) keeping the record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

// The IDE command that says a project was created from a template.
inline constexpr int kCommandProjectCreated = 12804;

class ProjectServices {
 public:
  virtual ~ProjectServices() = default;

  // Set while the IDE reports a running build: new, copy and rename refuse.
  virtual bool IsBusy() = 0;
  // The check of a file or folder name the user typed (drive left out).
  virtual bool IsValidFileName(std::string_view path) = 0;
  // Sends an IDE command (the application's member 10, empty argument).
  virtual void SendIdeCommand(int command) = 0;
  // A warning beep before a question or a failure shown to the user.
  virtual void Beep() {}

  // --- The host's record of the workspace, beside what the workspace
  // keeps through IdeServices.

  // Names `new_project_file` in the place of `old_project_file` in the
  // host's list of projects (and as the active project, when the old one
  // was). False, with the reason in `error`, when the record cannot be written.
  virtual bool ReplaceWorkspaceProject(std::string_view old_project_file,
                                       std::string_view new_project_file, std::string* error) = 0;
  // Takes a project out of the host's list again: a new project whose
  // creation failed after it was added. False when the record cannot be written.
  virtual bool RemoveWorkspaceProject(std::string_view project_file, std::string* error) = 0;
  // The files that hold the host's record of the workspace (its list of
  // projects, its settings). An operation that fails puts them back byte
  // for byte; empty when the host keeps the record elsewhere.
  virtual std::vector<std::string> WorkspaceStateFiles() = 0;
};

}  // namespace zelvan

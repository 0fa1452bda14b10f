// What the project commands (MethodNewProject, CommandCopyProject,
// CommandRenameProject) share: the workspace they change, the services
// above the model, failure reporting and the workspace-state step.
//
// A command that fails returns its status code and message in its Status
// (model/operation_status.h) and reports nothing itself but the message box
// of an interactive command: the caller makes it the workspace's status and
// reports that to the IDE (IdeServices::ReportError), as every Service
// method does with a failed operation's status.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "platform/status.h"

namespace zelvan {

class Project;
class Workspace;
class FileTransaction;
class ProjectServices;

// The failure of a command, under `code` with its message; with
// `interactive`, also beeps and shows the message in a message box.
Status CommandFailure(Workspace& workspace, ProjectServices& services, bool interactive,
                      uint32_t code, unsigned message_id,
                      std::initializer_list<std::string_view> args = {});

class Command {
 public:
  // Both must outlive the command.
  Command(Workspace& workspace, ProjectServices& services)
      : workspace_(workspace), services_(services) {}
  virtual ~Command() = default;
  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

 public:
  // Why the command failed (when it did).
  const Status& failure() const { return failure_; }
  // The outcome of a command that returned `done`: ok, or its failure.
  Status Outcome(bool done) const;

 protected:
  // Forgets an earlier failure; while the IDE builds, fails with 40965 / 5025.
  bool Begin();
  // Keep the failure (CommandFailure) and return false.
  bool Fail(uint32_t code, unsigned message_id, std::initializer_list<std::string_view> args = {});
  bool Fail(Status failure);
  // The workspace-state step: the current target and the link lists go to
  // the IDE's workspace settings. False when they could not be written.
  bool SaveWorkspaceState();
  // Saves the pending changes of a project whose files are about to be
  // copied, so the copy has them. False, with the failure kept, when they
  // cannot be saved.
  bool SaveProjectFirst(Project& project);
  // Has `files` put back the host's workspace record and the workspace
  // options, should the command fail; once the record changed, the
  // command's files stay even if it is killed (FileTransaction::DoneWhenChanged).
  void ProtectWorkspaceState(FileTransaction& files);

  Workspace& workspace_;
  ProjectServices& services_;
  bool interactive_ = false;
  Status failure_;
};

}  // namespace zelvan

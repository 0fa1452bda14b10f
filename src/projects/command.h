// What the project commands (MethodNewProject, CommandCopyProject,
// CommandRenameProject) share: the workspace they change, the services
// above the model, failure reporting and the workspace-state step.
//
// A command that fails leaves its status code and message on the workspace
// (GetLastStatus, GetLastMessage) and reports nothing itself: the caller
// reports them to the IDE (IdeServices::ReportError), as every Service
// method does with a failed operation's status.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace zelvan {

class Project;
class Workspace;
class FileTransaction;
class ProjectServices;

// Stores a failure as the workspace's status and message; with
// `interactive`, also beeps and shows the message in a message box. Always false.
bool ReportCommandFailure(Workspace& workspace, ProjectServices& services, bool interactive,
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

 protected:
  // Clears the status; while the IDE builds, fails with 40965 / 5025.
  bool Begin();
  bool Fail(uint32_t code, unsigned message_id, std::initializer_list<std::string_view> args = {});
  // The workspace-state step: the current target and the link lists go to
  // the IDE's workspace settings. False when they could not be written.
  bool SaveWorkspaceState();
  // Saves the pending changes of a project whose files are about to be
  // copied, so the copy has them. False, with the status set, when they
  // cannot be saved.
  bool SaveProjectFirst(Project& project);
  // Has `files` put back the host's workspace record and the workspace
  // options, should the command fail; once the record changed, the
  // command's files stay even if it is killed (FileTransaction::DoneWhenChanged).
  void ProtectWorkspaceState(FileTransaction& files);

  Workspace& workspace_;
  ProjectServices& services_;
  bool interactive_ = false;
};

}  // namespace zelvan

#include "projects/command.h"

#include <string>

#include "model/status_codes.h"
#include "model/workspace.h"
#include "platform/ui_hooks.h"
#include "projects/file_transaction.h"
#include "projects/project_services.h"

namespace zelvan {

bool ReportCommandFailure(Workspace& workspace, ProjectServices& services, bool interactive,
                          uint32_t code, unsigned message_id,
                          std::initializer_list<std::string_view> args) {
  workspace.SetStatus(code, message_id, args);
  if (interactive) {
    services.Beep();
    workspace.ide().ShowMessage(kMessageCaption, workspace.GetLastMessage(), kMbOk | kMbIconWarning,
                                message_id);
  }
  return false;
}

bool Command::Begin() {
  workspace_.ClearStatus();
  if (services_.IsBusy()) return Fail(kStatusIdeBusy, kMsgIdeBusy);
  return true;
}

bool Command::Fail(uint32_t code, unsigned message_id,
                   std::initializer_list<std::string_view> args) {
  return ReportCommandFailure(workspace_, services_, interactive_, code, message_id, args);
}

bool Command::SaveWorkspaceState() {
  workspace_.SaveTargetSetting();
  return workspace_.SaveLinkLists();
}

bool Command::SaveProjectFirst(Project& project) {
  if (project.store().IsModified() && !project.Save()) {
    return Fail(kStatusProjectsNotSaved, kMsgSaveFailed, {project.paths().project_file});
  }
  return true;
}

void Command::ProtectWorkspaceState(FileTransaction& files) {
  for (const std::string& file : services_.WorkspaceStateFiles()) {
    files.Protect(file);
    files.DoneWhenChanged(file);
  }
  if (!workspace_.WorkspaceOptionsPath().empty()) files.Protect(workspace_.WorkspaceOptionsPath());
}

}  // namespace zelvan

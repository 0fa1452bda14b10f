#include "projects/command.h"

#include <string>
#include <utility>
#include <vector>

#include "model/message_texts.h"
#include "model/operation_status.h"
#include "model/workspace.h"
#include "platform/ui_hooks.h"
#include "projects/file_transaction.h"
#include "projects/project_services.h"

namespace zelvan {

Status CommandFailure(Workspace& workspace, ProjectServices& services, bool interactive,
                      uint32_t code, unsigned message_id,
                      std::initializer_list<std::string_view> args) {
  if (interactive) {
    services.Beep();
    workspace.ide().ShowMessage(kMessageCaption,
                                LoadMessage(*workspace.platform().ui, message_id, args),
                                kMbOk | kMbIconWarning, message_id);
  }
  return OperationFailure(code, message_id, std::vector<std::string>(args.begin(), args.end()));
}

Status Command::Outcome(bool done) const {
  if (done) return Status::OK();
  // A step that failed with the workspace's status set by the model has no code of its own.
  return failure_.ok() ? Status::Invalid("the command failed") : failure_;
}

bool Command::Begin() {
  failure_ = Status::OK();
  if (services_.IsBusy()) return Fail(kStatusIdeBusy, kMsgIdeBusy);
  return true;
}

bool Command::Fail(uint32_t code, unsigned message_id,
                   std::initializer_list<std::string_view> args) {
  return Fail(CommandFailure(workspace_, services_, interactive_, code, message_id, args));
}

bool Command::Fail(Status failure) {
  failure_ = std::move(failure);
  return false;
}

bool Command::SaveWorkspaceState() {
  workspace_.document().SaveTargetSetting();
  return workspace_.document().SaveLinkLists();
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
  if (!workspace_.document().OptionsPath().empty())
    files.Protect(workspace_.document().OptionsPath());
}

}  // namespace zelvan

#include "service/report_status.h"

#include <string>
#include <vector>

#include "model/message_texts.h"
#include "model/status_codes.h"
#include "model/workspace.h"

namespace zelvan {

bool ReportStatus(Workspace& workspace, const Status& status) {
  if (status.code() == 0) return status.ok();
  std::string message =
      LoadMessage(*workspace.platform().ui, status.message_id(), status.arguments());
  // A working copy that cannot be made tells the OS's reason after the message.
  if (status.code() == kStatusWorkingCopyFailed && !status.ToString().empty()) {
    message += " (" + status.ToString() + ")";
  }
  workspace.SetStatusMessage(status.code(), std::move(message));
  return false;
}

bool BeginOperation(Workspace& workspace, std::initializer_list<ArgText> args) {
  workspace.ClearStatus();
  return ReportStatus(workspace, CheckOperation(workspace, args));
}

}  // namespace zelvan

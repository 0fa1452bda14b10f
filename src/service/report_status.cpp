#include "service/report_status.h"

#include <string>
#include <vector>

#include "model/status_codes.h"
#include "model/workspace.h"

namespace zelvan {

bool ReportStatus(Workspace& workspace, const Status& status) {
  if (status.code() == 0) return status.ok();
  // The workspace takes the arguments as a list written out; no message has
  // more than three.
  const std::vector<std::string>& a = status.arguments();
  switch (a.size()) {
    case 0:
      workspace.SetStatus(status.code(), status.message_id());
      break;
    case 1:
      workspace.SetStatus(status.code(), status.message_id(), {a[0]});
      break;
    case 2:
      workspace.SetStatus(status.code(), status.message_id(), {a[0], a[1]});
      break;
    default:
      workspace.SetStatus(status.code(), status.message_id(), {a[0], a[1], a[2]});
      break;
  }
  // A working copy that cannot be made tells the OS's reason after the message.
  if (status.code() == kStatusWorkingCopyFailed && !status.ToString().empty()) {
    workspace.AppendToLastMessage(" (" + status.ToString() + ")");
  }
  return false;
}

bool BeginOperation(Workspace& workspace, std::initializer_list<ArgText> args) {
  workspace.ClearStatus();
  return ReportStatus(workspace, CheckOperation(workspace, args));
}

}  // namespace zelvan

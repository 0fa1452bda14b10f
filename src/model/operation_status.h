// Failures of workspace operations as Status values.
//
// The workspace's operations and the layers above the model (makefiles,
// link maps, the scanner, the dependency engine, the project commands)
// return a Status that carries the code and message (status_codes.h) a
// failure is reported under, its arguments and, where the OS refused, the
// OS's reason. Only the component
// and the command line make it the workspace's last status (ReportStatus in
// the service), so the layers below need the workspace for its projects,
// not for reporting. A failure without a code (a stop, say) has nothing to
// report: the last status stays as the operation's start left it, cleared.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "model/status_codes.h"
#include "model/workspace.h"
#include "platform/status.h"

namespace zelvan {

// A failure reported under `code` with the message `message_id`, formatted
// with `arguments`.
inline Status OperationFailure(uint32_t code, unsigned message_id,
                               std::vector<std::string> arguments = {}) {
  Status failure = Status::Invalid("");
  failure.SetMessage(code, message_id, std::move(arguments));
  return failure;
}

// `cause` (a failed write, say), reported under `code` and `message_id`.
inline Status OperationFailure(Status cause, uint32_t code, unsigned message_id,
                               std::vector<std::string> arguments = {}) {
  cause.SetMessage(code, message_id, std::move(arguments));
  return cause;
}

// The checks every operation on the open workspace begins with (the
// component's BeginOperation reports them), the workspace left as it is:
// without an open workspace kStatusNoWorkspace, for an argument that is no
// text kStatusBadArgument.
inline Status CheckOperation(const Workspace& workspace, std::initializer_list<ArgText> args) {
  if (!workspace.document().IsOpen()) return OperationFailure(kStatusNoWorkspace, kMsgNoWorkspace);
  for (const ArgText& arg : args) {
    if (!arg) return OperationFailure(kStatusBadArgument, kMsgBadArgument);
  }
  return Status::OK();
}

}  // namespace zelvan

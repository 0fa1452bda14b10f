// The edge where an operation's Status becomes what the IDE and the command
// line read: the workspace's last status and message (GetLastStatus,
// GetLastMessage), and from them the HRESULT and the message text.
#pragma once

#include <initializer_list>

#include "model/operation_status.h"
#include "platform/status.h"

namespace zelvan {

class Workspace;

// Makes a failure the workspace's last status: its code and message,
// formatted with its arguments. An ok Status, or a failure without a code,
// leaves the status as it is: the caller clears it when its own operation
// begins, as every component method does. True when `status` is ok, so a
// call site stays `if (!ReportStatus(workspace, Operation(...))) ...`.
bool ReportStatus(Workspace& workspace, const Status& status);

// How a component method begins: the last status cleared, then the checks
// of CheckOperation (an open workspace, arguments that are text), a failure
// reported. True when the method may go on.
bool BeginOperation(Workspace& workspace, std::initializer_list<ArgText> args);

}  // namespace zelvan

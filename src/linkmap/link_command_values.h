// The workspace's questions about symbol values in link command files, as
// the IDE asks them through the service.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/workspace.h"
#include "platform/status.h"

namespace zelvan {

// The numeric value of a first-level assignment inside SECTIONS of the link
// command file of a target. An empty project name means the current
// project, an empty target the current target (or, when the project lacks
// it, the project's own). Fails, with the code and message to report (see
// operation_status.h), without an
// open workspace, for an unknown project or target, a target without link
// command file, an unreadable file, and a symbol that is not assigned a
// number within 0..0xFFFFFFFF.
Status GetSectionsValue(Workspace& workspace, ArgText project, ArgText target, ArgText symbol,
                        uint32_t* value);

// The numeric value of an assignment outside SECTIONS in the link command
// file at `lcf_path` (full, or relative to the current directory). Needs no
// open workspace; fails like GetSectionsValue.
Status GetOuterValue(Workspace& workspace, ArgText lcf_path, ArgText symbol, uint32_t* value);

}  // namespace zelvan

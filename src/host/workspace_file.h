// The workspace file (.kws) of the headless host: which projects a
// workspace holds, in order, and which of them is active. A profile file:
//
//   ; Zelvan workspace
//   [Workspace]
//   Format=1                       this layout; a higher number is refused
//   Active=Motor\Motor.kbp         the active project (empty or missing: none)
//   [Projects]
//   Count=3                        number of numbered entries
//   Project0=MathLib\MathLib.kbp   project files in workspace order, relative
//   Project1=Motor\Motor.kbp       to the workspace directory (or full paths)
//   Project2=Sensor\Sensor.kbp
//
// Entries that are empty or missing below Count are skipped. Writing keeps
// every other line of the file as it was (comments, keys of other tools).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

inline constexpr int kWorkspaceFileFormat = 1;

struct WorkspaceFile {
  std::vector<std::string> projects;  // as written in the file
  std::string active;                 // as written in the file
};

// False, with a reason in `error`, for a text that is no workspace file of
// a format this program reads.
bool ParseWorkspaceFile(std::string_view text, WorkspaceFile* workspace, std::string* error);

// `old_text` (empty for a new file) with the projects and the active project
// of `workspace` written into it. False, with a reason in `error`, for a
// path that a profile line cannot hold (CR or LF).
bool UpdateWorkspaceFileText(std::string_view old_text, const WorkspaceFile& workspace,
                             std::string* text, std::string* error);

}  // namespace zelvan

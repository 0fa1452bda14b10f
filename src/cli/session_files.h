// What every session of the command line does with the files of the
// workspace it opens, whether it reaches the workspace directly
// (WorkspaceSession) or through the component (ComponentSession).
#pragma once

#include <ostream>
#include <set>
#include <string>

#include "cli/cli_command.h"
#include "platform/ansi_text.h"

namespace zelvan {
class FileSystem;
class HeadlessHost;
struct Platform;
}  // namespace zelvan

namespace zelvan::cli {

// The workspace a command opens: the one of -w/--workspace (a .kws file, or
// a .kbp project alone), else the one .kws file of the current directory.
// False after printing why.
bool ChooseWorkspacePath(FileSystem& fs, const GlobalOptions& options, std::ostream& err,
                         std::string* path);

// The project files a workspace file lists, full paths, sorted: every
// command locks them in this one order, so two commands on workspaces that
// share projects never wait for each other in a circle.
std::set<std::string, NoCaseLess> WorkspaceProjectFiles(HeadlessHost& host, FileSystem& fs,
                                                        const std::string& workspace_path);

// Removes what killed commands left beside the workspace file and its
// project files, and in their working-copy folders.
void RemoveDeadTemporariesOf(const Platform& platform, const std::string& workspace_path,
                             const std::set<std::string, NoCaseLess>& project_files);

// Writes what the profile cache holds, then tells each write of the file
// system that failed ("zelvan: not written: ..."); the command then fails
// (FinalExitStatus).
void ReportUnwrittenFiles(Platform& platform, std::ostream& err);

// The command fails at its end: a file it had to write was not written.
void NoteUnwrittenFiles();

}  // namespace zelvan::cli

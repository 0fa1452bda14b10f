// What the command line's session (session.h) does with the files of the
// workspace it opens, and how it tells the user, whether a command reaches
// the workspace directly or through the component's Service object.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_command.h"
#include "host/host_path_text.h"
#include "host/terminal_progress.h"
#include "platform/ansi_text.h"

namespace zelvan {
class FileSystem;
class HeadlessHost;
class WriteLocks;
struct Platform;
}  // namespace zelvan

namespace zelvan::cli {

// The system path of a host path given on the command line, made full. A
// relative path needs the current directory: when the host cannot tell it,
// this prints why (once) and the command fails at its end (FinalExitStatus);
// the path returned then stays relative and names no file, so nothing is
// read or written in its stead.
std::string CommandLinePath(FileSystem& fs, std::string_view host_path, std::ostream& err);

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

// Locks a file the command will write (WriteLocks::Lock). False after
// printing why.
bool LockForCommand(WriteLocks& locks, std::string_view path, std::ostream& err);

// Locks the workspace file, has the host read it under that lock (so it is
// the latest one), then locks the project files it lists. False after
// printing why.
bool LockWorkspaceFiles(HeadlessHost& host, FileSystem& fs, WriteLocks& locks,
                        const std::string& workspace_path, std::ostream& err);

// Locks a project file that a command opens alone and makes it the host's
// workspace. False after printing why (also when the file does not exist).
bool LockSingleProject(HeadlessHost& host, FileSystem& fs, WriteLocks& locks,
                       const std::string& project_path, std::ostream& err);

// Removes what killed commands left beside the workspace file and its
// project files, and in their working-copy folders.
void RemoveDeadTemporariesOf(const Platform& platform, const std::string& workspace_path,
                             const std::set<std::string, NoCaseLess>& project_files);

// Writes what the profile cache holds, then tells each write of the file
// system that failed ("zelvan: not written: ..."), but for the first `told`
// ones, which were told already; the command then fails (FinalExitStatus).
void ReportUnwrittenFiles(Platform& platform, std::ostream& err, size_t told = 0);

// The progress display of a refresh a command asks for: a bar on a
// terminal, plain lines elsewhere, nothing with --quiet.
std::unique_ptr<TerminalProgress> MakeCommandProgress(const GlobalOptions& options);

// Prints why an operation failed: a non-zero `status` with its `message`,
// followed by what it concerns when `subject` is given; else the host's
// last error; else that the operation failed. Returns kExitFailed.
// The system's message keeps its words; the full paths in it are given in
// host form through `fs` (when there is one).
int PrintFailure(std::ostream& err, FileSystem* fs, uint32_t status, std::string_view message,
                 std::string_view host_error, std::string_view subject);

// What a "not one of the project's targets" failure concerns: the target
// asked for and those the project has ("Nightly; targets: Debug, Release").
std::string TargetsSubject(std::string_view asked, const std::vector<std::string>& targets);

// The command fails at its end: a file it had to write was not written.
void NoteUnwrittenFiles();

// Prints that the command could not do its work, `consequence`, because
// the workspace could not read the project files `unread` (host paths; the
// workspace said why as it opened). Returns kExitFailed.
int FailedForUnread(std::ostream& err, std::string_view consequence,
                    const std::vector<std::string>& unread);

// What the session tells the user in the same words, whichever way a
// command reaches the workspace (directly or through the Service object):
// which projects could not be read and how the workspace's status is printed.
class SessionReports {
 public:
  // The project files of the workspace that it could not read (host paths).
  virtual std::vector<std::string> UnreadProjects() = 0;
  // Prints the workspace's status and message, followed by what it
  // concerns when `subject` is given; returns kExitFailed.
  virtual int FailedWith(std::string_view subject) = 0;
  virtual FileSystem& fs() = 0;

  int Failed() { return FailedWith(""); }
  // Prints `message`; returns kExitFailed.
  int Failed(std::string_view message);
  // For a command whose work takes every project: false after printing
  // `consequence` when the workspace could not read some.
  bool AllProjectsRead(std::string_view consequence);
  // A host path from the command line as a full system path.
  std::string SystemPath(std::string_view host_path);

 protected:
  explicit SessionReports(std::ostream& err) : err_(err) {}
  ~SessionReports() = default;
  // Prints that the workspace has no active project, or that it could not
  // read it (`active_file`, a system path, empty for none); kExitFailed.
  int ReportNoActiveProject(const std::string& active_file);

  std::ostream& err_;
};

}  // namespace zelvan::cli

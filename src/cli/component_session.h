// One command's run through the component, the way the IDE runs the
// service: the headless host with its IDE objects, the component module
// loaded through the registry (or from beside this program) and connected
// with the host's application object, and the workspace opened through the
// Service object. The command then calls the Service and Project objects'
// methods and prints what they return. Destroying the session closes the
// workspace (so no working copy outlives a command) and lets the module go.
//
// The session keeps the command line's care for the user's files, as
// WorkspaceSession does: it locks the workspace file and its project files
// (WriteLocks) before the module opens them and until it has closed them,
// removes what killed commands left (RemoveDeadTemporariesOf), and fails
// the command when a file was not written, by the host (workspace file,
// settings file) or by the module, which reports each such file to the
// IDE as an error (kStatusFileNotWritten). The module reads its platform
// from this process's environment, with Ctrl-C as a stop request of its
// long operations, and is asked to leave the include dependencies alone
// on opening when the command refreshes them itself.
#pragma once

#include <deque>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_command.h"
#include "cli/component_host.h"
#include "cli/session_files.h"
#include "com/com_ptr.h"
#include "com/variant.h"
#include "com/variant_args.h"
#include "host/terminal_progress.h"
#include "host/write_locks.h"
#include "service/component_interfaces.h"

namespace zelvan::cli {

class ComponentSession : public SessionReports {
 public:
  explicit ComponentSession(const GlobalOptions& options);
  ~ComponentSession();
  ComponentSession(const ComponentSession&) = delete;
  ComponentSession& operator=(const ComponentSession&) = delete;

  // Before Start: whether opening brings the dependency data up to date
  // (it always reads the dependency files).
  void SetRefreshDependenciesOnOpen(bool refresh) { refresh_on_open_ = refresh; }
  // Before Start: the command only reads, and writes no file of its own
  // (dependency files neither refreshed nor written).
  void SetReadOnly() {
    read_only_ = true;
    refresh_on_open_ = false;
  }

  // Loads the module, makes its objects and connects it. False after
  // printing why.
  bool Start();
  // Start, then opens the workspace of -w/--workspace, else the one .kws
  // file of the current directory. False after printing why.
  bool Open();
  // Opens the workspace file `workspace_path` (a system path).
  bool OpenWorkspaceFile(const std::string& workspace_path);
  // Adds the project file named on the command line to the open workspace,
  // locked like the others. False after printing why.
  bool AddProject(const std::string& host_path);

  // Closes the workspace (CloseWorkspace) before the session ends; the
  // destructor does it otherwise.
  void Close();

  IService& service() { return *service_.Get(); }
  IProject& project_object() { return *project_.Get(); }
  HeadlessHost& host() { return component_.host(); }
  Platform& platform() { return component_.platform(); }
  FileSystem& fs() override;

  // The progress of a refresh the command asks for (see WorkspaceSession),
  // and a progress window over it to hand to the refresh (VT_UNKNOWN; the
  // session keeps the window).
  DependencyProgress& CommandProgress();
  VARIANT ProgressWindow();

  // The workspace's status and message (GetLastStatus, GetLastMessage).
  uint32_t LastStatus();
  std::string LastMessage();

  std::vector<std::string> UnreadProjects() override;
  // For a command whose work takes the projects that `project` (empty: the
  // active one) links: false after printing `consequence` when one of them
  // is not in the workspace while some projects could not be read.
  bool LinkedProjectsRead(const std::string& project, std::string_view consequence);

  // Prints that the workspace has no active project, or that it could not
  // read it; returns kExitFailed.
  int NoActiveProject();

  // Saves the workspace (SaveWorkspace); the exit status of the command.
  int Save();
  int FailedWith(std::string_view subject) override;
  // Prints a status that a check of the command's own found, as the
  // workspace's would be printed; returns kExitFailed.
  int FailedWithStatus(uint32_t status, unsigned message_id, std::string_view subject = {});

 private:
  bool LockFile(std::string_view path);
  bool OpenThroughService();

  const GlobalOptions& options_;
  bool refresh_on_open_ = true;
  bool read_only_ = false;
  // Built in this order, let go in the reverse one: the objects before the
  // module, the module before the host.
  ComponentHost component_;
  std::unique_ptr<WriteLocks> locks_;
  ComPtr<IConnect> connect_;
  ComPtr<IService> service_;
  ComPtr<IProject> project_;
  bool opened_ = false;
  std::unique_ptr<TerminalProgress> command_progress_;
  ComPtr<IUnknown> progress_window_;
};

}  // namespace zelvan::cli

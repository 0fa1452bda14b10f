// One command's run on a workspace: the platform, the headless host, the
// service settings and the workspace, built in this order and torn down in
// the reverse one. Destroying the session closes the workspace, so no
// working copy outlives a command, whatever way it ends.
//
// Opening locks the workspace file and its project files (WriteLocks) for
// the whole command, and removes what killed commands left in their
// directories and in the working-copy folder (RemoveDeadTemporaries).
// Every write that failed, even one no operation reported, makes the
// command fail (FinalExitStatus of cli_command.h).
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_command.h"
#include "cli/session_files.h"
#include "com/com_ptr.h"
#include "dependencies/dependency_updater.h"
#include "host/headless_host.h"
#include "host/host_ide_objects.h"
#include "host/terminal_progress.h"
#include "host/write_locks.h"
#include "model/service_settings.h"
#include "model/workspace.h"
#include "platform/host_platform.h"
#include "platform/interrupt_stop.h"
#include "service/ide_bridge.h"
#include "service/ide_connection.h"
#include "service/service_hooks.h"
#include "toolchain/cpu_table.h"
#include "toolchain/installation.h"

namespace zelvan::cli {

class WorkspaceSession : public SessionReports {
 public:
  explicit WorkspaceSession(const GlobalOptions& options);
  ~WorkspaceSession();
  WorkspaceSession(const WorkspaceSession&) = delete;
  WorkspaceSession& operator=(const WorkspaceSession&) = delete;

  // Builds the platform and the host without opening anything.
  void Start();
  // Start, then opens the workspace of -w/--workspace (a .kws file, or a
  // .kbp project alone), else the one .kws file of the current directory.
  // False after printing why.
  bool Open();
  // Opens the workspace file `workspace_path` (a system path).
  bool OpenWorkspaceFile(const std::string& workspace_path);
  // Adds the project file named on the command line to the open workspace,
  // locked like the others. False after printing why.
  bool AddProject(const std::string& host_path);
  // Locks a file the command will write (see WriteLocks). False after
  // printing why.
  bool LockFile(std::string_view path);
  // Before Open: takes the build lock of the workspace Open would open
  // ("Example.kws.build.lock" beside it), held until the session ends,
  // so that two builds or cleans of one workspace take turns while other
  // commands still use it; waits as WriteLocks does. False after printing
  // why, or silently when a stop was requested meanwhile.
  bool LockBuild();
  // Closes the workspace early, telling the files that were not written,
  // and releases its locks (not the build lock). The session keeps its
  // name: a stop request still reaches it (IsStopRequested).
  void CloseWorkspace();
  // Whether Ctrl-C or `zelvan stop` asked this session to stop.
  bool IsStopRequested() { return workspace_->IsStopRequested(); }

  // Before Open: whether opening brings the dependency data up to date
  // (it always reads the dependency files). Commands that refresh on their
  // own, or show what is stored, turn it off.
  void SetRefreshDependenciesOnOpen(bool refresh);
  // Before Open: the command only reads, and writes no file of its own:
  // the dependency files are read, not refreshed on opening (a later
  // SetRefreshDependenciesOnOpen may ask for that), and never written.
  void SetReadOnly();

  Workspace& workspace() { return *workspace_; }
  DependencyUpdater& dependencies() { return *dependencies_; }
  // The CPU families of the installation (empty without one).
  const CpuTable& cpus() const { return *cpus_; }
  // The progress display of a refresh the command asks for: a bar on a
  // terminal, plain lines elsewhere, nothing with --quiet.
  DependencyProgress& CommandProgress();
  HeadlessHost& host() { return host_; }
  // The toolchain installation, its CPU families and the IDE connection (after Start).
  Installation& util() { return *util_; }
  CpuTable& cpus() { return *cpus_; }
  IdeConnection& connection() { return *connection_; }
  Platform& platform() { return host_platform_->platform(); }
  FileSystem& fs() override { return *platform().fs; }

  // The project a command names: output name, output name without its
  // extension, or project file base name. Prints and returns null when none.
  Project* FindProject(std::string_view name);
  // The project a command names, or the active one when it names none.
  // Prints and returns null when there is none.
  Project* FindProjectOrActive(std::string_view name);
  // The projects named, each as FindProject finds it, or every project of
  // the workspace when `names` is empty. Prints and returns false when a
  // name finds none.
  bool FindProjects(const std::vector<std::string>& names, std::vector<Project*>* projects);

  std::vector<std::string> UnreadProjects() override;
  // For a command whose work takes the projects `project` links: false
  // after printing `consequence` when one of them is not in the workspace
  // while some projects could not be read (it may be one of those).
  bool LinkedProjectsRead(Project& project, std::string_view consequence);

  // Saves the workspace; the exit status of the command.
  int Save();
  int FailedWith(std::string_view subject) override;

 private:
  // Start; false after printing why a workspace cannot be opened.
  bool StartForOpening();
  // Removes the temporaries of killed commands beside the workspace's files.
  void RemoveDeadTemporaries();
  const GlobalOptions& options_;
  // Why the session cannot open a workspace ("zelvan: ...\n"), from Start.
  std::string start_error_;
  HeadlessHost host_;
  std::unique_ptr<HostPlatform> host_platform_;
  std::unique_ptr<WriteLocks> locks_;
  std::unique_ptr<FileLock> build_lock_;
  bool closed_ = false;
  std::unique_ptr<ServiceSettings> settings_;
  // The host's IDE objects, and the service's connection to them that the
  // workspace reaches the host through, as it reaches a real IDE.
  ComPtr<HostApplication> application_;
  std::unique_ptr<IdeConnection> connection_;
  std::unique_ptr<IdeBridge> bridge_;
  // Ctrl-C as the workspace's stop request.
  std::unique_ptr<InterruptibleSystemServices> interruptible_;
  // The toolchain (include directories of each CPU) and the service's
  // parts above the model.
  std::unique_ptr<Installation> util_;
  std::unique_ptr<CpuTable> cpus_;
  std::unique_ptr<DependencyUpdater> dependencies_;
  std::unique_ptr<ServiceHooks> hooks_;
  std::unique_ptr<TerminalProgress> open_progress_;
  std::unique_ptr<TerminalProgress> command_progress_;
  std::unique_ptr<Workspace> workspace_;
};

}  // namespace zelvan::cli

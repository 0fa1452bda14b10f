// One command's run on a workspace, whatever the command does with it: the
// platform, the headless host, the service's process-wide objects (service
// settings, CPU table, dependency updater, connection to the host's IDE
// objects and the workspace) and the component's Service and Project
// objects over them, built in this order and torn down in the reverse one.
// Destroying the session closes the workspace, so no working copy outlives
// a command, whatever way it ends.
//
// Why one session holds both: a command reads the workspace directly
// (makefile text, checks, file lists) or calls the component's methods as
// the IDE does, and often both. The service layer is linked into this
// program, so the session builds the component's module in process, on the
// session's own platform, and that module's workspace is the one workspace
// of the command: it is opened once, its files locked once, and what the
// Service object does is seen by the workspace and the other way round.
// Loading the component module as a shared library instead would give the
// module a workspace of its own, behind the module boundary: the same files
// opened and locked twice in one process. Commands that must go through the
// real module (`zelvan call`, `register`, `unregister`) load it with
// ComponentHost, which is a tool of its own and not a session.
//
// Built in process, the module runs as the loaded one did: the same
// options (include chains, refresh on opening, read only), Ctrl-C as a
// stop request, its resource language looked up under the module's name.
// The session saves and closes through the Service object, as the IDE
// does, so the service tells the host of each file it could not write
// (kStatusFileNotWritten); what fails after that is told by the session.
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
#include "com/variant.h"
#include "com/variant_args.h"
#include "dependencies/dependency_updater.h"
#include "host/headless_host.h"
#include "host/host_ide_objects.h"
#include "host/terminal_progress.h"
#include "host/write_locks.h"
#include "model/workspace.h"
#include "platform/host_platform.h"
#include "platform/interrupt_stop.h"
#include "service/component_interfaces.h"
#include "service/component_module.h"
#include "service/ide_connection.h"
#include "toolchain/cpu_table.h"
#include "toolchain/installation.h"

namespace zelvan::cli {

class Session : public SessionReports {
 public:
  explicit Session(const GlobalOptions& options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Builds the platform, the host and the service without opening anything.
  void Start();
  // Start; false after printing why the environment cannot serve a
  // workspace (for commands that need none opened).
  bool StartForOpening();
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
  bool IsStopRequested() { return workspace().IsStopRequested(); }

  // Before Open: whether opening brings the dependency data up to date
  // (it always reads the dependency files). Commands that refresh on their
  // own, or show what is stored, turn it off.
  void SetRefreshDependenciesOnOpen(bool refresh);
  // Before Open: the command only reads, and writes no file of its own:
  // the dependency files are read, not refreshed on opening (a later
  // SetRefreshDependenciesOnOpen may ask for that), and never written.
  void SetReadOnly();

  Workspace& workspace() { return module_->workspace(); }
  DependencyUpdater& dependencies() { return module_->dependencies(); }
  // The toolchain installation and its CPU families (empty without one).
  Installation& util() { return module_->util(); }
  CpuTable& cpus() { return module_->cpus(); }
  MakeStateStore& make_states() { return module_->make_states(); }
  IdeConnection& connection() { return module_->connection(); }
  HeadlessHost& host() { return host_; }
  Platform& platform() { return host_platform_->platform(); }
  FileSystem& fs() override { return *platform().fs; }
  // The progress display of a refresh the command asks for: a bar on a
  // terminal, plain lines elsewhere, nothing with --quiet.
  DependencyProgress& CommandProgress();

  // The component's objects over the session's workspace, made on first use.
  IService& service();
  IProject& project_object();
  // A progress window over CommandProgress to hand to a method's refresh
  // (VT_UNKNOWN; the session keeps the window).
  VARIANT ProgressWindow();
  // The workspace's status and message, as the Service object answers them.
  uint32_t LastStatus();
  std::string LastMessage();

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
  // Prints that the workspace has no active project, or that it could not
  // read it; returns kExitFailed.
  int NoActiveProject();

  std::vector<std::string> UnreadProjects() override;
  // For a command whose work takes the projects `project` links: false
  // after printing `consequence` when one of them is not in the workspace
  // while some projects could not be read (it may be one of those). True
  // for no project (null).
  bool LinkedProjectsRead(const Project* project, std::string_view consequence);

  // Saves the workspace; the exit status of the command.
  int Save();
  int FailedWith(std::string_view subject) override;
  // Prints a status that a check of the command's own found, as the
  // workspace's would be printed; returns kExitFailed.
  int FailedWithStatus(uint32_t status, unsigned message_id, std::string_view subject = {});

 private:
  // Removes the temporaries of killed commands beside the workspace's files.
  void RemoveDeadTemporaries();
  const GlobalOptions& options_;
  // Why the session cannot open a workspace ("zelvan: ...\n"), from Start.
  std::string start_error_;
  HeadlessHost host_;
  std::unique_ptr<HostPlatform> host_platform_;
  // Ctrl-C as the workspace's stop request.
  std::unique_ptr<InterruptibleSystemServices> interruptible_;
  std::unique_ptr<WriteLocks> locks_;
  std::unique_ptr<FileLock> build_lock_;
  bool closed_ = false;
  // The host's IDE objects, which the service's connection reaches the
  // host through, as it reaches a real IDE.
  ComPtr<HostApplication> application_;
  std::unique_ptr<TerminalProgress> open_progress_;
  std::unique_ptr<TerminalProgress> command_progress_;
  std::unique_ptr<ComponentModule> module_;
  ComPtr<IService> service_;
  ComPtr<IProject> project_;
  ComPtr<IUnknown> progress_window_;
};

}  // namespace zelvan::cli

#include "cli/workspace_session.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <set>
#include <vector>

#include "cli/session_files.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/private_profile.h"
#include "platform/win_path.h"
#include "storage/project_files.h"
#include "toolchain/install_location.h"

namespace zelvan::cli {

namespace {

AnswerPolicy PolicyOf(const GlobalOptions& options) {
  if (options.answer_yes) return AnswerPolicy::kYes;
  if (options.answer_no) return AnswerPolicy::kNo;
  return AnswerPolicy::kSafe;
}

}  // namespace

WorkspaceSession::WorkspaceSession(const GlobalOptions& options)
    : SessionReports(std::cerr),
      options_(options),
      host_(PolicyOf(options), std::cerr, options.verbose && !options.quiet) {
  host_.SetSummarizeUnresolved(options.quiet && !options.verbose);
}

WorkspaceSession::~WorkspaceSession() {
  CloseWorkspace();
  workspace_.reset();
  locks_.reset();
  build_lock_.reset();
  hooks_.reset();
  dependencies_.reset();
  bridge_.reset();
  if (connection_) connection_->Disconnect();
  connection_.reset();
  application_ = nullptr;
  settings_.reset();
  cpus_.reset();
  util_.reset();
  host_platform_.reset();
}

void WorkspaceSession::Start() {
  if (host_platform_) return;
  host_platform_ = HostPlatform::Create(&host_);
  host_.Attach(platform());
  if (!HeadlessHost::PrepareEnvironment(*platform().system, fs(), &start_error_)) {
    start_error_ = "zelvan: " + start_error_ + "\n";
  }
  interruptible_ = std::make_unique<InterruptibleSystemServices>(*platform().system);
  platform().system = interruptible_.get();

  // The utility library and the CPU list come from the installation; without
  // one, dependencies are searched in the projects' own directories only.
  InstallLocation location;
  std::string error;
  locks_ = std::make_unique<WriteLocks>(fs(), err_, WriteLocks::TimeoutFrom(*platform().system));
  HostPlatform& host = *host_platform_;
  if (LocateInstallation(platform(), options_.install_dir, &location, &error) &&
      MapInstallationDrive(&location, [&host](char letter, const std::string& dir) {
        return host.MapDriveUnlessSet(letter, dir);
      })) {
    util_ = std::make_unique<Installation>(platform(), location.folder);
  } else {
    if (options_.verbose) err_ << "zelvan: warning: no installation: " << error << "\n";
    util_ = std::make_unique<Installation>(platform(), std::string());
  }
  settings_ = std::make_unique<ServiceSettings>(platform(), util_.get());
  cpus_ = std::make_unique<CpuTable>(platform(), *util_);
  dependencies_ = std::make_unique<DependencyUpdater>(*cpus_);
  dependencies_->SetIncludeChains(true);
  hooks_ = std::make_unique<ServiceHooks>(*dependencies_, util_.get(), cpus_.get());

  // Connecting loads the service settings and the CPU list, as the IDE's
  // connect does, then finds the host's workspace object.
  ConnectionHooks connection_hooks;
  connection_hooks.load_service_settings = [this] { settings_->LoadServiceSettings(); };
  bool has_installation = !location.folder.empty();
  connection_hooks.load_cpu_tools = [this, has_installation] {
    if (has_installation) cpus_->LoadCpuTools();
  };
  connection_hooks.update_dependencies = [this](std::string_view project) {
    hooks_->UpdateDependenciesRequested(project);
  };
  connection_ = std::make_unique<IdeConnection>(host_, std::move(connection_hooks));
  application_ = MakeComObject<HostApplication>(host_);
  if (connection_->Connect(application_.Get()) != S_OK) {
    err_ << "zelvan: warning: the host's IDE objects could not be connected\n";
  }
  bridge_ = std::make_unique<IdeBridge>(*connection_);

  // A refresh started by opening shows a bar on a terminal and nothing in
  // a log: every command opens a workspace.
  open_progress_ = std::make_unique<TerminalProgress>(
      std::cerr, !options_.quiet && StandardErrorIsTerminal() ? TerminalProgress::Style::kBar
                                                              : TerminalProgress::Style::kQuiet);
  dependencies_->SetDefaultProgress(open_progress_.get());

  workspace_ = std::make_unique<Workspace>(platform(), *settings_, *bridge_, hooks_.get());
  hooks_->SetWorkspace(workspace_.get());
  if (options_.verbose) {
    err_ << "zelvan: session " << workspace_->StopObjectName()
         << " (another shell stops it with: zelvan stop " << workspace_->StopObjectName() << ")\n";
  }
}

void WorkspaceSession::SetRefreshDependenciesOnOpen(bool refresh) {
  Start();
  dependencies_->SetRefreshOnOpen(refresh);
}

void WorkspaceSession::SetReadOnly() {
  Start();
  dependencies_->SetReadOnly(true);
  dependencies_->SetRefreshOnOpen(false);
}

DependencyProgress& WorkspaceSession::CommandProgress() {
  if (!command_progress_) command_progress_ = MakeCommandProgress(options_);
  return *command_progress_;
}

bool WorkspaceSession::StartForOpening() {
  Start();
  err_ << start_error_;
  return start_error_.empty();
}

bool WorkspaceSession::Open() {
  if (!StartForOpening()) return false;
  std::string path;
  if (!ChooseWorkspacePath(fs(), options_, err_, &path)) return false;
  if (EqualsNoCase(SplitPath(path).extension, ".kbp")) {
    if (!LockSingleProject(host_, fs(), *locks_, path, err_)) return false;
    if (!workspace_->document().Open(host_.WorkspacePath())) return Failed(), false;
    RemoveDeadTemporaries();
    return true;
  }
  return OpenWorkspaceFile(path);
}

bool WorkspaceSession::OpenWorkspaceFile(const std::string& workspace_path) {
  if (!StartForOpening()) return false;
  if (!LockWorkspaceFiles(host_, fs(), *locks_, workspace_path, err_)) return false;
  if (!workspace_->document().Open(workspace_path)) {
    Failed();
    return false;
  }
  RemoveDeadTemporaries();
  return true;
}

bool WorkspaceSession::AddProject(const std::string& host_path) {
  std::string path = SystemPath(host_path);
  std::string file;
  if (ChangeExtension(fs(), path, kProjectExtension, &file) && !LockFile(file)) return false;
  if (!workspace_->AddProject(path)) return FailedWith(host_path), false;
  ::zelvan::RemoveDeadTemporaries(fs(), GetFileDirectory(file));
  return true;
}

bool WorkspaceSession::LockFile(std::string_view path) {
  return LockForCommand(*locks_, path, err_);
}

bool WorkspaceSession::LockBuild() {
  Start();
  std::string path;
  if (!ChooseWorkspacePath(fs(), options_, err_, &path)) return false;
  // No lock file beside a workspace that is not there: Open tells why.
  if (!FileExists(fs(), path)) return true;
  std::string build = fs().ResolveLinks(path) + ".build";
  using std::chrono::milliseconds;
  auto deadline = std::chrono::steady_clock::now() + WriteLocks::TimeoutFrom(*platform().system);
  bool told = false;
  auto tell = [&] {
    if (!told) err_ << "zelvan: waiting for another zelvan on " << FileNamePart(build) << std::endl;
    told = true;
  };
  // Waited for in slices: Ctrl-C or `zelvan stop` ends the wait, as the
  // build it waits to start.
  while (true) {
    auto left =
        std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
    if (LockFileWaiting(fs(), build, std::clamp(left, milliseconds(0), milliseconds(100)), tell,
                        &build_lock_) != LockResult::kBusy) {
      return true;
    }
    if (IsStopRequested()) return false;
    if (std::chrono::steady_clock::now() >= deadline) {
      err_ << "zelvan: another zelvan is still working on " << fs().ToHostPath(build)
           << "; nothing was changed\n";
      return false;
    }
  }
}

void WorkspaceSession::CloseWorkspace() {
  if (closed_ || !host_platform_) return;
  closed_ = true;
  if (workspace_) workspace_->document().Close();
  // Closing wrote settings into the profile cache: they reach the disk
  // now, while a failure can still be told.
  ReportUnwrittenFiles(platform(), err_);
  if (locks_) locks_->ReleaseAll();
}

void WorkspaceSession::RemoveDeadTemporaries() {
  std::set<std::string, NoCaseLess> projects;
  for (const auto& project : workspace_->projects().All())
    projects.insert(project->paths().project_file);
  RemoveDeadTemporariesOf(platform(), workspace_->document().Path(), projects);
}

Project* WorkspaceSession::FindProject(std::string_view name) {
  Project* project = workspace_->projects().Find(name);
  if (project == nullptr) {
    std::string file;
    if (workspace_->projects().ResolveFile(name, &file))
      project = workspace_->projects().FindByFile(file);
  }
  if (project == nullptr) {
    workspace_->SetStatus(kStatusProjectNotFound, kMsgProjectNotFound);
    FailedWith(name);
  }
  return project;
}

Project* WorkspaceSession::FindProjectOrActive(std::string_view name) {
  if (!name.empty()) return FindProject(name);
  Project* project = workspace_->projects().FindByFile(workspace_->selection().ActiveProjectFile());
  if (project == nullptr) ReportNoActiveProject(workspace_->selection().ActiveProjectFile());
  return project;
}

bool WorkspaceSession::FindProjects(const std::vector<std::string>& names,
                                    std::vector<Project*>* projects) {
  for (const std::string& name : names) {
    Project* project = FindProject(name);
    if (project == nullptr) return false;
    projects->push_back(project);
  }
  if (names.empty()) {
    for (const auto& project : workspace_->projects().All())
      projects->push_back(project.get());
  }
  return true;
}

std::vector<std::string> WorkspaceSession::UnreadProjects() {
  std::vector<std::string> files;
  for (const UnreadProject& unread : workspace_->projects().Unread())
    files.push_back(fs().ToHostPath(unread.file));
  return files;
}

bool WorkspaceSession::LinkedProjectsRead(Project& project, std::string_view consequence) {
  std::vector<std::string> unread = UnreadProjects();
  if (unread.empty()) return true;
  for (const std::string& link : project.links().Names()) {
    if (workspace_->projects().Find(link) != nullptr) continue;
    FailedForUnread(err_,
                    project.paths().output_name + " links " + link +
                        ", which is not in the workspace; " + std::string(consequence),
                    unread);
    return false;
  }
  return true;
}

int WorkspaceSession::Save() {
  if (!workspace_->document().Save(false)) return Failed();
  return kExitOk;
}

int WorkspaceSession::FailedWith(std::string_view subject) {
  if (!workspace_)
    return PrintFailure(err_, host_platform_ ? &fs() : nullptr, 0, {}, host_.LastError(), subject);
  return PrintFailure(err_, host_platform_ ? &fs() : nullptr, workspace_->GetLastStatus(),
                      workspace_->GetLastMessage(), host_.LastError(), subject);
}

}  // namespace zelvan::cli

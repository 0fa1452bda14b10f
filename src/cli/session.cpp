#include "cli/session.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <set>
#include <vector>

#include "cli/session_files.h"
#include "com/bstr.h"
#include "model/message_texts.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/system_services.h"
#include "platform/win_path.h"
#include "service/component_ids.h"
#include "service/report_status.h"
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

Session::Session(const GlobalOptions& options)
    : SessionReports(std::cerr),
      options_(options),
      host_(PolicyOf(options), std::cerr, options.verbose && !options.quiet) {
  host_.SetSummarizeUnresolved(options.quiet && !options.verbose);
}

Session::~Session() {
  CloseWorkspace();
  progress_window_ = nullptr;
  project_ = nullptr;
  service_ = nullptr;
  // The module lets the host's objects go as it disconnects.
  module_.reset();
  locks_.reset();
  build_lock_.reset();
  application_ = nullptr;
  interruptible_.reset();
  host_platform_.reset();
}

void Session::Start() {
  if (host_platform_) return;
  host_platform_ = HostPlatform::Create(&host_);
  host_.Attach(platform());
  if (!HeadlessHost::PrepareEnvironment(*platform().system, fs(), &start_error_)) {
    start_error_ = "zelvan: " + start_error_ + "\n";
  }
  interruptible_ = std::make_unique<InterruptibleSystemServices>(*platform().system);
  platform().system = interruptible_.get();
  locks_ = std::make_unique<WriteLocks>(fs(), err_, WriteLocks::TimeoutFrom(*platform().system));

  // The installation gives the CPU list and the include directories; without
  // one, dependencies are searched in the projects' own directories only.
  ComponentOptions component;
  InstallLocation location;
  std::string error;
  HostPlatform& host = *host_platform_;
  if (LocateInstallation(platform(), options_.install_dir, &location, &error) &&
      MapInstallationDrive(&location, [&host](char letter, const std::string& dir) {
        return host.MapDriveUnlessSet(letter, dir);
      })) {
    component.install_folder = location.folder;
  } else if (options_.verbose) {
    err_ << "zelvan: warning: no installation: " << error << "\n";
  }
  // The module is named as the one beside this program: its resource
  // language is looked up by that name.
  component.module_path =
      GetFileDirectory(fs().FromHostPath(platform().system->ExecutableHostPath())) +
      kComponentLibraryName;
  // The depth warning names the include chain that went too deep.
  component.include_chains = true;
  module_ = std::make_unique<ComponentModule>(platform(), std::move(component));

  // Connecting loads the service settings and the CPU list, as the IDE's
  // connect does, then finds the host's workspace object.
  application_ = MakeComObject<HostApplication>(host_);
  if (connection().Connect(application_.Get()) != S_OK) {
    err_ << "zelvan: warning: the host's IDE objects could not be connected\n";
  }

  // A refresh started by opening shows a bar on a terminal and nothing in
  // a log: every command opens a workspace.
  open_progress_ = std::make_unique<TerminalProgress>(
      std::cerr, !options_.quiet && StandardErrorIsTerminal() ? TerminalProgress::Style::kBar
                                                              : TerminalProgress::Style::kQuiet);
  dependencies().SetDefaultProgress(open_progress_.get());
  if (options_.verbose) {
    err_ << "zelvan: session " << workspace().StopObjectName()
         << " (another shell stops it with: zelvan stop " << workspace().StopObjectName() << ")\n";
  }
}

bool Session::StartForOpening() {
  Start();
  err_ << start_error_;
  return start_error_.empty();
}

void Session::SetRefreshDependenciesOnOpen(bool refresh) {
  Start();
  dependencies().SetRefreshOnOpen(refresh);
}

void Session::SetReadOnly() {
  Start();
  dependencies().SetReadOnly(true);
  dependencies().SetRefreshOnOpen(false);
}

DependencyProgress& Session::CommandProgress() {
  if (!command_progress_) command_progress_ = MakeCommandProgress(options_);
  return *command_progress_;
}

bool Session::Open() {
  if (!StartForOpening()) return false;
  std::string path;
  if (!ChooseWorkspacePath(fs(), options_, err_, &path)) return false;
  if (EqualsNoCase(SplitPath(path).extension, ".kbp")) {
    if (!LockSingleProject(host_, fs(), *locks_, path, err_)) return false;
    workspace().ClearStatus();
    if (!ReportStatus(workspace(), workspace().document().Open(host_.WorkspacePath()))) {
      return Failed(), false;
    }
    RemoveDeadTemporaries();
    return true;
  }
  return OpenWorkspaceFile(path);
}

bool Session::OpenWorkspaceFile(const std::string& workspace_path) {
  if (!StartForOpening()) return false;
  if (!LockWorkspaceFiles(host_, fs(), *locks_, workspace_path, err_)) return false;
  workspace().ClearStatus();
  if (!ReportStatus(workspace(), workspace().document().Open(workspace_path))) {
    Failed();
    return false;
  }
  RemoveDeadTemporaries();
  return true;
}

bool Session::AddProject(const std::string& host_path) {
  std::string path = SystemPath(host_path);
  std::string file;
  if (ChangeExtension(fs(), path, kProjectExtension, &file) && !LockFile(file)) return false;
  workspace().ClearStatus();
  if (!ReportStatus(workspace(), workspace().AddProject(path))) return FailedWith(host_path), false;
  ::zelvan::RemoveDeadTemporaries(fs(), GetFileDirectory(file));
  return true;
}

bool Session::LockFile(std::string_view path) {
  return LockForCommand(*locks_, path, err_);
}

bool Session::LockBuild() {
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

void Session::CloseWorkspace() {
  if (closed_ || !host_platform_) return;
  closed_ = true;
  // Closed through the Service object, as the IDE closes it: the service
  // writes what closing left in the profile cache and tells the host of
  // each file it could not write. What fails after that is told here.
  service().CloseWorkspace();
  ReportUnwrittenFiles(platform(), err_, fs().FailedWrites().size());
  locks_->ReleaseAll();
}

void Session::RemoveDeadTemporaries() {
  std::set<std::string, NoCaseLess> projects;
  for (const auto& project : workspace().projects().All())
    projects.insert(project->paths().project_file);
  RemoveDeadTemporariesOf(platform(), workspace().document().Path(), projects);
}

IService& Session::service() {
  if (!service_) {
    Start();
    module_->CreateObject(CLSID_Service, IID_IService,
                          reinterpret_cast<void**>(service_.ReleaseAndGetAddressOf()));
  }
  return *service_.Get();
}

IProject& Session::project_object() {
  if (!project_) {
    Start();
    module_->CreateObject(CLSID_Project, IID_IProject,
                          reinterpret_cast<void**>(project_.ReleaseAndGetAddressOf()));
  }
  return *project_.Get();
}

VARIANT Session::ProgressWindow() {
  if (!progress_window_) {
    ComPtr<HostProgressWindow> window = MakeComObject<HostProgressWindow>(CommandProgress());
    window.As(&progress_window_);
  }
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_UNKNOWN;
  v.punkVal = progress_window_.Get();
  return v;
}

uint32_t Session::LastStatus() {
  LONG status = 0;
  service().GetLastStatus(&status);
  return static_cast<uint32_t>(status);
}

std::string Session::LastMessage() {
  ScopedBstr message;
  service().GetLastMessage(message.Receive());
  return message.Text();
}

Project* Session::FindProject(std::string_view name) {
  Project* project = workspace().projects().Find(name);
  if (project == nullptr) {
    std::string file;
    if (workspace().projects().ResolveFile(name, &file))
      project = workspace().projects().FindByFile(file);
  }
  if (project == nullptr) {
    workspace().SetStatus(kStatusProjectNotFound, kMsgProjectNotFound);
    FailedWith(name);
  }
  return project;
}

Project* Session::FindProjectOrActive(std::string_view name) {
  if (!name.empty()) return FindProject(name);
  Project* project = workspace().projects().FindByFile(workspace().selection().ActiveProjectFile());
  if (project == nullptr) ReportNoActiveProject(workspace().selection().ActiveProjectFile());
  return project;
}

bool Session::FindProjects(const std::vector<std::string>& names, std::vector<Project*>* projects) {
  for (const std::string& name : names) {
    Project* project = FindProject(name);
    if (project == nullptr) return false;
    projects->push_back(project);
  }
  if (names.empty()) {
    for (const auto& project : workspace().projects().All())
      projects->push_back(project.get());
  }
  return true;
}

int Session::NoActiveProject() {
  return ReportNoActiveProject(host_.GetActiveProjectFile());
}

std::vector<std::string> Session::UnreadProjects() {
  std::vector<std::string> files;
  for (const UnreadProject& unread : workspace().projects().Unread())
    files.push_back(fs().ToHostPath(unread.file));
  return files;
}

bool Session::LinkedProjectsRead(const Project* project, std::string_view consequence) {
  std::vector<std::string> unread = UnreadProjects();
  if (project == nullptr || unread.empty()) return true;
  for (const std::string& link : project->links().Names()) {
    if (workspace().projects().Find(link) != nullptr) continue;
    FailedForUnread(err_,
                    project->paths().output_name + " links " + link +
                        ", which is not in the workspace; " + std::string(consequence),
                    unread);
    return false;
  }
  return true;
}

int Session::Save() {
  // The service tells the host of each file it could not write.
  if (service().SaveWorkspace(0) != S_OK) return Failed();
  return kExitOk;
}

int Session::FailedWith(std::string_view subject) {
  if (!module_) return PrintFailure(err_, nullptr, 0, {}, host_.LastError(), subject);
  return PrintFailure(err_, &fs(), workspace().GetLastStatus(), workspace().GetLastMessage(),
                      host_.LastError(), subject);
}

int Session::FailedWithStatus(uint32_t status, unsigned message_id, std::string_view subject) {
  return PrintFailure(err_, &fs(), status, LoadMessage(host_, message_id), {}, subject);
}

}  // namespace zelvan::cli

#include "cli/component_session.h"

#include <algorithm>
#include <iostream>
#include <set>

#include "cli/session_files.h"
#include "com/bstr.h"
#include "com/safe_array.h"
#include "model/message_texts.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/system_services.h"
#include "platform/win_path.h"
#include "service/project_info_kind.h"
#include "storage/project_files.h"
#include "toolchain/install_location.h"

namespace zelvan::cli {

// --- ComponentSession.

ComponentSession::ComponentSession(const GlobalOptions& options)
    : SessionReports(std::cerr), options_(options), component_(options) {}

ComponentSession::~ComponentSession() {
  Close();
  // The module tells the IDE of each file it could not write.
  if (const HostAutomationServer* errors = component_.Application()->automation_server()) {
    for (const AutomationError& error : errors->errors()) {
      if (static_cast<uint32_t>(error.code) == (0x40040000u | kStatusFileNotWritten)) {
        NoteUnwrittenFiles();
      }
    }
  }
  ReportUnwrittenFiles(platform(), err_);
  // The files stay locked until the module has let them go.
  if (connect_) connect_->Disconnect();
  project_ = nullptr;
  service_ = nullptr;
  connect_ = nullptr;
  progress_window_ = nullptr;
  locks_.reset();
}

void ComponentSession::Close() {
  if (opened_) service_->CloseWorkspace();
  opened_ = false;
}

FileSystem& ComponentSession::fs() {
  return *platform().fs;
}

bool ComponentSession::Start() {
  if (service_) return true;
  if (!component_.EnvironmentError().empty()) {
    err_ << "zelvan: " << component_.EnvironmentError() << "\n";
    return false;
  }
  SystemServices& system = *platform().system;
  locks_ = std::make_unique<WriteLocks>(fs(), err_, WriteLocks::TimeoutFrom(system));
  // The installation, for the paths the module answers with; without one,
  // dependencies are searched in the projects' own directories only.
  InstallLocation location;
  std::string error;
  HostPlatform& host = component_.host_platform();
  if (!LocateInstallation(platform(), options_.install_dir, &location, &error) ||
      !MapInstallationDrive(&location, [&host](char letter, const std::string& dir) {
        return host.MapDriveUnlessSet(letter, dir);
      })) {
    if (options_.verbose) err_ << "zelvan: warning: no installation: " << error << "\n";
  }
  component_.SetModuleOption("ZELVAN_REFRESH_ON_OPEN", refresh_on_open_ ? "1" : "0");
  component_.SetModuleOption("ZELVAN_READ_ONLY", read_only_ ? "1" : "0");
  InprocServerModule* module = component_.Module(true, &error);
  if (module == nullptr) return Failed("cannot load the component: " + error), false;
  ComPtr<IDispatch> connect;
  ComPtr<IDispatch> service;
  ComPtr<IDispatch> project;
  if (FAILED(component_.Create(*module, "Connect", &connect)) ||
      FAILED(component_.Create(*module, "Service", &service)) ||
      FAILED(component_.Create(*module, "Project", &project)) || FAILED(connect.As(&connect_)) ||
      FAILED(service.As(&service_)) || FAILED(project.As(&project_))) {
    service_ = nullptr;
    return Failed("the component made no objects"), false;
  }
  VariantArgs args;
  if (connect_->Connect(component_.Application(), args.Empty(), args.Empty()) != S_OK) {
    err_ << "zelvan: warning: the host's IDE objects could not be connected\n";
  }
  if (options_.verbose) {
    ScopedBstr name;
    service_->GetProjectInfo(kInfoStopRequestName, args.Text(""), args.Empty(), name.Receive());
    err_ << "zelvan: session " << name.Text() << " (another shell stops it with: zelvan stop "
         << name.Text() << ")\n";
  }
  return true;
}

bool ComponentSession::Open() {
  if (!Start()) return false;
  std::string path;
  if (!ChooseWorkspacePath(fs(), options_, err_, &path)) return false;
  if (EqualsNoCase(SplitPath(path).extension, ".kbp")) {
    if (!LockSingleProject(host(), fs(), *locks_, path, err_)) return false;
    return OpenThroughService();
  }
  return OpenWorkspaceFile(path);
}

bool ComponentSession::OpenWorkspaceFile(const std::string& workspace_path) {
  if (!Start()) return false;
  if (!LockWorkspaceFiles(host(), fs(), *locks_, workspace_path, err_)) return false;
  return OpenThroughService();
}

bool ComponentSession::OpenThroughService() {
  VariantArgs args;
  opened_ = true;
  if (service_->OpenWorkspace(args.Text(host().WorkspacePath())) != S_OK) {
    Failed();
    return false;
  }
  RemoveDeadTemporariesOf(platform(), host().WorkspacePath(),
                          WorkspaceProjectFiles(host(), fs(), host().WorkspacePath()));
  return true;
}

bool ComponentSession::AddProject(const std::string& host_path) {
  const std::string path = SystemPath(host_path);
  std::string file;
  if (ChangeExtension(fs(), path, kProjectExtension, &file) && !LockFile(file)) return false;
  VariantArgs args;
  if (service_->AddProject(args.Text(path)) != S_OK) return FailedWith(host_path), false;
  RemoveDeadTemporaries(fs(), GetFileDirectory(file));
  return true;
}

bool ComponentSession::LockFile(std::string_view path) {
  return LockForCommand(*locks_, path, err_);
}

DependencyProgress& ComponentSession::CommandProgress() {
  if (!command_progress_) command_progress_ = MakeCommandProgress(options_);
  return *command_progress_;
}

VARIANT ComponentSession::ProgressWindow() {
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

uint32_t ComponentSession::LastStatus() {
  LONG status = 0;
  if (service_) service_->GetLastStatus(&status);
  return static_cast<uint32_t>(status);
}

std::string ComponentSession::LastMessage() {
  ScopedBstr message;
  if (service_) service_->GetLastMessage(message.Receive());
  return message.Text();
}

std::vector<std::string> ComponentSession::UnreadProjects() {
  std::set<std::string, NoCaseLess> files =
      WorkspaceProjectFiles(host(), fs(), host().WorkspacePath());
  VariantArgs args;
  ScopedBstr names;
  if (service_->GetProjectInfo(kInfoProjects, args.Text(""), args.Empty(), names.Receive()) ==
      S_OK) {
    std::vector<std::string> outputs;
    SplitList(names.Text(), &outputs);
    for (const std::string& output : outputs) {
      VARIANT* file = args.Out();
      if (service_->Method14(args.Text(output), file, args.Text(""), args.Out(), args.Text(""),
                             args.Out()) == S_OK) {
        files.erase(VariantText(*file));
      }
    }
  }
  std::vector<std::string> unread;
  for (const std::string& file : files)
    unread.push_back(fs().ToHostPath(file));
  return unread;
}

bool ComponentSession::LinkedProjectsRead(const std::string& project,
                                          std::string_view consequence) {
  std::vector<std::string> unread = UnreadProjects();
  if (unread.empty()) return true;
  VariantArgs args;
  LONG count = 0;
  service_->GetLinkProjectCount(args.Text(project), &count);
  for (LONG i = 0; i < count; ++i) {
    ScopedBstr link;
    if (service_->GetLinkProjectByIndex(args.Text(project), i, link.Receive()) == S_OK) continue;
    // An entry that names no project of the workspace is not handed out.
    FailedForUnread(err_,
                    (project.empty() ? std::string("the active project") : project) +
                        " links a project that is not in the workspace; " +
                        std::string(consequence),
                    unread);
    return false;
  }
  return true;
}

int ComponentSession::NoActiveProject() {
  return ReportNoActiveProject(host().GetActiveProjectFile());
}

int ComponentSession::Save() {
  if (service_->SaveWorkspace(0) != S_OK) return Failed();
  return kExitOk;
}

int ComponentSession::FailedWith(std::string_view subject) {
  return PrintFailure(err_, &fs(), LastStatus(), LastMessage(), host().LastError(), subject);
}

int ComponentSession::FailedWithStatus(uint32_t status, unsigned message_id,
                                       std::string_view subject) {
  return PrintFailure(err_, &fs(), status, LoadMessage(host(), message_id), {}, subject);
}

}  // namespace zelvan::cli

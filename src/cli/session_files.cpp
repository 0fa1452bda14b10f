#include "cli/session_files.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <vector>

#include "host/headless_host.h"
#include "host/write_locks.h"
#include "platform/file_system.h"
#include "platform/host_platform.h"
#include "platform/interrupt.h"
#include "platform/platform.h"
#include "platform/private_profile.h"
#include "platform/win_path.h"
#include "storage/project_files.h"
#include "storage/working_copy.h"

namespace zelvan::cli {

namespace {

// Set when a file the command had to write was not written; read at its end.
bool unwritten_files = false;
// Set when a relative path could not be resolved for want of a current directory.
bool unresolved_paths = false;

void ReportNoCurrentDirectory(std::ostream& err) {
  if (!unresolved_paths) {
    err << "zelvan: the current folder cannot be determined (" << CurrentDirectoryProblem()
        << "); name the files by their full paths\n";
  }
  unresolved_paths = true;
}

}  // namespace

void NoteUnwrittenFiles() {
  unwritten_files = true;
}

int FinalExitStatus(int status) {
  return status == kExitOk && (unwritten_files || unresolved_paths) ? kExitFailed : status;
}

std::string CommandLinePath(FileSystem& fs, std::string_view host_path, std::ostream& err) {
  bool relative = host_path.empty() || host_path[0] != '/';
  if (relative && fs.GetCurrentDirectory().empty()) ReportNoCurrentDirectory(err);
  return fs.FullPath(fs.FromHostPath(host_path));
}

bool ChooseWorkspacePath(FileSystem& fs, const GlobalOptions& options, std::ostream& err,
                         std::string* path) {
  if (!options.workspace.empty()) {
    *path = CommandLinePath(fs, options.workspace, err);
    return !unresolved_paths;
  }
  // As git finds its repository: the nearest directory upwards that holds
  // a workspace file, which must then be the only one there.
  const std::string start = fs.GetCurrentDirectory();
  if (start.empty()) {
    ReportNoCurrentDirectory(err);
    return false;
  }
  for (std::string dir = start;;) {
    std::vector<DirectoryEntry> entries;
    fs.ListDirectory(dir, "*.kws", &entries);
    std::vector<std::string> files;
    for (const DirectoryEntry& entry : entries) {
      if (!entry.is_directory) files.push_back(entry.name);
    }
    if (files.size() == 1) {
      *path = dir + files.front();
      return true;
    }
    if (files.size() > 1) {
      err << "zelvan: several workspace files (.kws) in " << fs.ToHostPath(dir)
          << "; name one with -w\n";
      return false;
    }
    std::string parent = GetFileDirectory(StripTrailingSlash(dir));
    if (parent.empty() || parent.size() >= dir.size()) break;
    dir = AppendLastSlash(parent);
  }
  err << "zelvan: no workspace file (.kws) in " << fs.ToHostPath(start)
      << " or any folder above it; name one with -w\n";
  return false;
}

std::set<std::string, NoCaseLess> WorkspaceProjectFiles(HeadlessHost& host, FileSystem& fs,
                                                        const std::string& workspace_path) {
  std::vector<std::string> projects;
  host.GetWorkspaceProjectFiles(workspace_path, &projects);
  std::set<std::string, NoCaseLess> files;
  for (const std::string& project : projects) {
    std::string file;
    if (ChangeExtension(fs, fs.FullPath(project), kProjectExtension, &file)) files.insert(file);
  }
  return files;
}

bool LockForCommand(WriteLocks& locks, std::string_view path, std::ostream& err) {
  std::string error;
  if (locks.Lock(path, &error)) return true;
  err << "zelvan: " << error << "\n";
  return false;
}

bool LockWorkspaceFiles(HeadlessHost& host, FileSystem& fs, WriteLocks& locks,
                        const std::string& workspace_path, std::ostream& err) {
  if (!LockForCommand(locks, workspace_path, err)) return false;
  std::string error;
  if (!host.LoadWorkspaceFile(workspace_path, &error)) {
    err << "zelvan: " << error << "\n";
    return false;
  }
  for (const std::string& file : WorkspaceProjectFiles(host, fs, workspace_path)) {
    if (!LockForCommand(locks, file, err)) return false;
  }
  return true;
}

bool LockSingleProject(HeadlessHost& host, FileSystem& fs, WriteLocks& locks,
                       const std::string& project_path, std::ostream& err) {
  if (!FileExists(fs, project_path)) {
    err << "zelvan: the project file " << fs.ToHostPath(project_path) << " does not exist\n";
    return false;
  }
  if (!LockForCommand(locks, project_path, err)) return false;
  host.UseSingleProject(project_path);
  return true;
}

void RemoveDeadTemporariesOf(const Platform& platform, const std::string& workspace_path,
                             const std::set<std::string, NoCaseLess>& project_files) {
  std::set<std::string, NoCaseLess> dirs = {
      GetFileDirectory(workspace_path),
      GetFileDirectory(WorkingCopyPattern(platform, workspace_path))};
  for (const std::string& project : project_files) {
    dirs.insert(GetFileDirectory(project));
    dirs.insert(GetFileDirectory(WorkingCopyPattern(platform, project)));
  }
  for (const std::string& dir : dirs)
    RemoveDeadTemporaries(*platform.fs, dir);
}

void ReportUnwrittenFiles(Platform& platform, std::ostream& err, size_t told) {
  platform.profile->FlushAll();
  const std::vector<FileSystem::FailedWrite>& failed = platform.fs->FailedWrites();
  for (size_t i = told; i < failed.size(); ++i) {
    const FileSystem::FailedWrite& failure = failed[i];
    std::string host = platform.fs->ToHostPath(failure.path);
    err << "zelvan: not written: " << (host.empty() ? failure.path : host) << ": " << failure.reason
        << "\n";
  }
  if (!platform.fs->FailedWrites().empty()) NoteUnwrittenFiles();
}

std::unique_ptr<TerminalProgress> MakeCommandProgress(const GlobalOptions& options) {
  TerminalProgress::Style style = options.quiet               ? TerminalProgress::Style::kQuiet
                                  : StandardErrorIsTerminal() ? TerminalProgress::Style::kBar
                                                              : TerminalProgress::Style::kLines;
  return std::make_unique<TerminalProgress>(std::cerr, style);
}

int PrintFailure(std::ostream& err, FileSystem* fs, uint32_t status, std::string_view message,
                 std::string_view host_error, std::string_view subject) {
  if (status != 0) {
    err << StringPrintf("zelvan: error 0x%08X: ", status)
        << (fs != nullptr ? HostPathsIn(*fs, message) : std::string(message));
    if (!subject.empty()) err << " (" << subject << ")";
    err << "\n";
  } else if (!host_error.empty()) {
    err << "zelvan: " << host_error << "\n";
  } else {
    err << "zelvan: the operation failed\n";
  }
  return kExitFailed;
}

std::string TargetsSubject(std::string_view asked, const std::vector<std::string>& targets) {
  std::string subject = std::string(asked) + "; targets:";
  for (size_t i = 0; i < targets.size(); ++i)
    subject += (i == 0 ? " " : ", ") + targets[i];
  if (targets.empty()) subject += " none";
  return subject;
}

int FailedForUnread(std::ostream& err, std::string_view consequence,
                    const std::vector<std::string>& unread) {
  err << "zelvan: " << consequence << "; could not read";
  for (size_t i = 0; i < unread.size(); ++i)
    err << (i == 0 ? " " : ", ") << unread[i];
  err << "\n";
  return kExitFailed;
}

int SessionReports::Failed(std::string_view message) {
  err_ << "zelvan: " << message << "\n";
  return kExitFailed;
}

bool SessionReports::AllProjectsRead(std::string_view consequence) {
  const std::vector<std::string> unread = UnreadProjects();
  if (unread.empty()) return true;
  FailedForUnread(err_, consequence, unread);
  return false;
}

std::string SessionReports::SystemPath(std::string_view host_path) {
  return CommandLinePath(fs(), host_path, err_);
}

int SessionReports::ReportNoActiveProject(const std::string& active_file) {
  const std::string shown = active_file.empty() ? std::string() : fs().ToHostPath(active_file);
  const std::vector<std::string> unread = UnreadProjects();
  if (!shown.empty() && std::find(unread.begin(), unread.end(), shown) != unread.end()) {
    return FailedForUnread(err_, "the active project was left out of the workspace", {shown});
  }
  return Failed("the workspace has no active project; name one");
}

}  // namespace zelvan::cli

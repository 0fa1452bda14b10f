#include "cli/session_files.h"

#include <vector>

#include "host/headless_host.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/private_profile.h"
#include "platform/win_path.h"
#include "storage/project_files.h"
#include "storage/working_copy.h"

namespace zelvan::cli {

namespace {

// Set when a file the command had to write was not written; read at its end.
bool unwritten_files = false;

}  // namespace

void NoteUnwrittenFiles() {
  unwritten_files = true;
}

int FinalExitStatus(int status) {
  return status == kExitOk && unwritten_files ? kExitFailed : status;
}

bool ChooseWorkspacePath(FileSystem& fs, const GlobalOptions& options, std::ostream& err,
                         std::string* path) {
  if (!options.workspace.empty()) {
    *path = fs.FullPath(fs.FromHostPath(options.workspace));
    return true;
  }
  std::vector<DirectoryEntry> entries;
  std::string dir = fs.GetCurrentDirectory();
  fs.ListDirectory(dir, "*.kws", &entries);
  std::vector<std::string> files;
  for (const DirectoryEntry& entry : entries) {
    if (!entry.is_directory) files.push_back(entry.name);
  }
  if (files.size() != 1) {
    err << "zelvan: "
        << (files.empty() ? "no workspace file (.kws) in the current directory"
                          : "several workspace files (.kws) in the current directory")
        << "; name one with -w\n";
    return false;
  }
  *path = dir + files.front();
  return true;
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

void ReportUnwrittenFiles(Platform& platform, std::ostream& err) {
  platform.profile->FlushAll();
  for (const std::string& failure : platform.fs->FailedWrites())
    err << "zelvan: not written: " << failure << "\n";
  if (!platform.fs->FailedWrites().empty()) NoteUnwrittenFiles();
}

}  // namespace zelvan::cli

#include "host/headless_host.h"

#include "host/host_path_text.h"
#include "model/message_texts.h"
#include "model/path_functions.h"
#include "model/status_codes.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/system_services.h"
#include "platform/win_path.h"
#include "storage/profile_functions.h"
#include "storage/project_files.h"

namespace zelvan {

HeadlessHost::HeadlessHost(AnswerPolicy policy, std::ostream& messages, bool show_information)
    : policy_(policy), messages_(messages), show_information_(show_information) {}

bool HeadlessHost::PrepareEnvironment(SystemServices& system, FileSystem& fs, std::string* error) {
  std::string host_dir;
  for (std::string_view name : {"TEMP", "TMP", "TMPDIR"}) {
    host_dir = system.GetEnv(name).value_or("");
    if (!host_dir.empty()) break;
  }
  if (host_dir.empty()) host_dir = "/tmp";
  if (host_dir[0] != '/') return true;
  std::string folder;
  if (!system.MakePrivateFolder(host_dir, &folder, error)) return false;
  system.SetEnv("TEMP", fs.FromHostPath(folder));
  return true;
}

bool HeadlessHost::CreateWorkspaceFile(FileSystem& fs, std::string_view workspace_path,
                                       const std::vector<std::string>& projects,
                                       std::string* error) {
  if (FileExists(fs, workspace_path) || DirectoryExists(fs, workspace_path)) {
    *error = std::string(workspace_path) + " exists already";
    return false;
  }
  WorkspaceFile file;
  for (const std::string& project : projects) {
    std::string relative;
    MakeRelativePath(workspace_path, project, &relative);
    file.projects.push_back(relative);
  }
  if (!file.projects.empty()) file.active = file.projects.front();
  std::string text;
  if (!UpdateWorkspaceFileText("", file, &text, error)) return false;
  Status written = WriteFileAtomic(fs, workspace_path, text);
  if (!written && error != nullptr) *error = written.ToString();
  return written.ok();
}

bool HeadlessHost::LoadWorkspaceFile(std::string_view workspace_path, std::string* error) {
  std::string text;
  if (!platform_.fs->ReadFile(workspace_path, &text)) {
    *error = "cannot read the workspace file " + platform_.fs->ToHostPath(workspace_path);
    return false;
  }
  WorkspaceFile file;
  std::string reason;
  if (!ParseWorkspaceFile(text, &file, &reason)) {
    *error = std::string(workspace_path) + ": " + reason;
    return false;
  }
  workspace_path_ = std::string(workspace_path);
  single_project_ = false;
  file_ = std::move(file);
  if (!ChangeExtension(*platform_.fs, workspace_path_, kWorkspaceSettingsExtension,
                       &settings_path_)) {
    *error = std::string(workspace_path) + " is a directory";
    return false;
  }
  // The settings hold the current target and the link lists: a workspace
  // whose settings cannot be read would build other makefiles, and could
  // save nothing. A missing file is made by the first save.
  FileStatus status;
  std::string settings;
  if (platform_.fs->Stat(settings_path_, &status) &&
      (status.is_directory || status.is_other ||
       !platform_.fs->ReadFile(settings_path_, &settings))) {
    *error = "cannot read the workspace settings " + platform_.fs->ToHostPath(settings_path_) +
             (status.is_directory || status.is_other ? " (not a regular file)" : "");
    return false;
  }
  return true;
}

void HeadlessHost::UseSingleProject(std::string_view project_path) {
  single_project_ = true;
  // The workspace takes the project's name; no file of that name is written.
  PathParts parts = SplitPath(project_path);
  workspace_path_ = MakePath(parts.drive, parts.directory, parts.title, kWorkspaceExtension);
  file_ = WorkspaceFile();
  file_.projects.emplace_back(project_path);
  file_.active = std::string(project_path);
  settings_path_.clear();
}

std::string HeadlessHost::FullProjectPath(std::string_view stored) const {
  std::string full;
  if (!GetFullPathName(stored, GetFileDirectory(workspace_path_), &full)) return std::string();
  return full;
}

bool HeadlessHost::SetActiveProject(std::string_view project_file, std::string* error) {
  if (single_project_) return true;
  std::string relative;
  MakeRelativePath(workspace_path_, project_file, &relative);
  std::string previous = file_.active;
  file_.active = relative;
  if (!WriteWorkspaceFile(error)) {
    file_.active = previous;
    return false;
  }
  return true;
}

bool HeadlessHost::ReplaceWorkspaceProject(std::string_view old_project_file,
                                           std::string_view new_project_file, std::string* error) {
  WorkspaceFile previous = file_;
  std::string relative;
  MakeRelativePath(workspace_path_, new_project_file, &relative);
  // A project opened alone is its own workspace: the new file takes its place.
  if (single_project_) relative = std::string(new_project_file);
  bool found = false;
  for (std::string& stored : file_.projects) {
    if (PathEquals(FullProjectPath(stored), old_project_file)) {
      stored = relative;
      found = true;
    }
  }
  if (!found) {
    *error = std::string(old_project_file) + " is not in the workspace";
    return false;
  }
  if (!file_.active.empty() && PathEquals(FullProjectPath(file_.active), old_project_file)) {
    file_.active = relative;
  }
  if (single_project_) return true;
  if (!WriteWorkspaceFile(error)) {
    file_ = std::move(previous);
    return false;
  }
  return true;
}

bool HeadlessHost::RemoveWorkspaceProject(std::string_view project_file, std::string* error) {
  WorkspaceFile previous = file_;
  std::erase_if(file_.projects, [&](const std::string& stored) {
    return PathEquals(FullProjectPath(stored), project_file);
  });
  if (!file_.active.empty() && PathEquals(FullProjectPath(file_.active), project_file)) {
    file_.active.clear();
  }
  if (single_project_) return true;
  if (!WriteWorkspaceFile(error)) {
    file_ = std::move(previous);
    return false;
  }
  return true;
}

std::vector<std::string> HeadlessHost::WorkspaceRecordFiles() {
  if (single_project_ || workspace_path_.empty()) return {};
  PathParts parts = SplitPath(workspace_path_);
  return {workspace_path_, MakePath(parts.drive, parts.directory, parts.title,
                                    std::string(kWorkspaceSettingsExtension))};
}

bool HeadlessHost::WriteWorkspaceFile(std::string* error) {
  FileSystem& fs = *platform_.fs;
  std::string old_text;
  if (FileExists(fs, workspace_path_) && !fs.ReadFile(workspace_path_, &old_text)) {
    *error = "cannot read the workspace file " + fs.ToHostPath(workspace_path_);
    return false;
  }
  std::string text;
  if (!UpdateWorkspaceFileText(old_text, file_, &text, error)) return false;
  Status written = WriteFileAtomic(fs, workspace_path_, text);
  if (!written && error != nullptr) *error = written.ToString();
  return written.ok();
}

// --- IdeServices.

bool HeadlessHost::GetWorkspaceProjectFiles(std::string_view workspace_path,
                                            std::vector<std::string>* project_files) {
  if (workspace_path_.empty() || !PathEquals(workspace_path, workspace_path_)) return false;
  project_files->clear();
  for (const std::string& stored : file_.projects) {
    std::string full = FullProjectPath(stored);
    if (!full.empty()) project_files->push_back(full);
  }
  return true;
}

std::string HeadlessHost::GetActiveProjectFile() {
  if (file_.active.empty()) return std::string();
  return FullProjectPath(file_.active);
}

std::string HeadlessHost::ReadWorkspaceSetting(std::string_view section, std::string_view key,
                                               size_t buffer_size) {
  std::string value;
  if (single_project_) {
    auto it = memory_settings_.find(std::string(section) + "\n" + std::string(key));
    if (it != memory_settings_.end()) value = it->second;
  } else if (!settings_path_.empty()) {
    value = platform_.profile->GetString(section, key, "", settings_path_, buffer_size);
  }
  if (buffer_size > 0 && value.size() >= buffer_size) value.resize(buffer_size - 1);
  return value;
}

bool HeadlessHost::WriteWorkspaceSetting(std::string_view section, std::string_view key,
                                         std::string_view value) {
  if (single_project_) {
    memory_settings_[std::string(section) + "\n" + std::string(key)] = std::string(value);
    return true;
  }
  if (settings_path_.empty()) return false;
  std::string error;
  if (!WriteProfileString(platform_, section, key, value, settings_path_, &error)) {
    last_error_ = settings_path_ + ": " + error;
    // The command fails at its end (the host looks at the failed writes),
    // and says so once, not once per setting.
    if (!settings_unwritten_) platform_.fs->NoteFailedWrite(settings_path_, error);
    settings_unwritten_ = true;
    return false;
  }
  return true;
}

bool HeadlessHost::AddProjectToWorkspace(std::string_view ide_project_file,
                                         std::string_view workspace_path) {
  if (single_project_ || !PathEquals(workspace_path, workspace_path_)) {
    last_error_ = "a project opened alone takes no other projects; use a workspace file (.kws)";
    messages_ << "error: " << last_error_ << "\n";
    return false;
  }
  std::string project;
  if (!ChangeExtension(*platform_.fs, ide_project_file, kProjectExtension, &project)) {
    last_error_ = std::string(ide_project_file) + " is a directory";
    return false;
  }
  std::string relative;
  MakeRelativePath(workspace_path_, project, &relative);
  file_.projects.push_back(relative);
  bool set_active = file_.active.empty();
  if (set_active) file_.active = relative;
  std::string error;
  if (!WriteWorkspaceFile(&error)) {
    file_.projects.pop_back();
    if (set_active) file_.active.clear();
    last_error_ = error;
    messages_ << "error: " << error << "\n";
    return false;
  }
  return true;
}

int HeadlessHost::ShowMessage(std::string_view caption, std::string_view text, unsigned style,
                              unsigned message_id) {
  int answer = Answer(policy_, style, message_id);
  // A box without a caption of its own shows the product's, as Windows does.
  // A line that is a full path (the lists of files some boxes show) is
  // shown as the host names it.
  std::string shown;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (start != 0) shown += '\n';
    shown += platform_.fs != nullptr && IsFullPath(line) ? platform_.fs->ToHostPath(line)
                                                         : std::string(line);
    start = end + 1;
  }
  messages_ << (caption.empty() ? std::string_view(kMessageCaption) : caption) << ": " << shown
            << "\n";
  if ((style & 0xF) != kMbOk) {
    const char* name = answer == kIdYes  ? "Yes"
                       : answer == kIdNo ? "No"
                       : answer == kIdOk ? "OK"
                                         : "Cancel";
    messages_ << "  (answered " << name << ")\n";
  }
  return answer;
}

int HeadlessHost::Answer(AnswerPolicy policy, unsigned style, unsigned /*message_id*/) {
  switch (style & 0xF) {
    case kMbOk:
      return kIdOk;
    case kMbOkCancel:
      return policy == AnswerPolicy::kYes ? kIdOk : kIdCancel;
    case kMbYesNo:
      return policy == AnswerPolicy::kYes ? kIdYes : kIdNo;
    case kMbYesNoCancel:
      if (policy == AnswerPolicy::kYes) return kIdYes;
      return policy == AnswerPolicy::kNo ? kIdNo : kIdCancel;
    default:
      return kIdCancel;
  }
}

void HeadlessHost::ReportError(uint32_t code, std::string_view message) {
  messages_ << StringPrintf("error 0x%08X: ", 0x40040000u + (code & 0xFFFFu))
            << (platform_.fs != nullptr ? HostPathsIn(*platform_.fs, message)
                                        : std::string(message))
            << "\n";
}

bool HeadlessHost::Shown(std::string_view text, int kind) {
  if (summarize_unresolved_ && Summarized(text)) return false;
  return show_information_ || kind == kOutputWarning;
}

void HeadlessHost::WriteOutputLine(std::string_view text, int kind) {
  if (!Shown(text, kind)) return;
  if (platform_.fs != nullptr) {
    messages_ << HostPathsIn(*platform_.fs, text) << "\n";
  } else {
    messages_ << text << "\n";
  }
}

bool HeadlessHost::Summarized(std::string_view text) {
  static constexpr std::string_view kHint = " (--verbose lists them)";
  if (text.starts_with("W-007-D000:")) return true;
  if (text.starts_with("W-007-D001:")) {
    ++unresolved_;
    return true;
  }
  if (unresolved_ == 0) return false;
  if (text.starts_with("W-007-D002:")) {
    messages_ << text << kHint << "\n";
    unresolved_ = 0;
    return true;
  }
  if (text.starts_with("I-007-1200:")) {
    messages_ << "W-007-D002:"
              << FormatMessageText(LoadString(kMsgIncludesNotFoundCount),
                                   {std::to_string(unresolved_)})
              << kHint << "\n";
    unresolved_ = 0;
  }
  return false;
}

void HeadlessHost::WriteOutputLineAt(std::string_view /*file*/, int /*line*/, std::string_view text,
                                     int kind) {
  if (platform_.fs == nullptr) {
    WriteOutputLine(text, kind);
    return;
  }
  if (!Shown(text, kind)) return;
  // A refresh names the same few include lines again for every source that
  // reaches them, and finding a line's paths on the host takes a look at
  // the disk per folder: each text is put in host form once per output
  // pane, files taken as they were when first looked at (as the refresh
  // takes them).
  constexpr size_t kMaxHostLines = 1 << 16;
  if (host_lines_.size() >= kMaxHostLines) host_lines_.clear();
  auto [it, added] = host_lines_.try_emplace(std::string(text));
  if (added) it->second = HostPathsIn(*platform_.fs, text);
  messages_ << it->second << "\n";
}

// --- UiHooks.

int HeadlessHost::MessageBox(std::string_view caption, std::string_view text, unsigned style) {
  return ShowMessage(caption, text, style, 0);
}

std::string HeadlessHost::LoadString(unsigned id) {
  const char* text = DefaultMessageText(id);
  return text ? std::string(text) : std::string();
}

}  // namespace zelvan

// The headless host: what the IDE gives the workspace, for the command line
// and for tests, without any window.
//
//   - The workspace's projects and its active project come from the
//     workspace file (.kws, workspace_file.h); projects added by the
//     workspace are written back to it. A project file opened alone serves
//     as a workspace of one project, without a workspace file.
//   - The workspace settings (section Builder) live in the settings file
//     beside the workspace file (.kwa), written through the profile
//     functions; a project opened alone keeps them in memory.
//   - Message boxes are answered by a policy and shown, with the answer, on
//     the message stream; output-window lines and errors go there too.
//   - String resources are the built-in message texts (model/message_texts.h).
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/workspace_file.h"
#include "model/ide_services.h"
#include "platform/ansi_text.h"
#include "platform/platform.h"
#include "platform/ui_hooks.h"

namespace zelvan {

class FileSystem;
class SystemServices;

enum class AnswerPolicy {
  // The answer that overwrites and drops nothing: No or Cancel to a question
  // whether to go ahead, the button of the box otherwise.
  kSafe,
  kYes,  // Yes, or OK
  kNo,   // No, or Cancel
};

class HeadlessHost : public IdeServices, public UiHooks {
 public:
  // Messages, warnings and errors go to `messages`; information lines
  // (progress among them) only with `show_information`.
  HeadlessHost(AnswerPolicy policy, std::ostream& messages, bool show_information);

  // For --quiet: the lines of each unresolved include ("W-007-D000:",
  // "W-007-D001:") are counted, not printed, and the refresh's count line
  // ("W-007-D002:") says how to list them; a refresh stopped before its
  // count line ("I-007-1200:") gets a count line of the host's own.
  void SetSummarizeUnresolved(bool summarize) { summarize_unresolved_ = summarize; }

  // The platform the host works with; its `ui` should be this host.
  void Attach(const Platform& platform) { platform_ = platform; }

  // Makes TEMP name a temporary folder of this user's own, so working
  // copies go there rather than beside the projects: TEMP, else TMP, else
  // the host's TMPDIR, else /tmp, or a private folder inside it when other
  // users can write to it (see SystemServices::MakePrivateFolder). A TEMP
  // in the system's form (a drive path) is kept. False with the reason.
  static bool PrepareEnvironment(SystemServices& system, FileSystem& fs, std::string* error);

  // Writes a new workspace file listing `projects` (full paths), the first
  // of them active. False, with a reason, when the file exists or cannot be written.
  static bool CreateWorkspaceFile(FileSystem& fs, std::string_view workspace_path,
                                  const std::vector<std::string>& projects, std::string* error);

  // Serves the workspace of the workspace file `workspace_path` (full path).
  // False, with why in `error`, for a file that cannot be read, and for
  // workspace settings (.kwa) that exist but cannot be read.
  bool LoadWorkspaceFile(std::string_view workspace_path, std::string* error);
  // Serves the project file `project_path` (full path) as a workspace of its own.
  void UseSingleProject(std::string_view project_path);
  // The workspace path the workspace is opened with.
  const std::string& WorkspacePath() const { return workspace_path_; }
  bool IsSingleProject() const { return single_project_; }
  // Makes `project_file` the active project and writes the workspace file.
  bool SetActiveProject(std::string_view project_file, std::string* error);

  // What the host was asked, for the caller to report.
  const std::string& LastError() const { return last_error_; }

  // --- IdeServices.
  bool GetWorkspaceProjectFiles(std::string_view workspace_path,
                                std::vector<std::string>* project_files) override;
  std::string GetActiveProjectFile() override;
  std::string ReadWorkspaceSetting(std::string_view section, std::string_view key,
                                   size_t buffer_size) override;
  bool WriteWorkspaceSetting(std::string_view section, std::string_view key,
                             std::string_view value) override;
  bool AddProjectToWorkspace(std::string_view ide_project_file,
                             std::string_view workspace_path) override;
  void ProjectFileAdded(std::string_view) override {}
  void CurrentTargetChanged(std::string_view) override {}
  void RefreshProjectView(std::string_view) override {}
  void RefreshSourceControlStatus() override {}
  // Names `new_project_file` in the place of `old_project_file` (and as the
  // active project when the old one was) and writes the workspace file.
  // False, with the list as it was, when the old project is not listed or
  // the file cannot be written.
  bool ReplaceWorkspaceProject(std::string_view old_project_file, std::string_view new_project_file,
                               std::string* error) override;
  // Takes a project out of the list (and out of Active) and writes the workspace file.
  bool RemoveWorkspaceProject(std::string_view project_file, std::string* error) override;
  // The workspace file and its settings file; none for a project opened
  // alone, which keeps its workspace in memory.
  std::vector<std::string> WorkspaceRecordFiles() override;
  int ShowMessage(std::string_view caption, std::string_view text, unsigned style,
                  unsigned message_id) override;
  void ReportError(uint32_t code, std::string_view message) override;
  void WriteOutputLine(std::string_view text, int kind) override;
  void WriteOutputLineAt(std::string_view file, int line, std::string_view text, int kind) override;
  void ClearOutputPane() override { host_lines_.clear(); }
  void ShowOutputPane() override {}

  // --- UiHooks.
  int MessageBox(std::string_view caption, std::string_view text, unsigned style) override;
  std::string LoadString(unsigned id) override;

  // The answer the policy gives to a box of `style` asking message `message_id`.
  static int Answer(AnswerPolicy policy, unsigned style, unsigned message_id);

 private:
  bool WriteWorkspaceFile(std::string* error);
  // Whether a line is left out (or printed in its own way) under SetSummarizeUnresolved.
  bool Summarized(std::string_view text);
  // Whether a line of the output pane is printed: not when summarized, nor
  // information under --quiet.
  bool Shown(std::string_view text, int kind);
  std::string FullProjectPath(std::string_view stored) const;

  AnswerPolicy policy_;
  std::ostream& messages_;
  bool show_information_;
  bool summarize_unresolved_ = false;
  int unresolved_ = 0;  // lines left out since the last count line
  // Lines that name a file and line, in host form, by their text (see
  // WriteOutputLineAt).
  std::unordered_map<std::string, std::string> host_lines_;
  Platform platform_;
  std::string workspace_path_;
  std::string settings_path_;
  bool settings_unwritten_ = false;  // a write of the settings failed
  bool single_project_ = false;
  WorkspaceFile file_;
  std::map<std::string, std::string, NoCaseLess> memory_settings_;
  std::string last_error_;
};

}  // namespace zelvan

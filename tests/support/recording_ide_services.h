// An IdeServices (and UiHooks) for tests that plays a simple IDE and records
// every call, so a test can assert on what the workspace asked and reported.
//
//   RecordingIdeServices ide;
//   ide.project_files = {"C:\\ws\\a.kbp"};
//   ide.active_project = "C:\\ws\\a.kbp";
//   ... run the workspace ...
//   EXPECT_THAT(ide.Calls("ShowMessage"), ElementsAre("KOVA|...|48|5064"));
//
// Each call is recorded as "<Name> <arguments joined by |>"; Calls(name)
// returns the argument parts of the calls of that name, in order.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "model/ide_services.h"
#include "platform/ui_hooks.h"

namespace zelvan::testing {

class RecordingIdeServices : public IdeServices, public UiHooks {
 public:
  // --- The IDE being played; tests set these.
  std::vector<std::string> project_files;  // the workspace's projects, full paths
  bool fail_project_list = false;          // GetWorkspaceProjectFiles fails
  std::string active_project;              // the IDE's active project file
  bool refuse_add = false;                 // AddProjectToWorkspace refuses
  int answer = kIdNo;                      // the button every message box returns
  // Workspace settings by "section|key".
  std::map<std::string, std::string> settings;
  // Texts LoadString gives instead of the built-in ones.
  std::map<unsigned, std::string> strings;

  // --- What happened.
  std::vector<std::string> calls;
  // The argument parts of every call of `name`, in order.
  std::vector<std::string> Calls(std::string_view name) const;
  std::string Setting(std::string_view section, std::string_view key) const;

  bool GetWorkspaceProjectFiles(std::string_view workspace_path,
                                std::vector<std::string>* files) override;
  std::string GetActiveProjectFile() override { return active_project; }
  std::string ReadWorkspaceSetting(std::string_view section, std::string_view key,
                                   size_t buffer_size) override;
  bool WriteWorkspaceSetting(std::string_view section, std::string_view key,
                             std::string_view value) override;
  bool AddProjectToWorkspace(std::string_view ide_project_file,
                             std::string_view workspace_path) override;
  void ProjectFileAdded(std::string_view file) override { Record("ProjectFileAdded", {file}); }
  void CurrentTargetChanged(std::string_view target) override {
    Record("CurrentTargetChanged", {target});
  }
  void RefreshProjectView(std::string_view file) override { Record("RefreshProjectView", {file}); }
  void RefreshSourceControlStatus() override { Record("RefreshSourceControlStatus", {}); }
  bool ReplaceWorkspaceProject(std::string_view old_project_file, std::string_view new_project_file,
                               std::string* error) override;
  bool RemoveWorkspaceProject(std::string_view project_file, std::string* error) override;
  std::vector<std::string> WorkspaceRecordFiles() override;
  int ShowMessage(std::string_view caption, std::string_view text, unsigned style,
                  unsigned message_id) override;
  void ReportError(uint32_t code, std::string_view message) override {
    Record("ReportError", {std::to_string(code), message});
  }
  void WriteOutputLine(std::string_view text, int kind) override {
    Record("WriteOutputLine", {std::to_string(kind), text});
  }
  void WriteOutputLineAt(std::string_view file, int line, std::string_view text, int kind) override;
  void ClearOutputPane() override { Record("ClearOutputPane", {}); }
  void ShowOutputPane() override { Record("ShowOutputPane", {}); }

  int MessageBox(std::string_view caption, std::string_view text, unsigned style) override;
  std::string LoadString(unsigned id) override;

 private:
  void Record(std::string_view name, std::initializer_list<std::string_view> args);
};

}  // namespace zelvan::testing

// The IDE as the project model sees it (IdeServices), reached through the
// connection: every request becomes a call on one of the IDE's objects.
//
//   IdeConnection connection(ui);
//   connection.Connect(application);
//   IdeBridge bridge(connection);
//   Workspace workspace(platform, &bridge, ...);
//
// Requests that need the workspace object fail (or give nothing) while the
// connection has none; reports and message boxes follow the connection's rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/ide_services.h"

namespace zelvan {

class IdeConnection;

class IdeBridge : public IdeServices {
 public:
  // `connection` must outlive the bridge.
  explicit IdeBridge(IdeConnection& connection) : connection_(connection) {}

  // Workspace object: slot 17 for the project list, 7 the active project,
  // 8 and 9 the settings, 10 and 11 adding a project, 12 to 14 the views.
  bool GetWorkspaceProjectFiles(std::string_view workspace_path,
                                std::vector<std::string>* project_files) override;
  std::string GetActiveProjectFile() override;
  std::string ReadWorkspaceSetting(std::string_view section, std::string_view key,
                                   size_t buffer_size) override;
  bool WriteWorkspaceSetting(std::string_view section, std::string_view key,
                             std::string_view value) override;
  bool AddProjectToWorkspace(std::string_view ide_project_file,
                             std::string_view workspace_path) override;
  void ProjectFileAdded(std::string_view project_file) override;
  void CurrentTargetChanged(std::string_view target) override;
  void RefreshProjectView(std::string_view project_file) override;
  void RefreshSourceControlStatus() override;
  // Workspace object slots 15, 16 and 18.
  bool ReplaceWorkspaceProject(std::string_view old_project_file, std::string_view new_project_file,
                               std::string* error) override;
  bool RemoveWorkspaceProject(std::string_view project_file, std::string* error) override;
  std::vector<std::string> WorkspaceRecordFiles() override;

  // Error-message service, slot 7.
  int ShowMessage(std::string_view caption, std::string_view text, unsigned style,
                  unsigned message_id) override;

  // Output window and automation server, through the connection's reporting helpers.
  void ReportError(uint32_t code, std::string_view message) override;
  void WriteOutputLine(std::string_view text, int kind) override;
  void WriteOutputLineAt(std::string_view file, int line, std::string_view text, int kind) override;
  void ClearOutputPane() override;
  void ShowOutputPane() override;

 private:
  IdeConnection& connection_;
};

}  // namespace zelvan

#include "host/headless_project_services.h"

#include "host/headless_host.h"
#include "platform/win_path.h"
#include "service/file_name_check.h"
#include "service/ide_connection.h"
#include "storage/project_files.h"

namespace zelvan {

bool HeadlessProjectServices::IsBusy() {
  return connection_ != nullptr && connection_->BusyFlag();
}

bool HeadlessProjectServices::IsValidFileName(std::string_view path) {
  return zelvan::IsValidFileName(path);
}

void HeadlessProjectServices::SendIdeCommand(int command) {
  if (connection_ != nullptr) connection_->SendCommand(command);
}

bool HeadlessProjectServices::ReplaceWorkspaceProject(std::string_view old_project_file,
                                                      std::string_view new_project_file,
                                                      std::string* error) {
  return host_.ReplaceProject(old_project_file, new_project_file, error);
}

bool HeadlessProjectServices::RemoveWorkspaceProject(std::string_view project_file,
                                                     std::string* error) {
  return host_.RemoveProject(project_file, error);
}

std::vector<std::string> HeadlessProjectServices::WorkspaceStateFiles() {
  // A project opened alone keeps its workspace in memory.
  if (host_.IsSingleProject() || host_.WorkspacePath().empty()) return {};
  PathParts parts = SplitPath(host_.WorkspacePath());
  return {host_.WorkspacePath(), MakePath(parts.drive, parts.directory, parts.title,
                                          std::string(kWorkspaceSettingsExtension))};
}

}  // namespace zelvan

#include "host/headless_project_services.h"

#include "host/headless_host.h"
#include "service/file_name_check.h"
#include "service/ide_connection.h"

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
  return host_.ReplaceWorkspaceProject(old_project_file, new_project_file, error);
}

bool HeadlessProjectServices::RemoveWorkspaceProject(std::string_view project_file,
                                                     std::string* error) {
  return host_.RemoveWorkspaceProject(project_file, error);
}

std::vector<std::string> HeadlessProjectServices::WorkspaceStateFiles() {
  return host_.WorkspaceRecordFiles();
}

}  // namespace zelvan

#include "service/connection_project_services.h"

#include "model/ide_services.h"
#include "service/file_name_check.h"
#include "service/ide_connection.h"

namespace zelvan {

bool ConnectionProjectServices::IsBusy() {
  return connection_ != nullptr && connection_->BusyFlag();
}

bool ConnectionProjectServices::IsValidFileName(std::string_view path) {
  return zelvan::IsValidFileName(path);
}

void ConnectionProjectServices::SendIdeCommand(int command) {
  if (connection_ != nullptr) connection_->SendCommand(command);
}

bool ConnectionProjectServices::ReplaceWorkspaceProject(std::string_view old_project_file,
                                                        std::string_view new_project_file,
                                                        std::string* error) {
  return ide_.ReplaceWorkspaceProject(old_project_file, new_project_file, error);
}

bool ConnectionProjectServices::RemoveWorkspaceProject(std::string_view project_file,
                                                       std::string* error) {
  return ide_.RemoveWorkspaceProject(project_file, error);
}

std::vector<std::string> ConnectionProjectServices::WorkspaceStateFiles() {
  return ide_.WorkspaceRecordFiles();
}

}  // namespace zelvan

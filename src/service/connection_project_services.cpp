#include "service/connection_project_services.h"

#include "platform/bstr.h"
#include "platform/variant.h"
#include "service/file_name_check.h"
#include "service/ide_connection.h"

namespace zelvan {

bool ConnectionProjectServices::IsBusy() {
  return connection_.BusyFlag();
}

bool ConnectionProjectServices::IsValidFileName(std::string_view path) {
  return zelvan::IsValidFileName(path);
}

void ConnectionProjectServices::SendIdeCommand(int command) {
  connection_.SendCommand(command);
}

bool ConnectionProjectServices::ReplaceWorkspaceProject(std::string_view old_project_file,
                                                        std::string_view new_project_file,
                                                        std::string* error) {
  IKovaWorkspace* workspace = connection_.Workspace();
  if (workspace == nullptr) return true;
  ScopedBstr old_file(old_project_file);
  ScopedBstr new_file(new_project_file);
  if (workspace->ReplaceProject(old_file.Get(), new_file.Get()) == S_OK) return true;
  *error = "the IDE did not take the project's new name into its workspace";
  return false;
}

bool ConnectionProjectServices::RemoveWorkspaceProject(std::string_view project_file,
                                                       std::string* error) {
  IKovaWorkspace* workspace = connection_.Workspace();
  if (workspace == nullptr) return true;
  ScopedBstr file(project_file);
  if (workspace->RemoveProject(file.Get()) == S_OK) return true;
  *error = "the IDE did not take the project out of its workspace";
  return false;
}

std::vector<std::string> ConnectionProjectServices::WorkspaceStateFiles() {
  std::vector<std::string> files;
  IKovaWorkspace* workspace = connection_.Workspace();
  if (workspace == nullptr) return files;
  VARIANT list;
  VariantInit(&list);
  if (workspace->GetRecordFiles(&list) == S_OK) StringsFromVariant(list, &files);
  VariantClear(&list);
  return files;
}

}  // namespace zelvan

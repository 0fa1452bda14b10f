// The project commands' services (projects/project_services.h) for the
// component: the busy flag and the commands of the IDE connection, the
// service's file-name check, and the IDE (through its workspace object)
// as the keeper of the workspace's record. The headless host can stand in
// for the IDE there, keeping the record in its workspace file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "projects/project_services.h"

namespace zelvan {

class IdeConnection;
class IdeServices;

class ConnectionProjectServices : public ProjectServices {
 public:
  // `connection` may be null (never busy, commands go nowhere); both must
  // outlive the services.
  ConnectionProjectServices(IdeConnection* connection, IdeServices& ide)
      : connection_(connection), ide_(ide) {}

  bool IsBusy() override;
  bool IsValidFileName(std::string_view path) override;
  void SendIdeCommand(int command) override;
  bool ReplaceWorkspaceProject(std::string_view old_project_file, std::string_view new_project_file,
                               std::string* error) override;
  bool RemoveWorkspaceProject(std::string_view project_file, std::string* error) override;
  std::vector<std::string> WorkspaceStateFiles() override;

 private:
  IdeConnection* connection_;
  IdeServices& ide_;
};

}  // namespace zelvan

// The project commands' services (projects/project_services.h) for the
// component: the busy flag and the commands of the IDE connection, the
// service's file-name check, and the IDE's workspace object as the keeper
// of the workspace's record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "projects/project_services.h"

namespace zelvan {

class IdeConnection;

class ConnectionProjectServices final : public ProjectServices {
 public:
  // `connection` must outlive the services.
  explicit ConnectionProjectServices(IdeConnection& connection) : connection_(connection) {}

  bool IsBusy() override;
  bool IsValidFileName(std::string_view path) override;
  void SendIdeCommand(int command) override;
  // Without a connected IDE there is no record to keep in step: the
  // changes succeed with nothing to do.
  bool ReplaceWorkspaceProject(std::string_view old_project_file, std::string_view new_project_file,
                               std::string* error) override;
  bool RemoveWorkspaceProject(std::string_view project_file, std::string* error) override;
  std::vector<std::string> WorkspaceStateFiles() override;

 private:
  IdeConnection& connection_;
};

}  // namespace zelvan

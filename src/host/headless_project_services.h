// The project commands' services (projects/project_services.h) for the
// headless host: the busy flag and IDE commands of the service's
// connection, the service's file-name check, and the host's workspace file
// (.kws) and settings file (.kwa) as the record of the workspace.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "projects/project_services.h"

namespace zelvan {

class HeadlessHost;
class IdeConnection;

class HeadlessProjectServices final : public ProjectServices {
 public:
  // `connection` may be null (never busy, commands go nowhere); both must
  // outlive the services.
  HeadlessProjectServices(HeadlessHost& host, IdeConnection* connection)
      : host_(host), connection_(connection) {}

  bool IsBusy() override;
  bool IsValidFileName(std::string_view path) override;
  void SendIdeCommand(int command) override;
  bool ReplaceWorkspaceProject(std::string_view old_project_file, std::string_view new_project_file,
                               std::string* error) override;
  bool RemoveWorkspaceProject(std::string_view project_file, std::string* error) override;
  std::vector<std::string> WorkspaceStateFiles() override;

 private:
  HeadlessHost& host_;
  IdeConnection* connection_;
};

}  // namespace zelvan

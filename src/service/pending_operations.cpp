#include "service/pending_operations.h"

#include "model/project_data.h"
#include "model/status_codes.h"

namespace zelvan::pending {
namespace {

bool Pending(CProjectData& workspace, std::string_view operation) {
  workspace.SetStatus(kStatusOperationPending, kMsgOperationPending, {operation});
  return false;
}

}  // namespace

bool FunctionDatabaseRequest(CProjectData& workspace, int, PVOID) {
  return Pending(workspace, "The function database");
}
bool FunctionDatabaseRefresh(CProjectData& workspace) {
  return Pending(workspace, "The function database");
}
bool CustomBuildStep(CProjectData& workspace, LONG, const std::string&, const std::string&,
                     const std::string&, const std::string&, std::vector<std::string>*) {
  return Pending(workspace, "Custom build steps");
}
bool CustomBuildSettings(CProjectData& workspace, const std::string&, const std::string&,
                         const VARIANT&, const VARIANT&) {
  return Pending(workspace, "Custom build steps");
}
bool SaveMakefile(CProjectData& workspace, const std::string&) {
  return Pending(workspace, "SaveMakefile");
}
bool WriteMakefileOfProject(CProjectData& workspace, COneProjectData&, LONG) {
  return Pending(workspace, "WriteMakefileOfProject");
}
bool GetIncludePaths(CProjectData& workspace, LONG, const std::string&, const std::string&,
                     std::vector<std::string>*) {
  return Pending(workspace, "GetIncludePaths");
}
bool ProjectInfo(CProjectData& workspace, LONG kind, COneProjectData&, const std::string&,
                 std::string*) {
  return Pending(workspace, kind == 24 ? "The memory model" : "The makefile generator");
}
bool CreateProject(CProjectData& workspace, int, VARIANT* const (&)[4], std::string*,
                   std::string*) {
  return Pending(workspace, "CreateProject");
}
bool ProjectCommand(CProjectData& workspace, int, const std::string&, const VARIANT&) {
  return Pending(workspace, "Project commands");
}
bool GetSectionsValue(CProjectData& workspace, const std::string&, const std::string&,
                      const std::string&, std::string*) {
  return Pending(workspace, "GetSectionsValue");
}
bool GetOuterValue(CProjectData& workspace, const std::string&, const std::string&, std::string*) {
  return Pending(workspace, "GetOuterValue");
}
bool CopyProject(CProjectData& workspace, COneProjectData&) {
  return Pending(workspace, "CopyProject");
}
bool RenameProject(CProjectData& workspace, COneProjectData&, const std::string&) {
  return Pending(workspace, "RenameProject");
}

}  // namespace zelvan::pending

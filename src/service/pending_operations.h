// Operations that the service's methods reach but that other parts of the
// service carry out: makefiles, the function database, link command files,
// new projects, copy and rename. A method unpacks its arguments and calls
// the operation here; until the part is in the build, each operation
// leaves kStatusOperationPending (with its own name) on the workspace and
// fails, so the method answers S_FALSE. Wiring a part in replaces the call.
#pragma once

#include <string>
#include <vector>

#include "platform/com_types.h"
#include "platform/variant.h"

namespace zelvan {

class COneProjectData;
class CProjectData;

namespace pending {

// Service 10, 11 (modes 0 and 1) and 24 (mode 2): a function-database
// request record; null when a script made the call.
bool FunctionDatabaseRequest(CProjectData& workspace, int mode, PVOID request);
// Service 62.
bool FunctionDatabaseRefresh(CProjectData& workspace);
// Service 15 and 56: custom build steps and build events of a file or project.
bool CustomBuildStep(CProjectData& workspace, LONG kind, const std::string& project,
                     const std::string& target, const std::string& file, const std::string& text,
                     std::vector<std::string>* answers);
bool CustomBuildSettings(CProjectData& workspace, const std::string& project,
                         const std::string& target, const VARIANT& a, const VARIANT& b);
// Service 21 and Project 21: the KMAKE makefile of the active project
// (`makefile` empty: beside the project file).
bool SaveMakefile(CProjectData& workspace, const std::string& makefile);
// Project 9.
bool WriteMakefileOfProject(CProjectData& workspace, COneProjectData& project, LONG mode);
// Service 34.
bool GetIncludePaths(CProjectData& workspace, LONG kind, const std::string& project,
                     const std::string& target, std::vector<std::string>* paths);
// GetProjectInfo kinds 24 (memory models), 100 and 103 (makefile paths),
// 107 (the "_FALTMP_" directory), 130 to 132 (rule texts) and 133 (the
// GNU-format makefile).
bool ProjectInfo(CProjectData& workspace, LONG kind, COneProjectData& project,
                 const std::string& value, std::string* text);
// Service 37 to 39: a new project; the count as "%d" text.
bool CreateProject(CProjectData& workspace, int variant, VARIANT* const (&args)[4],
                   std::string* count, std::string* result);
// Project 31 to 33.
bool ProjectCommand(CProjectData& workspace, int slot, const std::string& command,
                    const VARIANT& arguments);
// Service 83 and 84: numbers of a link command file.
bool GetSectionsValue(CProjectData& workspace, const std::string& project,
                      const std::string& target, const std::string& symbol, std::string* value);
bool GetOuterValue(CProjectData& workspace, const std::string& link_file, const std::string& symbol,
                   std::string* value);
// Service 86 and 87.
bool CopyProject(CProjectData& workspace, COneProjectData& project);
bool RenameProject(CProjectData& workspace, COneProjectData& project, const std::string& new_name);

}  // namespace pending
}  // namespace zelvan

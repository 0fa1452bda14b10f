// The one operation a method of the service reaches that the service does
// not have yet: the GNU-format makefile of a project (GetProjectInfo kind
// 133). It leaves kStatusOperationPending on the workspace and fails, so the
// method answers S_FALSE; wiring it in replaces the call.
#pragma once

#include <string>
#include <string_view>

namespace zelvan {

class COneProjectData;
class CProjectData;

namespace pending {

bool GnuMakefile(CProjectData& workspace, COneProjectData& project, std::string_view value,
                 std::string* text);

}  // namespace pending
}  // namespace zelvan

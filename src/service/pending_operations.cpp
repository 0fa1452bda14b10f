#include "service/pending_operations.h"

#include "model/project_data.h"
#include "model/status_codes.h"

namespace zelvan::pending {

bool GnuMakefile(CProjectData& workspace, COneProjectData&, std::string_view, std::string* text) {
  text->clear();
  workspace.SetStatus(kStatusOperationPending, kMsgOperationPending, {"The GNU-format makefile"});
  return false;
}

}  // namespace zelvan::pending

// What the files of the service object share.
#pragma once

#include <string>

#include "com/com_types.h"

namespace zelvan {

class Project;
class Workspace;

// Null, with the status set, when the project or target is unknown.
Project* FindProjectAndTarget(Workspace& ws, BSTR project, BSTR target, std::string* target_name);

}  // namespace zelvan

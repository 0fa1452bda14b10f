#include "makefile/make_state.h"

#include "model/project.h"
#include "platform/file_system.h"

namespace zelvan {

void MakeStateHooks::MakefileOutOfDate(Project& project) {
  states_.Of(project).makefile_out_of_date = true;
}

void MakeStateHooks::ProjectSaved(Project& project) {
  if (!states_.Of(project).makefile_out_of_date) return;
  FileSystem& fs = *project.platform().fs;
  fs.SetReadOnly(project.paths().temp_makefiles[0], false);
  fs.DeleteFile(project.paths().temp_makefiles[0]);
}

void MakeStateHooks::ProjectClosed(Project& project) {
  states_.Forget(project);
}

}  // namespace zelvan

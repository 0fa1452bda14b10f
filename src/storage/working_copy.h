// The working copy of a project file: a private copy in the temporary
// directory that every read and write of project settings goes to while
// the project is open; saving copies it back over the project file.
//
// Its name is "<TEMP>\KOVA\<base>_<ext>_~zv<owner>-XXXXXX" with the project
// file's base name and extension (without the dot) and the tag of the process
// that made it (TemporaryPattern of file_system.h), for example
// "C:\Temp\KOVA\app_kbp_~zv4711-93215-k3x9qa": a later process removes the
// copies of a process that was killed. TEMP comes from the environment variable
// TEMP, or TMP when that is empty; when both are empty, the project's own
// directory takes its place ("C:\work\KOVA\app_kbp_..."). The six X become a
// suffix that no existing file has.
#pragma once

#include <string>
#include <string_view>

namespace zelvan {

struct Platform;

// The name pattern (ending in "XXXXXX") of the working copy of `project_path`.
std::string WorkingCopyPattern(const Platform& platform, std::string_view project_path);

// Creates the KOVA folder when missing, copies the project file to a new
// unique name there and clears the copy's read-only attribute. False, with
// a reason in `error` and no copy left behind, when any step fails.
bool CreateWorkingCopy(const Platform& platform, std::string_view project_path,
                       std::string* working_copy, std::string* error);

}  // namespace zelvan

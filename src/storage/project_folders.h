// The folders of a project file, as the IDE's file view shows them. The
// outermost folders are listed in PROJECT/Folder; each folder is a section
// of its name that lists its sub-folders in Folder, the extensions it takes
// in FILTER and its sources in SOURCECOUNT and SOURCE0, SOURCE1, ...:
//
//   [PROJECT]
//   Folder=Sources;Headers
//   [Sources]
//   FILTER=c;asm
//   Folder=Startup
//   SOURCECOUNT=1
//   SOURCE0=src\main.c
#pragma once

#include <string>
#include <string_view>

namespace zelvan {

class PrivateProfile;

// The folder that a new file with extension `extension` goes into: the
// folders are searched depth first from the outermost ones, and the first
// whose FILTER list holds the extension (case ignored) takes it. Filter
// entries and `extension` may be written with or without a leading "." or
// "*.". False when no folder takes it. A folder met a second time (a folder
// listed as its own descendant) is not searched again.
bool FindFolderForExtension(PrivateProfile& profile, std::string_view project_file,
                            std::string_view extension, std::string* folder);

}  // namespace zelvan

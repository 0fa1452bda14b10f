// Where a project's files are: the project file, the companion files named
// after it and the parts of its path. Filled when the project opens; only
// the working copy changes afterwards (made at open, cleared when deleted).
#pragma once

#include <array>
#include <string>

namespace zelvan {

struct ProjectPaths {
  std::string project_file;   // full path of the .kbp file
  std::string relative_path;  // the project file relative to the workspace directory
  // The private copy of the project file that reads and writes go to;
  // empty while there is none.
  std::string working_copy;
  std::string dependency_file;
  std::string makefile;
  std::string ide_project_file;
  std::string archive_settings;  // the .kba file
  std::string archive;           // the archive it names, in full; empty when none
  std::string compiler_settings;
  std::string options_file;
  std::string function_database;
  // "tempmake.mak", "tempmake.falmak", "tempmakeabs.mak", "tempmakepre.mak"
  // in the project directory.
  std::array<std::string, 4> temp_makefiles;
  std::string project_directory;  // drive and directory, with the last backslash
  // The project file's path in parts.
  std::string drive, directory, base_name, extension;
  // PROJECT/OUTPUT: the output file, which names the project in the workspace.
  std::string output_name;
};

}  // namespace zelvan

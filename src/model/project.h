// One project of the workspace: its files, its build targets and the
// per-target settings that makefile generation and the IDE's dialogs read
// and change.
//
// While the workspace is open every read and write of project settings goes
// to the project's working copy, a private copy of the project file in the
// temporary directory; the project file itself changes only when the project
// is saved, by copying the working copy over it. Destroying the project
// deletes the working copy, which discards unsaved changes.
//
// Project file (profile syntax, CR LF line ends), the parts read here:
//
//   [PROJECT]
//   OUTPUT=Motor.abs            output file; identifies the project in the workspace
//   CPU=MX-520                  CPU and CPU family
//   CPUFAMILY=MX-520
//   TARGET=Debug;Release;       build targets in order (empty pieces skipped)
//   Folder=Sources;Headers;     outermost folders
//   LinkProject=MathLib.lib;    link list of an earlier layout (read when the
//                               workspace settings hold none; removed on save)
//   [Sources]                   a folder section
//   FILTER=c;asm                extensions that go into this folder
//   Folder=Startup;             sub-folders
//   SOURCECOUNT=2
//   SOURCE0=main.c              paths relative to the project directory
//   SOURCE1=..\common\util.c
//   [PROJECT!MACRO!Debug]       one section per target; keys below
//   ProjectCompile=-g -I..\include
//   DefaultCompile=-g
//   OUTPUT=.\Debug
//   DefaultLink=-o .\Debug\Motor.abs
//
// Per-target values of a folder stand in the section "<target>!<folder>",
// those of a source file in "<target>!<relative path>" (source_file.h).
//
// The project composes its parts, each with one job: where its files are
// (ProjectPaths), the working copy and saving (ProjectStore), the build
// targets and their settings (ProjectTargets, project_targets.h), the
// folders and source files (ProjectSources, project_sources.h) and the link
// list (ProjectLinks).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/project_environment.h"
#include "model/project_links.h"
#include "model/project_paths.h"
#include "model/project_sources.h"
#include "model/project_store.h"
#include "model/project_targets.h"
#include "platform/platform.h"

namespace zelvan {

class CpuTable;
class LanguageTable;

class Project {
 public:
  // `project_file` is the full path of the .kbp file, `relative_path` its
  // path relative to the workspace directory. Nothing is read or made until
  // Open. `environment` (kept, not copied) serves the project's source files;
  // without one the project uses the fixed language tables and nothing else.
  Project(const Platform& platform, std::string project_file, std::string relative_path,
          const ProjectEnvironment* environment = nullptr);
  // Deletes the working copy; tells the hooks (ProjectClosed).
  ~Project();
  Project(const Project&) = delete;
  Project& operator=(const Project&) = delete;

  // Reads the project's identity from the project file and makes the
  // working copy. False, with a reason in `error` and no working copy left,
  // when the working copy cannot be made.
  bool Open(std::string* error);
  // While the workspace opens, from the whole working copy (store().LoadWholeFile):
  // the link list of the earlier layout, the folders and their sources, and
  // the source files with their settings of every target.
  void LoadSettings();

  const Platform& platform() const { return platform_; }
  const ProjectEnvironment& Environment() const { return *environment_; }

  const ProjectPaths& paths() const { return paths_; }
  ProjectStore& store() { return store_; }
  const ProjectStore& store() const { return store_; }
  ProjectTargets& targets() { return targets_; }
  const ProjectTargets& targets() const { return targets_; }
  ProjectSources& sources() { return sources_; }
  const ProjectSources& sources() const { return sources_; }
  ProjectLinks& links() { return links_; }
  const ProjectLinks& links() const { return links_; }

  const std::string& Cpu() const { return cpu_; }
  const std::string& CpuFamily() const { return cpu_family_; }
  bool IsLibrary() const { return is_library_; }

  // --- System directories of the project's CPU, as make variable lines.

  // "SysLibraryPath=" followed by " -L <dir>" for each library directory of
  // the CPU, and two line feeds; empty when the CPU has none. A directory
  // holding a blank is given in its short form, and left out when the system
  // has none. False for a CPU that `cpus` does not know (the text is empty).
  bool GetSystemLibraryOption(const CpuTable& cpus, std::string* text);
  // The same with " -I " and "SysIncludePath" for the include directories.
  bool GetSystemIncludeOption(const CpuTable& cpus, std::string* text);

  // Saves the source files' data (the hooks' SaveSourceFileData), then the
  // working copy (ProjectStore::Save), then tells the hooks (ProjectSaved:
  // the makefile layer drops an out-of-date "tempmake.mak"). False when
  // anything was not written;
  // store().SaveFailures() says what.
  bool Save();

 private:
  // PROJECT keys of the project file itself, read before the working copy exists.
  std::string ReadProjectFileKey(std::string_view key) const;
  std::string SystemDirectoryOption(const std::vector<std::string>& dirs, const char* variable,
                                    const char* option);

  Platform platform_;
  const ProjectEnvironment* environment_;
  // The environment of a project made without one.
  std::unique_ptr<LanguageTable> own_languages_;
  ProjectEnvironment own_environment_;
  ProjectPaths paths_;
  ProjectStore store_;
  ProjectTargets targets_;
  ProjectSources sources_;
  ProjectLinks links_;
  std::string cpu_, cpu_family_;
  bool is_library_ = false;
};

}  // namespace zelvan

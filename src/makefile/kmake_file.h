// The KMAKE makefile of a project: one block per build target, chosen by
// the make variable CFG, which the IDE's build runner runs KMAKE on.
//
//   #
//   # KOVA Generated KMAKE File, based on Motor.kbp
//   #
//   ifeq($(CFG),Debug)
//   DefaultTEMP=.\Debug\obj        variables, search paths, INCS, OBJS,
//   ...                            LIBS, LCF, IDE macros
//   all : link "$(OUTPUT)\Motor.abs"
//   link :                         the projects it links, each by its own makefile
//   	cd C:\work\MathLib\&&kmake $(MAKEFLAGS) -f C:\work\MathLib\MathLib.mak
//   ...                            convert, link and compile rules
//   Clean :                        below 30 files, or when asked for
//   	rm C:\work\Motor\Debug\obj\main.rel
//
//   endif
//
// In the body every "#" is written "'#" (KMAKE's plain "#"). The text is
// built whole in memory and written in one piece with CR LF line ends, so
// a stopped or failed generation leaves the old makefile as it was.
//
// The operations report failure by their result, which carries the code and
// message to report (model/operation_status.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "makefile/make_mode.h"
#include "model/workspace.h"
#include "platform/status.h"

namespace zelvan {

class CpuTable;
class MakeStateStore;
class Project;
struct OutputPlan;

// The blocks of one project: all its targets, or `target` alone (the
// project's first target when it has no such target). `force_clean` writes
// the Clean section whatever the number of files. The folders the rules
// name and the librarian command file go to `plan` (ApplyOutputPlan writes
// them); null when the text is only looked at. False, and `text` empty,
// when a stop was requested.
bool GenerateKmakeText(Workspace& workspace, MakeStateStore& states, Project& project,
                       const CpuTable* cpus, MakeMode mode, std::optional<std::string_view> target,
                       bool force_clean, std::string* text, OutputPlan* plan);

// The makefile names: the active project's path with the extension "mak"
// (empty when it has no extension), and a project's own ("<project>.mak").
std::string DefaultMakefileName(const Workspace& workspace);

// Generates the makefile of the project whose project file is
// `project_file` into `makefile` (empty: the default name; nullopt: an
// argument of another type). Fails with kStatusNoWorkspace, with
// kStatusProjectNotFound, without status for no makefile name or a stop,
// and with kStatusMakefileNotWritten. Success clears the project's
// makefile-out-of-date mark.
Status GenerateKmakeFile(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                         ArgText makefile, std::string_view project_file, MakeMode mode,
                         std::optional<std::string_view> target, bool force_clean);

// The active project's makefile, all targets, NormalMode.
Status SaveMakefile(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                    ArgText makefile);

// The makefile of a project by its file and its name, in the mode that
// `mode_text` gives ("0", "1" or "2"), to the project's own name, which
// `makefile` receives. Empty texts or a mode that is none of these give
// kStatusBadArgument; a name that is no project of the workspace, or a
// project file of another project, kStatusProjectNotFound.
Status WriteMakefileOfProject(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                              std::string_view project_file, std::string_view project_name,
                              std::string_view mode_text, std::string* makefile);

// Whether the build makefile of a project must be made again: in FalMode,
// when the project's settings changed since (the out-of-date mark), and
// when `makefile` is missing or older than the working copy or the
// dependency file. Clears the read-only attribute of the makefile and of
// the librarian command file first.
bool MakefileNeedsUpdate(MakeStateStore& states, Project& project, MakeMode mode,
                         std::string_view makefile);

// The makefile the build runner runs for one target: "tempmake.mak" (in
// FalMode "tempmake.falmak") in the project directory, made again only when
// MakefileNeedsUpdate. `project` is a project name or project file; an
// empty text or an unknown project gives kStatusBadArgument.
Status PrepareBuildMakefile(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                            std::string_view project, std::string_view target, MakeMode mode,
                            bool force_clean, std::string* makefile, bool* regenerated = nullptr);

// Saving the workspace with makefile export on: the project's own
// makefile, all targets, Clean forced; SubProjectMode when
// `without_dependencies` (the projects it links are not made by it), else
// NormalMode.
Status WriteMakefileForSave(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                            Project& project, bool without_dependencies);

// Whether the project's own makefile holds what `zelvan makefile` would
// write now (NormalMode, all targets); a missing file does not. Writes
// nothing. False when a stop was requested.
bool IsKmakeFileCurrent(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                        Project& project, bool* current);

// A project by project file, name or output name; null when none.
Project* FindProjectByNameOrFile(Workspace& workspace, std::string_view project);

}  // namespace zelvan

// The GNU-format makefile of a project: the project and the projects it
// links, all in one file, one block per build target chosen by CFG. Each
// project of the list has a number (the linked ones first, in the order
// the project names them, the project itself last), and every variable of
// a project carries its number.
//
//   #
//   # KOVA Generated GNU Format makefile, based on Motor.KBP
//   #
//   ifeq ($(CFG),Debug)
//   TEMP1=./Debug/obj              project 1 (MathLib): its variables
//   OUTPUT1=./Debug
//   CC1=cc520
//   ...
//   OBJS1=$(TEMP1)\fixmath.rel\     (entries joined by "\" and a line feed)
//   $(TEMP1)\filter.rel
//   ...
//   TEMP2=./Debug/obj              project 2 (Motor)
//   ...
//   all:\                          (each project on a line of its own)
//   Debug/MathLib.lib\                  (the linked project first)
//   prebuild2 Debug/Motor.abs Debug/Motor.h16
//
//   .\Debug\MathLib.lib : $(OBJS1) $(LIBS1)
//   	$(AR1) -f.\MathLib.klo
//   ...                            the rules of each project, in order
//   Clean1 :
//   	rm C:\work\MathLib\Debug\obj\fixmath.rel
//   ...
//   endif
//
// The numbered names are the fixed list of kNumberedVariables; a
// reference to any other name (such as $(OUTPUT) in an option) stays as
// written. OUTPUT<i>, which the link rule of an executable names, is
// defined beside TEMP<i>.
//
// The host form (`host_paths`) is the same makefile for this machine's GNU
// make (see host_make_text.h): every file by its full host path, escaped
// for make where a rule names it and one quoted shell word where a command
// does (source, object and the link's files too, not "$<", "$@" or
// "$(OBJS)"), the tools by the files the CPU family's executable
// directories hold, every command run in its project's directory
// ("cd $(ProjDir<i>) && ..."), the option "-$" written "-$$", Clean with
// "rm -f" and each file a word of its own. So that a real make builds right
// and incrementally: each object depends on the record of the commands
// that make it ("<object>.cmd", rewritten only when they change), the
// link rule of a project waits for the modules of the projects it links,
// each target has its own librarian command file ("<project>.<target>.klo":
// one makefile holds every target), every header a rule names has an empty
// rule of its own (as "gcc -MP" writes), and a library or link command file
// that is not there and that no rule makes is no prerequisite: a file gone
// never stops make.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/workspace.h"
#include "platform/status.h"

namespace zelvan {

class CpuTable;
class MakeStateStore;
class Project;
struct OutputPlan;

// The variables whose definitions and references get the project's number.
inline constexpr std::array<std::string_view, 41> kNumberedVariables = {"TEMP",
                                                                        "CC",
                                                                        "CCL",
                                                                        "AS",
                                                                        "MAC",
                                                                        "APP",
                                                                        "AR",
                                                                        "LINK",
                                                                        "CONV",
                                                                        "FAL",
                                                                        "KUAPP",
                                                                        "KUMPL",
                                                                        "SysIncludePath",
                                                                        "SysLibraryPath",
                                                                        "INCS",
                                                                        "OBJS",
                                                                        "LIBS",
                                                                        "LCF",
                                                                        "WkspDir",
                                                                        "WkspName",
                                                                        "ProjDir",
                                                                        "ProjName",
                                                                        "TargetPath",
                                                                        "TargetDir",
                                                                        "TargetName",
                                                                        "InputPath",
                                                                        "InputDir",
                                                                        "InputName",
                                                                        "OutDir",
                                                                        "TmpDir",
                                                                        "IntDir",
                                                                        "CC_Opt_All",
                                                                        "CC_Def_Macro",
                                                                        "CC_Undef_Macro",
                                                                        "CC_Inc_Path",
                                                                        "Lnk_Opt_All",
                                                                        "Lnk_ObjLib_Name",
                                                                        "Lnk_Ref_Symbol",
                                                                        "Lnk_Search_Path",
                                                                        "Cvt_Opt_All",
                                                                        "Cvt_fillComment"};

// `text` with every "$(NAME)" of the list written "$(NAME<number>)", and
// every line that defines one ("NAME=...") defining "NAME<number>".
std::string NumberMakeVariables(std::string_view text, int number);
void AppendNumbered(std::string_view text, int number, std::string* out);
// The same for a piece of a text: `line_start` says whether it starts a
// line (a definition may start it). A piece must not begin or end inside a
// "$(NAME)" or "$$".
void AppendNumberedPiece(std::string_view text, int number, bool line_start, std::string* out);

// The projects of the makefile: the linked projects that the workspace has
// (by output name or title, each once), then the project; with `alone` the
// project only.
std::vector<Project*> GnuProjectList(Workspace& workspace, Project& project, bool alone);

struct GnuMakefileOptions {
  bool alone = false;
  bool host_paths = false;
  // Where the folders, command records and librarian command files of the
  // host form go (ApplyOutputPlan writes them); null when the text is only
  // looked at.
  OutputPlan* plan = nullptr;
  // Where the host form puts the first host path that a rule cannot name
  // (MakeCanName), or nothing; WriteGnuMakefile then writes no file.
  std::string* unnamable = nullptr;
  // The target whose command records and librarian command file the host
  // form writes (the one a build makes); empty: every target's.
  std::string records_target;
};

// The whole text, every target of the project. A linked project without
// the target has no part in that target's block.
void GenerateGnuMakefileText(Workspace& workspace, MakeStateStore& states, Project& project,
                             const CpuTable* cpus, const GnuMakefileOptions& options,
                             std::string* text);

// Writes the text to `path` in one piece (the host form with line feeds,
// the stored form in text mode, CR LF). A file that cannot be written, or
// a host form with a path that make cannot name, fails with
// kStatusMakefileNotWritten; the old file stays whole.
Status WriteGnuMakefile(Workspace& workspace, MakeStateStore& states, Project& project,
                        const CpuTable* cpus, const GnuMakefileOptions& options,
                        std::string_view path);

// What the component runs for the GNU makefile of a project: `alone_text`
// is read as an integer, non-zero meaning the project alone; the file is
// the project's own makefile ("<project>.mak"), in the stored form.
// Fails with kStatusMakefileNotWritten when the file cannot be written.
Status GenerateGnuMakefile(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                           Project& project, std::string_view alone_text);

}  // namespace zelvan

// Custom build steps and build events in a makefile block, and the two
// small makefiles the IDE runs on their own: the pre-build makefile
// ("tempmakepre.mak": the before-build commands) and the convert makefile
// ("tempmakeabs.mak": the convert command).
//
// A file with a custom build step gets a rule of its own instead of its
// compile rule, after the block of macros its commands may name:
//
//   IntDir=.\Debug\obj
//   InputPath=tables.def
//   InputDir=.
//   InputName=tables
//   OutDir=.\Debug\obj
//   OutName=
//
//   ".\Debug\obj\tables.c" : tables.def
//   	echo Generating tables
//   	echo gentab $(InputPath) $(IntDir)\tables.c
//   	gentab $(InputPath) $(IntDir)\tables.c
//
// Commands are written as stored; make expands their $(NAME) references
// with the variables of the block. Outputs are substituted here, with the
// file's macros first and the project's second.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class CpuTable;
class MakeStateStore;
class Project;
class Workspace;
class MakeContext;
struct BuildStep;
struct FileState;
struct OutputPlan;

// The commands of an event, its title echoed first; nothing when it has
// no command.
void BuildEventCommands(const BuildStep& step, std::string* out);
// IntDir, InputPath, InputDir, InputName, OutDir and OutName of a file.
void BuildFileMacroBlock(MakeContext& context, const FileState& state, std::string* out);
void BuildCustomBuildRule(MakeContext& context, const FileState& state, std::string* out);
// The project custom build outputs, substituted with the project's macros
// (a directory that an output without "$" names is made).
std::vector<std::string> ProjectCBuildOutputs(MakeContext& context);
// Quote mode 1: `"output" ` each; other modes: joined by blanks.
void GetProjectCBuildOutputText(MakeContext& context, int quote_mode, std::string* text);
// Runs after the link; nothing when one of its outputs feeds a file of the
// project (that file's rule makes it then).
void BuildProjectCustomBuildRule(MakeContext& context, std::string* out);

// The text of the pre-build and convert makefiles for `target` (the
// project's first target when it has no such target). The convert
// makefile is false for a library project. The folders their rules name
// go to `plan`.
bool BuildPreBuildMakefileText(Workspace& workspace, MakeStateStore& states, Project& project,
                               const CpuTable* cpus, std::string_view target, std::string* text,
                               OutputPlan* plan);
bool BuildConversionMakefileText(Workspace& workspace, MakeStateStore& states, Project& project,
                                 const CpuTable* cpus, std::string_view target, std::string* text,
                                 OutputPlan* plan);
// Write them to "tempmakepre.mak" and "tempmakeabs.mak" in the project
// directory and give the path; false when there is nothing to write or the
// file cannot be written.
bool WritePreBuildMakefile(Workspace& workspace, MakeStateStore& states, Project& project,
                           const CpuTable* cpus, std::string_view target, std::string* path);
bool WriteConversionMakefile(Workspace& workspace, MakeStateStore& states, Project& project,
                             const CpuTable* cpus, std::string_view target, std::string* path);

}  // namespace zelvan

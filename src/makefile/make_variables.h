// The variables of a makefile block: the fixed keys of the target with the
// tool lines of the CPU family, the system search paths, INCS, OBJS, LIBS,
// LCF, and the block of IDE macros. Each appends its text to `out`.
//
//   DefaultTEMP=.\Debug\obj        the target's keys as stored
//   ...
//   TARGET_NAME=Motor.abs
//   CC=cc520                       the TOOLS lines of the CPU family
//   ...
//   SysIncludePath= -I K:\Shared\include
//   INCS= \                        each path on a continuation line
//   motor.h
//   OBJS= \                        the objects
//   "$(TEMP)\main.rel"
//   LCF=C:\work\Motor\Motor.lcf
//   WkspDir=C:\work                the IDE macros, which custom build
//   ...                            steps and events may name
#pragma once

#include <string>
#include <vector>

namespace zelvan {

class MakeContext;

// The first text of a block. Its lines are added to the project macro table.
void BuildVariableBlock(MakeContext& context, std::string* out);
// "SysLibraryPath= -L dir ..." and "SysIncludePath= -I dir ..." with two
// line feeds, or nothing when the CPU family has no such directory.
void BuildSysLibraryPath(MakeContext& context, std::string* out);
void BuildSysIncludePath(MakeContext& context, std::string* out);
// The relative paths of the header files, and of the built files that the
// link takes as they are (libraries and objects that are no link command file).
void CollectHeaderFiles(MakeContext& context, std::vector<std::string>* list);
void CollectLibraryFiles(MakeContext& context, std::vector<std::string>* list);
// "<name>=", each path on a continuation line, two line feeds.
void BuildFileListVariable(MakeContext& context, const char* name,
                           const std::vector<std::string>& paths, std::string* out);
// OBJS: the object of every built file that a tool compiles.
void BuildObjectList(MakeContext& context, std::string* out);
// The full path of the first link command file the target uses; empty when none.
std::string FindLinkCommandFile(MakeContext& context);
void BuildLcfVariable(MakeContext& context, std::string* out);
// WkspDir ... IntDir, then the option variables CC_Opt_All ... Cvt_fillComment.
void BuildIdeMacroBlock(MakeContext& context, std::string* out);

}  // namespace zelvan

// The rules of a makefile block that make the target itself: "all", the
// link rule of an executable, the library rule with its librarian command
// file, the FAL link step, the convert rule and the Clean lines. Each
// appends its text to `out`.
//
//   all : "$(OUTPUT)\Motor.abs" "Debug\Motor.h16"
//
//   $(OUTPUT)\Motor.abs : $(OBJS) $(LIBS) $(LCF)
//   	$(LINK) -g -$ $(SysLibraryPath) $(OBJS) $(LIBS)  $(LCF)  -o $@
//
// The librarian command file (the project file's name with the extension
// "klo", CR LF line ends) lists what the librarian takes, one item a line:
//
//   -r
//   Debug\MathLib.lib
//   .\Debug\obj\fixmath.rel
#pragma once

#include <string>

namespace zelvan {

class Project;
class MakeContext;
struct FileState;

// What the block makes: "$(TARGET)" in FalMode; the library path of a
// library; the "-o" file of the link options; else $(OUTPUT)\<module>.
// With `quote` in double quotes.
std::string GetTargetPath(const MakeContext& context, bool quote);
// LibraryOutput, else the output directory and the project's output name.
std::string GetLibraryPath(const MakeContext& context);
// The full path of the converter's output; false when the target has no
// conversion (a library, or no convert options).
bool GetConvertOutput(const MakeContext& context, std::string* path);

// The link options (" -$" added when they lack it) split into the option
// words and the object and library names; the words get the map file of a
// listing and " $(SysLibraryPath)". The module directory is made.
void BuildLinkWords(MakeContext& context, std::string* words, std::string* names);

void BuildAllRule(MakeContext& context, std::string* out);
// The link rule of an executable or the library rule of a library, then
// the project custom build rule (not in FalMode).
void BuildLinkRule(MakeContext& context, std::string* out);
void BuildConvertCommand(const MakeContext& context, std::string* out);
void BuildConvertRule(const MakeContext& context, std::string* out);
// The lines under "Clean :": the files each source leaves, and the project
// custom build outputs.
void BuildCleanLines(MakeContext& context, std::string* out);
void BuildCleanLine(MakeContext& context, const FileState& state, std::string* out);
// FalMode: moves the file's ".fal" file to its TEMP directory.
void BuildFalStep(MakeContext& context, const FileState& state, std::string* out);

std::string LibrarianCommandFilePath(const Project& project);
std::string BuildLibrarianCommandText(MakeContext& context);
// Writes the librarian command file (a file that cannot be written is left
// for the librarian to report) and gives the librarian's argument for it,
// ".\<name>".
void WriteLibrarianCommandFile(MakeContext& context, std::string* argument);

}  // namespace zelvan

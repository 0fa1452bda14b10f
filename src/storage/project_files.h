// The files of a workspace and of a project: their names, and the sections
// and keys the system reads and writes in them. Every one of them is a
// profile file.
//
// A project's companion files are named by replacing the extension of its
// project file (drive, directory and base name kept):
//
//   app.kbp   project file: section PROJECT, one section per target
//             ("PROJECT!MACRO!" + target), one per folder
//   app.kpr   the IDE's own record of the project
//   app.kpa   the IDE's project settings: PROJECT/LCFOPEN
//   app.kde   dependency file: SYSTEM/SORT and one section per source
//   app.mak   the KMAKE makefile
//   app.kba   archive settings: Arcive/ArcivePath
//   app.KCC   compiler settings
//   app.kop   project options
//   app.kfv   function database
//
// A project file:
//
//   [PROJECT]
//   OUTPUT=app.abs
//   CPU=MX-520
//   CPUFAMILY=MX-520
//   TARGET=Debug;Release
//   Folder=Sources;Headers
//   [Sources]
//   SOURCECOUNT=1
//   SOURCE0=src\main.c
//   FILTER=c;asm
//   [PROJECT!MACRO!Debug]
//   ...
//
// Beside the workspace file (.kws, the IDE's own) the system keeps the
// workspace options (.kop: sections OpenProjectFolder and
// OpenProjectExpand, keyed by the project's path relative to the workspace)
// and has the IDE keep the workspace settings (.kwa: section Builder).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class FileReader;

// Extensions, without the dot, as the system writes them; they are compared
// without regard to case.
inline constexpr std::string_view kProjectExtension = "kbp";
inline constexpr std::string_view kIdeProjectExtension = "kpr";
inline constexpr std::string_view kIdeSettingsExtension = "kpa";
inline constexpr std::string_view kDependencyExtension = "kde";
inline constexpr std::string_view kMakefileExtension = "mak";
inline constexpr std::string_view kArchiveSettingsExtension = "kba";
inline constexpr std::string_view kCompilerSettingsExtension = "KCC";
inline constexpr std::string_view kProjectOptionsExtension = "kop";
inline constexpr std::string_view kFunctionDatabaseExtension = "kfv";
inline constexpr std::string_view kWorkspaceExtension = "kws";
inline constexpr std::string_view kWorkspaceOptionsExtension = "kop";
inline constexpr std::string_view kWorkspaceSettingsExtension = "kwa";
inline constexpr std::string_view kOldWorkspaceExtension = "kiw";
inline constexpr std::string_view kOldProjectExtension = "kip";
inline constexpr std::string_view kIgnoredProjectExtension = "bprj";

// Temporary makefiles in the project directory.
inline constexpr std::string_view kTempMakefile = "tempmake.mak";
inline constexpr std::string_view kTempFalMakefile = "tempmake.falmak";
inline constexpr std::string_view kTempAbsMakefile = "tempmakeabs.mak";
inline constexpr std::string_view kTempPreMakefile = "tempmakepre.mak";

// Project file, section PROJECT.
inline constexpr std::string_view kProjectSection = "PROJECT";
inline constexpr std::string_view kOutputKey = "OUTPUT";
inline constexpr std::string_view kCpuKey = "CPU";
inline constexpr std::string_view kCpuFamilyKey = "CPUFAMILY";
inline constexpr std::string_view kTargetKey = "TARGET";
inline constexpr std::string_view kNameKey = "Name";
inline constexpr std::string_view kLinkProjectKey = "LinkProject";
inline constexpr std::string_view kFolderKey = "Folder";
inline constexpr std::string_view kLcfOpenKey = "LCFOPEN";
// Folder sections.
inline constexpr std::string_view kSourceCountKey = "SOURCECOUNT";
inline constexpr std::string_view kSourceKeyPrefix = "SOURCE";  // "SOURCE%d"
inline constexpr std::string_view kFilterKey = "FILTER";
// Dependency file.
inline constexpr std::string_view kDependencySystemSection = "SYSTEM";
inline constexpr std::string_view kSortKey = "SORT";
// Archive settings (the names are the other component's, spelling included).
inline constexpr std::string_view kArchiveSection = "Arcive";
inline constexpr std::string_view kArchivePathKey = "ArcivePath";
inline constexpr size_t kArchivePathMax = 259;
// Workspace options and settings.
inline constexpr std::string_view kOpenProjectFolderSection = "OpenProjectFolder";
inline constexpr std::string_view kOpenProjectExpandSection = "OpenProjectExpand";
inline constexpr std::string_view kBuilderSection = "Builder";
inline constexpr std::string_view kCompositionKey = "Composition";
// Files of the older IDE generation.
inline constexpr std::string_view kSignatureSection = "SIGNATURE";
inline constexpr std::string_view kTypeKey = "TYPE";
inline constexpr std::string_view kOldWorkspaceSignature = "KOVA_WSP";
inline constexpr std::string_view kOldProjectSignature = "KOVA_PRJ";

// "SOURCE" followed by the index.
std::string SourceKey(int index);

// `path` with its extension replaced by `extension` (given without the dot;
// a leading dot is ignored). False when `path` names an existing directory
// or ends in a separator: a directory has no companion files.
bool ChangeExtension(FileReader& fs, std::string_view path, std::string_view extension,
                     std::string* result);

// Splits `text` at `;` into `items` (emptied first), dropping empty pieces.
// Returns the number of pieces examined: every piece up to the end of the
// text, empty ones included; a final `;` opens no further piece
// ("a;;b" examines 3, "a;b;" examines 2).
int SplitList(std::string_view text, std::vector<std::string>* items);

// Every item followed by `;` ("a;b;"), replacing `text`.
void JoinList(const std::vector<std::string>& items, std::string* text);

// An output name whose text after the last dot is "lib" (any case) belongs
// to a library project.
bool IsLibraryOutput(std::string_view output);

}  // namespace zelvan

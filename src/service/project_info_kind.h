// The kinds of the Service object's GetProjectInfo and SetProjectInfo
// (slots 12 and 13): the number the IDE passes picks what is read or
// changed (project_info.h tells what each answers). The numbers are the
// IDE's contract; the names are ours.
#pragma once

#include "com/com_types.h"

namespace zelvan {

enum ProjectInfoKind : LONG {
  kInfoCurrentProject = 0,         // also set: the named project becomes active
  kInfoCurrentTarget = 1,          // also set
  kInfoProjects = 2,               // every project's output name + `;`
  kInfoProjectList = 4,            // the same
  kInfoCurrentProjectName = 5,     // the same as 0, also set
  kInfoTargets = 6,                // the project's targets + `;`
  kInfoFolderFilter = 9,           // also set
  kInfoProjectValue = 16,          // a key of section PROJECT
  kInfoRenameCurrentProject = 22,  // set only
  kInfoMemoryModels = 24,
  kInfoSettingsPath = 50,  // the .kpr file
  kInfoSectionKeys = 51,
  kInfoOptionsPath = 58,  // the .kop file
  kInfoProjectMakefile = 100,
  kInfoTargetOutputDirectory = 101,
  kInfoTargetOutput = 102,
  kInfoBuildMakefile = 103,
  kInfoPreBuildMakefile = 104,
  kInfoConvertMakefile = 105,
  kInfoFalDirectory = 107,
  kInfoLcfOpen = 108,  // also set
  kInfoRelativePath = 110,
  kInfoSourceEntries = 114,
  kInfoStopRequestName = 121,  // the one kind without an open workspace
  kInfoUpdateEveryProject = 125,
  kInfoUpdateStaleOfEveryProject = 126,
  kInfoCompileRules = 130,
  kInfoLinkRule = 131,
  kInfoCleanSection = 132,
  kInfoGnuMakefile = 133,
  kInfoCpuHome = 1001,
  kInfoCpuSecondHome = 1002,
  kInfoCpuSecondHomeVariable = 1003,
  kInfoCpuTemporaryDirectory = 1006,
  kInfoCpuExecutableDirectories = 1007,
  kInfoCpuTool = 1008,
};

}  // namespace zelvan

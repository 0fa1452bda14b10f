// The per-target keys of the build events and the project custom build, in
// the section "PROJECT!MACRO!<target>" of the project file. Lists are
// counted: "<base>Count", then "<base>-0" onward (empty entries skipped).
//
//   [PROJECT!MACRO!Debug]
//   ProjectBeforeBuildTitle=Version stamp
//   ProjectBeforeBuildCommandCount=1
//   ProjectBeforeBuildCommand-0=stamp $(ProjDir)\version.h
//   ProjectBeforeLinkTitle=
//   ProjectBeforeLinkCommandCount=0
//   ProjectAfterBuildTitle=Size
//   ProjectAfterBuildCommandCount=1
//   ProjectAfterBuildCommand-0=size520 $(TargetPath)
//   ProjectCBuildComment=Packing the image
//   ProjectCBuildCommandCount=1
//   ProjectCBuildCommand-0=pack $(TargetPath) $(OutDir)\image.bin
//   ProjectCBuildOutputCount=1
//   ProjectCBuildOutput-0=$(OutDir)\image.bin
#pragma once

namespace zelvan {

inline constexpr const char* kKeyBeforeBuildTitle = "ProjectBeforeBuildTitle";
inline constexpr const char* kKeyBeforeBuildCommand = "ProjectBeforeBuildCommand";
inline constexpr const char* kKeyBeforeLinkTitle = "ProjectBeforeLinkTitle";
inline constexpr const char* kKeyBeforeLinkCommand = "ProjectBeforeLinkCommand";
inline constexpr const char* kKeyAfterBuildTitle = "ProjectAfterBuildTitle";
inline constexpr const char* kKeyAfterBuildCommand = "ProjectAfterBuildCommand";
inline constexpr const char* kKeyCBuildProjectComment = "ProjectCBuildComment";
inline constexpr const char* kKeyCBuildProjectCommand = "ProjectCBuildCommand";
inline constexpr const char* kKeyCBuildProjectOutput = "ProjectCBuildOutput";
// Objects beside their sources ("1"); the block then says SOURCE_FOLDER=1.
inline constexpr const char* kKeySourceFolder = "SourceFolder";
// The library a library target makes (empty: OUTPUT and the output name).
inline constexpr const char* kKeyLibraryOutput = "LibraryOutput";

}  // namespace zelvan

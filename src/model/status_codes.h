// Status codes and message IDs that the workspace leaves behind on failure.
//
// An operation that fails sets the workspace's LastStatus to one of the codes
// below and loads LastMessage by the message ID paired with it. The texts
// themselves are resources (message_texts.h), so another language can
// replace them; the numbers are fixed, callers and the IDE rely on them.
#pragma once

#include <cstdint>

namespace zelvan {

// LastStatus values.
inline constexpr uint32_t kStatusOk = 0;
inline constexpr uint32_t kStatusNoWorkspace = 0x40031000;         // with kMsgNoWorkspace
inline constexpr uint32_t kStatusBadArgument = 0x40030005;         // with kMsgBadArgument
inline constexpr uint32_t kStatusMakefileNotWritten = 0x40030006;  // with kMsgMakefileNotWritten
inline constexpr uint32_t kStatusProjectFileMissing = 0x40031100;  // with kMsgProjectNotFound
// The project file names no output; for target operations, the project has no targets.
inline constexpr uint32_t kStatusNoOutputOrTargets = 0x40031102;  // with kMsgNoOutputOrTargets
inline constexpr uint32_t kStatusProjectNotFound = 0x40031103;    // with kMsgProjectNotFound
inline constexpr uint32_t kStatusProjectExists = 0x40031105;      // with kMsgProjectExists
inline constexpr uint32_t kStatusLinkExists = 0x40031106;         // with kMsgLinkExists
inline constexpr uint32_t kStatusLinkMissing = 0x40031107;        // with kMsgLinkMissing
inline constexpr uint32_t kStatusTargetNotFound = 0x40031109;     // with kMsgTargetNotFound
inline constexpr uint32_t kStatusTargetExists = 0x4003110A;       // with kMsgTargetExists
inline constexpr uint32_t kStatusDependencyFailed = 0x4003110B;   // with kMsgDependencyFailed
inline constexpr uint32_t kStatusUnknownCpu = 0x4003110F;         // with kMsgCpuNameNotKnown
inline constexpr uint32_t kStatusDependencyFileFailed =
    0x40031121;  // with kMsgDependencyFileFailed
// The project path is no valid full path; the code equals its message ID.
inline constexpr uint32_t kStatusInvalidPath = 5055;  // with kMsgInvalidPath

// Codes of our own, for failures that have no code of their own above.
// The working copy of a project file could not be made.
inline constexpr uint32_t kStatusWorkingCopyFailed = 0x40031130;  // with kMsgWorkingCopyFailed
// Changes of modified projects did not reach their project files (read-only
// or failed copy); the projects keep their changes in their working copies.
inline constexpr uint32_t kStatusProjectsNotSaved =
    0x40031131;  // kMsgReadOnlyNotSaved or kMsgSaveFailed
// A file to add to a project does not exist (or is a directory).
inline constexpr uint32_t kStatusFileNotFound = 0x40031132;  // with kMsgFileNotFound
// A file to add is in the project already.
inline constexpr uint32_t kStatusFileInProject = 0x40031133;  // with kMsgFileInProject
// A file named by an operation is not in the project.
inline constexpr uint32_t kStatusFileNotInProject = 0x40031134;  // with kMsgFileNotInProject
// The project file cannot take a new file (damaged folder, unwritable working copy).
inline constexpr uint32_t kStatusFileNotAdded = 0x40031135;  // with kMsgFileNotAdded
// A per-file setting could not be changed.
inline constexpr uint32_t kStatusFileSettingFailed = 0x40031136;  // with kMsgFileSettingFailed
// A per-target setting (build events, project custom build) could not be changed.
inline constexpr uint32_t kStatusTargetSettingFailed = 0x40031137;  // with kMsgTargetSettingFailed
// Link command files: the target uses none; the file cannot be read; the
// symbol has no numeric value in it.
inline constexpr uint32_t kStatusNoLinkCommandFile = 0x40031140;  // with kMsgNoLinkCommandFile
inline constexpr uint32_t kStatusLinkCommandFileUnreadable =
    0x40031141;  // with kMsgLinkCommandFileUnreadable
inline constexpr uint32_t kStatusSymbolHasNoValue = 0x40031142;  // with kMsgSymbolHasNoValue
// The CPU's driver rejected the options.
inline constexpr uint32_t kStatusOptionsRejected = 0x40031116;  // with kMsgOptionsRejected
// An index past the end of a list.
inline constexpr uint32_t kStatusIndexOutOfRange = 0x4003111A;  // with kMsgIndexOutOfRange

// Codes of the component's methods (our own).
// The method has no operation in this service.
inline constexpr uint32_t kStatusNotAvailable = 0x40031150;  // with kMsgNotAvailable
// The IDE service the method hands on to is not connected.
inline constexpr uint32_t kStatusNotConnected = 0x40031152;  // with kMsgNotConnected
// The IDE's source control did not carry out an action.
inline constexpr uint32_t kStatusArchiveFailed = 0x40031153;  // with kMsgArchiveFailed
// A stop was requested while the method's operation ran; it wrote nothing.
inline constexpr uint32_t kStatusStopped = 0x40031154;  // with kMsgStopped

// New projects from templates: 16-bit codes, which the IDE receives as
// 0x40040000 + code. Copy and rename use their message IDs as codes.
inline constexpr uint32_t kStatusNewNoWorkspace = 4096;      // with kMsgNoWorkspace
inline constexpr uint32_t kStatusInvalidFolder = 4371;       // with kMsgInvalidPath
inline constexpr uint32_t kStatusInvalidProjectName = 4416;  // with kMsgInvalidName
inline constexpr uint32_t kStatusInvalidMemorySize = 4417;   // with kMsgInvalidMemorySize
inline constexpr uint32_t kStatusUnsupportedCpu = 4418;      // with kMsgUnsupportedCpu
inline constexpr uint32_t kStatusInvalidProjectType = 4419;  // with kMsgInvalidType
inline constexpr uint32_t kStatusDestinationExists = 4433;   // with kMsgFileExists
inline constexpr uint32_t kStatusIdeBusy = 40965;            // with kMsgIdeBusy
// Codes of our own for new, copy and rename.
inline constexpr uint32_t kStatusTemplateUnreadable = 4435;      // with kMsgTemplateUnreadable
inline constexpr uint32_t kStatusTemplateEntryRefused = 4436;    // with kMsgTemplateEntryRefused
inline constexpr uint32_t kStatusFileNotWritten = 4437;          // with kMsgFileNotWritten
inline constexpr uint32_t kStatusWorkspaceStateNotSaved = 4438;  // kMsgWorkspaceStateNotSaved
inline constexpr uint32_t kStatusTemplateMacroEndless = 4439;    // with kMsgTemplateMacroEndless

// Message string IDs.
inline constexpr unsigned kMsgSettingKindFirst = 5000;   // 5000..5002 setting-kind names
inline constexpr unsigned kMsgSettingLabelFirst = 5003;  // 5003..5005 setting-kind labels
inline constexpr unsigned kMsgText5006 = 5006;
inline constexpr unsigned kMsgText5007 = 5007;
inline constexpr unsigned kMsgSpecialExtensions = 5008;
inline constexpr unsigned kMsgText5009 = 5009;
inline constexpr unsigned kMsgCopyFailed = 5023;
inline constexpr unsigned kMsgInvalidType = 5024;
inline constexpr unsigned kMsgIdeBusy = 5025;
inline constexpr unsigned kMsgNoWorkspace = 5031;
inline constexpr unsigned kMsgProjectExists = 5034;
inline constexpr unsigned kMsgNoOutputOrTargets = 5035;
inline constexpr unsigned kMsgProjectNotFound = 5036;
inline constexpr unsigned kMsgDependencyFailed = 5037;
inline constexpr unsigned kMsgLinkExists = 5041;
inline constexpr unsigned kMsgLinkMissing = 5042;
inline constexpr unsigned kMsgTargetNotFound = 5044;
inline constexpr unsigned kMsgTargetExists = 5045;
inline constexpr unsigned kMsgCpuNameNotKnown = 5049;
inline constexpr unsigned kMsgBadArgument = 5050;
inline constexpr unsigned kMsgMakefileNotWritten = 5051;
inline constexpr unsigned kMsgFileExists = 5052;  // %s: the path
inline constexpr unsigned kMsgFileNotInProject = 5053;
inline constexpr unsigned kMsgInvalidPath = 5055;
inline constexpr unsigned kMsgFileSettingFailed = 5056;
inline constexpr unsigned kMsgOptionsRejected = 5057;
inline constexpr unsigned kMsgIndexOutOfRange = 5061;
inline constexpr unsigned kMsgLinkAddFailed = 5062;
inline constexpr unsigned kMsgLinkRemoveFailed = 5063;
inline constexpr unsigned kMsgReadOnlyNotSaved = 5064;  // %s: the project files, one a line
inline constexpr unsigned kMsgDependencyFileFailed = 5067;
inline constexpr unsigned kMsgStaleDependencies = 5069;  // %s: the sources, one a line
inline constexpr unsigned kMsgDependencyUpdateStart = 5070;
inline constexpr unsigned kMsgDependencyUpdateDone = 5071;
inline constexpr unsigned kMsgOutputPane = 5072;  // name of the output pane; progress on open
inline constexpr unsigned kMsgIncludeNotFound = 5073;
inline constexpr unsigned kMsgIncludesNotFoundCount = 5074;  // %d: the count
inline constexpr unsigned kMsgRenameCopyFailed = 5076;
inline constexpr unsigned kMsgDependencyUpdateCancelled = 5079;
inline constexpr unsigned kMsgSaveFailed = 5082;  // %s: the project files, one a line
// 5083 to 5085, the compiler check, are named in toolchain/cpu_table.h.
inline constexpr unsigned kMsgReplaceFile = 5086;        // %s: the path
inline constexpr unsigned kMsgProgress = 5087;           // %s, %d: the name, the percentage
inline constexpr unsigned kMsgReadOnlyAskCancel = 5088;  // %s: the project files, one a line
inline constexpr unsigned kMsgInvalidName = 5089;
inline constexpr unsigned kMsgInvalidMemorySize = 5090;
inline constexpr unsigned kMsgUnsupportedCpu = 5091;
inline constexpr unsigned kMsgIncludeTooDeep = 5093;
inline constexpr unsigned kMsgWorkingCopyFailed = 5100;    // %s: the project file (our own ID)
inline constexpr unsigned kMsgFileNotFound = 5101;         // %s: the file (our own ID)
inline constexpr unsigned kMsgFileInProject = 5102;        // %s: the file (our own ID)
inline constexpr unsigned kMsgFileNotAdded = 5103;         // %s, %s: the file, why (our own ID)
inline constexpr unsigned kMsgProjectNotRead = 5104;       // %s, %s: the file, why (our own ID)
inline constexpr unsigned kMsgTargetSettingFailed = 5105;  // our own ID
inline constexpr unsigned kMsgNoLinkCommandFile = 5120;    // %s, %s: project, target (our own ID)
inline constexpr unsigned kMsgLinkCommandFileUnreadable = 5121;  // %s: the file (our own ID)
inline constexpr unsigned kMsgSymbolHasNoValue = 5122;        // %s, %s: symbol, file (our own ID)
inline constexpr unsigned kMsgTemplateUnreadable = 5130;      // %s: the file (our own ID)
inline constexpr unsigned kMsgTemplateEntryRefused = 5131;    // %s: the entry (our own ID)
inline constexpr unsigned kMsgFileNotWritten = 5132;          // %s, %s: file, why (our own ID)
inline constexpr unsigned kMsgWorkspaceStateNotSaved = 5133;  // (our own ID)
inline constexpr unsigned kMsgOldFileNotDeleted = 5134;       // %s: the file (our own ID)
inline constexpr unsigned kMsgTemplateMacroEndless = 5135;    // %s: macro or file (our own ID)
inline constexpr unsigned kMsgNotAvailable = 5140;            // %s: the method (our own ID)
inline constexpr unsigned kMsgNotConnected = 5142;            // %s: the IDE service (our own ID)
inline constexpr unsigned kMsgArchiveFailed = 5143;           // %s: the path (our own ID)
inline constexpr unsigned kMsgStopped = 5144;                 // our own ID
inline constexpr unsigned kMsgFrameTitle = 13100;
inline constexpr unsigned kMsgErrorTitle = 13702;

// Caption of the workspace's message boxes.
inline constexpr const char* kMessageCaption = "KOVA";

}  // namespace zelvan

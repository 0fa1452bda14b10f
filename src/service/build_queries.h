// What the service answers about a project's build, for GetProjectInfo and
// GetIncludePaths: the directories a target's compile lines search, pieces
// of a target's makefile text, the directory of a target's FAL side files,
// and the memory models of the project's CPU family.
//
// Each leaves the workspace's status set when it fails; the project and
// target are the caller's to check (the target must be one of the project's).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "com/com_types.h"

namespace zelvan {

class CpuTable;
class MakeStateStore;
class Project;
class Workspace;
class Installation;

// GetIncludePaths kinds: the directories of the "-I" options of the
// target's compile options, as written (0); the system include directories
// of the project's CPU family (1); both, in the order a compile line
// searches them (2). Any other kind: kStatusBadArgument.
enum IncludePathKind : LONG { kOwnIncludePaths = 0, kSystemIncludePaths = 1, kAllIncludePaths = 2 };
bool IncludePaths(Workspace& workspace, const CpuTable& cpus, Project& project,
                  std::string_view target, LONG kind, std::vector<std::string>* paths);

// The directories of the "-I" options in `options` ("-Idir" or "-I dir",
// quotes removed), in order.
std::vector<std::string> IncludeOptionPaths(std::string_view options);

// GetProjectInfo kinds 130 to 132: the compile rules of every file of the
// target (130), its link or library rule (131) and its Clean section (132),
// as the target's block of the KMAKE makefile holds them. Nothing is
// written to disk.
bool RuleText(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus, Project& project,
              std::string_view target, LONG kind, std::string* text);

// GetProjectInfo kind 107: where the target's module and side files go in
// FalMode, a full path ending in `\`.
std::string FalDirectory(Workspace& workspace, MakeStateStore& states, const CpuTable* cpus,
                         Project& project, std::string_view target);

// GetProjectInfo kind 24, the memory models of the project's CPU family, as
// its template INI describes them (linkmap/memory_model.h). With `model`
// empty: the model names, the default one first, each followed by `;`
// ("64k;128k;"). Otherwise the areas of that model as an area list text
// (FormatAreaListText: "0x0;0x10000;ROM\n0x10000;0x8000;RAM\n"). Fails with
// kStatusTemplateUnreadable when the INI cannot be read and with
// kStatusBadArgument for a model it does not list or cannot read.
bool MemoryModelInfo(Workspace& workspace, const Installation& util, const Project& project,
                     std::string_view model, std::string* text);

}  // namespace zelvan

// The JSON compilation database ("compile_commands.json") that clangd,
// clang-tidy and editors read: one entry per C source of each project, for
// one target (a file has one entry, as the tools expect), with host paths, the command formed as
// the compile rule forms it (the options with "-c", then the system include path), every include
// directory made absolute.
//
// One entry a line (wrapped here):
//
//   [
//   {"directory":"/home/ann/ws/Motor","file":"/home/ann/ws/Motor/main.c",
//    "output":"/home/ann/ws/Motor/Debug/obj/main.rel",
//    "arguments":["/opt/kova/Tools/MX520/bin/cc520","-g","-O0","-I/home/ann/ws/include","-c",
//                 "-I","/opt/kova/Shared/include","/home/ann/ws/Motor/main.c","-o",
//                 "/home/ann/ws/Motor/Debug/obj/main.rel"]},
//   ...
//   ]
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class CpuTable;
class MakeStateStore;
class Project;
class Workspace;

// The database of `projects` for `target` (a project without it has no
// entries), else for each project's current target (its first when it has
// no valid current one), as JSON text.
std::string BuildCompileCommands(Workspace& workspace, MakeStateStore& states,
                                 const std::vector<Project*>& projects, const CpuTable* cpus,
                                 std::optional<std::string_view> target);

}  // namespace zelvan

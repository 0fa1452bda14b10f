// Running another program as a child process and waiting for it: the build
// runs GNU make this way. All paths here are host paths.
//
//   ChildProcess make;
//   make.program = FindProgramOnPath("make", env_path);   // empty: not installed
//   make.arguments = {"-f", "/w/Motor/Debug/obj/Motor.mak", "CFG=Debug", "all"};
//   make.working_dir = "/w/Motor/Debug/obj";
//   make.environment = {{"PATH", "/kova/Tools/MX520/bin:" + env_path}};
//   int status;
//   RunChildProcess(make, nullptr, &status, &error);    // output streams to ours
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvan {

struct ChildProcess {
  std::string program;  // host path of the program (FindProgramOnPath)
  std::vector<std::string> arguments;
  std::string working_dir;  // empty: this process's
  // Set (or replaced) in the child's environment; everything else is inherited.
  std::vector<std::pair<std::string, std::string>> environment;
};

// The executable file `name` in the directories of `path_list` (a PATH
// value, ':'-separated), as a host path; `name` itself when it holds a '/'
// and is executable. Empty when there is none.
std::string FindProgramOnPath(std::string_view name, std::string_view path_list);

// Runs the child and waits for it. Its standard output and error are this
// process's, unless `output` is given: then both are collected there.
// `exit_status` is the child's exit status, or 128 + the signal that ended
// it. False, with the reason in `error`, when it could not be started.
bool RunChildProcess(const ChildProcess& child, std::string* output, int* exit_status,
                     std::string* error);

}  // namespace zelvan

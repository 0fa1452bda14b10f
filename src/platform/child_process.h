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
//
// A build runs make with RunChildProcessGroup instead, so that one Ctrl-C
// (or a signal, or a stop request) ends make and everything make started.
#pragma once

#include <functional>
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
  // The child's standard output goes nowhere (its errors still reach ours).
  bool discard_output = false;
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

// How a child run by RunChildProcessGroup ended.
struct ChildOutcome {
  int exit_status = -1;  // the child's exit status, or 128 + the signal that ended it
  // SIGINT, SIGTERM or SIGHUP when one reached this process while the child
  // ran (the first one, if several); 0 when none did.
  int signal = 0;
  bool stop_requested = false;  // `stop_requested` answered yes
};

// Runs the child as the leader of a process group of its own, with this
// process's output (and input, unless that is a terminal, which a group in
// the background must not read), and waits for it. Meanwhile SIGINT,
// SIGTERM and SIGHUP to this process are passed on to the child's whole
// group (a second one sends SIGKILL), and `stop_requested` (may be empty)
// is asked every `poll_ms` milliseconds: yes sends SIGTERM to the group.
// A stop or a signal before the start starts nothing (`exit_status` stays
// -1). Once a child stopped so has ended, whatever is left of its group is
// killed: nothing it started outlives it. On Linux the child also gets
// SIGTERM when this process dies. False, with the reason in `error`, when
// the child could not be started.
bool RunChildProcessGroup(const ChildProcess& child, const std::function<bool()>& stop_requested,
                          int poll_ms, ChildOutcome* outcome, std::string* error);

// The bookkeeping of RunChildProcessGroup's wait, the same on every host
// (child_process.cpp): the stop request asked until it says yes once, and
// how the wait ended, in `outcome`.
class GroupWait {
 public:
  GroupWait(const std::function<bool()>& stop_requested, ChildOutcome* outcome)
      : stop_requested_(stop_requested), outcome_(outcome) {}
  // Before the start: true when a stop request or `signal` came first, so
  // that nothing is to start.
  bool EndsBeforeStart(int signal);
  // While the child runs: true the first time a stop is requested, when
  // the group is to be asked to stop.
  bool StopNow();
  // At the end of the wait: true when what is left of the group is to be
  // killed (it was stopped, or `signal` came).
  bool End(int signal);

 private:
  const std::function<bool()>& stop_requested_;
  ChildOutcome* outcome_;
  bool stopped_ = false;
};

// Ends this process by `signal`, as its default action would, so that the
// parent (a shell running a script) sees what stopped it; when the signal
// is ignored or blocked, exits with 128 + `signal` instead.
[[noreturn]] void EndProcessBySignal(int signal);

}  // namespace zelvan

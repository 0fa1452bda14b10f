// How the command line is put together: every command group registers its
// subcommands on the application; the subcommand that the user chose leaves
// the function to run in `selected`. A command returns the exit status:
// 0 success, 1 the operation failed (a one-line message went to stderr),
// 2 bad usage; `build` and `clean` also 3 when make failed and 4 when a
// stop request ended them (a signal ends them by that signal); `makefile
// --check` 1 when a makefile is out of date and 3 when it could not check.
#pragma once

#include <functional>
#include <string>

namespace CLI {
class App;
}

namespace zelvan::cli {

enum ExitStatus {
  kExitOk = 0,
  kExitFailed = 1,
  kExitUsage = 2,
  kExitMakeFailed = 3,
  kExitNotChecked = 3,  // `makefile --check` could not check (1 is "out of date")
  kExitStopped = 4,
};

// Options that every command sees.
struct GlobalOptions {
  std::string workspace;    // -w/--workspace
  std::string install_dir;  // --install
  bool answer_yes = false;  // --yes
  bool answer_no = false;   // --no
  bool quiet = false;       // --quiet
  bool verbose = false;     // --verbose
};

using CommandFunction = std::function<int()>;

// The exit status of a command that returned `status`: kExitFailed as well
// when a file it had to write was not written (see WorkspaceSession).
int FinalExitStatus(int status);

struct CommandRegistry {
  CLI::App* app = nullptr;
  GlobalOptions* globals = nullptr;
  CommandFunction* selected = nullptr;
};

// One per command group (each in its own file).
void RegisterIniCommands(const CommandRegistry& registry);
void RegisterComponentCommands(const CommandRegistry& registry);
void RegisterCpuCommands(const CommandRegistry& registry);
void RegisterDepsCommands(const CommandRegistry& registry);
void RegisterFileCommands(const CommandRegistry& registry);
void RegisterLcfCommands(const CommandRegistry& registry);
void RegisterFunctionCommands(const CommandRegistry& registry);
void RegisterMakefileCommands(const CommandRegistry& registry);
void RegisterOptionsCommands(const CommandRegistry& registry);
void RegisterProjectCommands(const CommandRegistry& registry);
void RegisterScanCommands(const CommandRegistry& registry);
void RegisterWorkspaceCommands(const CommandRegistry& registry);

}  // namespace zelvan::cli

// How the command line is put together: every command group has a table of
// its commands (CommandEntry), and AddCommands puts a table on the
// application; the command that the user chose leaves the function to run
// in `selected`. A command returns the exit status:
// 0 success, 1 the operation failed (a one-line message went to stderr),
// 2 bad usage; `build` and `clean` also 3 when make failed and 4 when a
// stop request ended them (a signal ends them by that signal); `makefile
// --check` 1 when a makefile is out of date and 3 when it could not check.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <type_traits>

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
// when a file it had to write was not written (see Session).
int FinalExitStatus(int status);

struct CommandRegistry {
  CLI::App* app = nullptr;
  GlobalOptions* globals = nullptr;
  CommandFunction* selected = nullptr;
};

// Called once the chosen command's options are parsed: what runs it. It may
// throw CLI::ValidationError, which the user sees as a usage error.
using CommandChoice = std::function<CommandFunction()>;
// Adds a command's options to it; returns its CommandChoice.
using CommandSetUp = std::function<CommandChoice(CLI::App& command, const GlobalOptions& globals)>;

// One command in its group's table. A command with `commands` of its own
// runs `set_up`'s function only when none of them was chosen; one without
// `set_up` needs one of them.
struct CommandEntry {
  const char* name = nullptr;
  const char* help = nullptr;
  CommandSetUp set_up = nullptr;
  std::span<const CommandEntry> commands = {};
  bool hidden = false;  // left out of the help's command list
};

// Adds every command of `table` to `parent` (the application or a command).
void AddCommands(const CommandRegistry& registry, CLI::App& parent,
                 std::span<const CommandEntry> table);

// The set-up of a command whose options fill an `Args`: `options` adds them
// (may be null), `run` runs the command, taking the global options or not.
// An `Args` with a Finish() has it called once its options are parsed, to
// refuse what they alone cannot (CLI::ValidationError) or take what they
// left over.
template <typename Args, typename Run>
CommandSetUp SetUp(void (*options)(CLI::App& command, Args& args), Run run) {
  return [options, run](CLI::App& command, const GlobalOptions& globals) -> CommandChoice {
    auto args = std::make_shared<Args>();
    if (options != nullptr) options(command, *args);
    return [&globals, args, run]() -> CommandFunction {
      if constexpr (requires { args->Finish(); }) args->Finish();
      if constexpr (std::is_invocable_v<Run, const GlobalOptions&, const Args&>) {
        return [&globals, args, run] { return run(globals, *args); };
      } else {
        return [args, run] { return run(*args); };
      }
    };
  };
}

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

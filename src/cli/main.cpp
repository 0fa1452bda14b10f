// zelvan: the headless host of the build-project service.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/build_commands.h"
#include "cli/cli_command.h"
#include "cli/command_reference.h"
#include "cli/usage.h"
#include "platform/host_platform.h"

int main(int argc, char** argv) {
  using namespace zelvan::cli;
  // Makefiles, JSON and tags files go to standard output byte for byte.
  zelvan::UseBinaryStandardOutput();

  CLI::App app{"zelvan - build projects of the KOVA IDE without the IDE", "zelvan"};
  app.require_subcommand(1);
  // Global options may follow the command too: what a command does not
  // know goes up to the top level (every command inherits this).
  app.fallthrough();
  app.set_help_all_flag("--help-all", "Show help for every command");
  app.set_version_flag("--version", "zelvan " ZELVAN_VERSION, "Print the version and exit");

  GlobalOptions globals;
  app.add_option("-w,--workspace", globals.workspace,
                 "Workspace file (.kws), or a project file (.kbp) opened alone")
      ->type_name("FILE");
  app.add_option("--install", globals.install_dir, "Installation folder of the toolchain")
      ->type_name("DIR");
  auto* yes = app.add_flag("--yes", globals.answer_yes, "Answer Yes to every question");
  app.add_flag("--no", globals.answer_no, "Answer No to every question")->excludes(yes);
  app.add_flag("-q,--quiet", globals.quiet, "Print no progress");
  app.add_flag("-v,--verbose", globals.verbose,
               "Print progress, and the session stamp that `zelvan stop` takes");

  CommandFunction selected;
  CommandRegistry registry{&app, &globals, &selected};
  RegisterIniCommands(registry);
  RegisterCpuCommands(registry);
  RegisterDepsCommands(registry);
  RegisterOptionsCommands(registry);
  RegisterScanCommands(registry);
  RegisterWorkspaceCommands(registry);
  RegisterFileCommands(registry);
  RegisterLcfCommands(registry);
  RegisterFunctionCommands(registry);
  RegisterComponentCommands(registry);
  RegisterMakefileCommands(registry);
  RegisterProjectCommands(registry);
  RegisterBuildCommands(registry);
  RegisterHelpCommand(registry);
  // Last: they describe every command above.
  RegisterReferenceCommands(registry);
  ArrangeHelp(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and --version are no errors; they print to stdout.
    if (e.get_exit_code() == 0) return app.exit(e) == 0 ? kExitOk : kExitUsage;
    std::fputs(UsageErrorMessage(app, e).c_str(), stderr);
    return kExitUsage;
  }
  if (!selected) {
    std::fputs("zelvan: a command is required; see zelvan --help\n", stderr);
    return kExitUsage;
  }
  return FinalExitStatus(selected());
}

// zelvan: the headless host of the build-project service.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "cli/build_commands.h"
#include "cli/cli_command.h"
#include "cli/command_reference.h"

int main(int argc, char** argv) {
  using namespace zelvan::cli;

  CLI::App app{"zelvan - build projects of the KOVA IDE without the IDE", "zelvan"};
  app.require_subcommand(1);
  app.set_help_all_flag("--help-all", "Show help for every command");
  app.set_version_flag("--version", "zelvan " ZELVAN_VERSION, "Print the version and exit");

  GlobalOptions globals;
  app.add_option("-w,--workspace", globals.workspace,
                 "Workspace file (.kws), or a project file (.kbp) opened alone");
  app.add_option("--install", globals.install_dir, "Installation folder of the toolchain");
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
  // Last: they describe every command above.
  RegisterReferenceCommands(registry);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
  }
  if (!selected) return kExitUsage;
  return FinalExitStatus(selected());
}

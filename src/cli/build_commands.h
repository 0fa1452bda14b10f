// The GNU-format makefile, a real build with GNU make, and the compilation
// database (build_commands.cpp).
#pragma once

#include <string>

#include "cli/cli_command.h"

namespace zelvan::cli {

struct GnuMakefileArgs {
  std::string project;  // empty: the active one
  bool alone = false;
  bool host_paths = false;
  bool to_stdout = false;
  std::string output;  // empty: the project's own makefile
};

// `zelvan makefile --gnu`.
int RunGnuMakefile(const GlobalOptions& globals, const GnuMakefileArgs& args);

// `build`, `clean` and `compile-commands`.
void RegisterBuildCommands(const CommandRegistry& registry);

}  // namespace zelvan::cli

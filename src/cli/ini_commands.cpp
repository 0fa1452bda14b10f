#include <CLI/CLI.hpp>

#include "cli/cli_command.h"

namespace zelvan::cli {

void RegisterIniCommands(const CommandRegistry& registry) {
  CLI::App* ini = registry.app->add_subcommand("ini", "Read and write profile (INI) files");
  ini->require_subcommand(1);
}

}  // namespace zelvan::cli

#include "cli/cli_command.h"

#include <CLI/CLI.hpp>

namespace zelvan::cli {

void AddCommands(const CommandRegistry& registry, CLI::App& parent,
                 std::span<const CommandEntry> table) {
  for (const CommandEntry& entry : table) {
    CLI::App* command = parent.add_subcommand(entry.name, entry.help);
    if (entry.hidden) command->group("");
    if (entry.set_up) {
      CommandChoice choose = entry.set_up(*command, *registry.globals);
      const bool has_commands = !entry.commands.empty();
      command->callback([command, choose, has_commands, selected = registry.selected] {
        if (has_commands && !command->get_subcommands().empty()) return;
        *selected = choose();
      });
    } else {
      command->require_subcommand(1);
    }
    AddCommands(registry, *command, entry.commands);
  }
}

}  // namespace zelvan::cli

// Texts made from the command table itself, so that they name every command
// and option the program has, and no other: the bash completion script and
// the manual page. Two hidden commands print them (`zelvan completion bash`,
// `zelvan manual`); the build writes them once and installs them.
#pragma once

#include <string>
#include <string_view>

#include "cli/cli_command.h"

namespace CLI {
class App;
}

namespace zelvan::cli {

// A bash script that defines the completion of `zelvan`: the commands at
// each level, the options of each command, and the words an option's value
// may be when the option allows only some. Other words complete as files.
std::string BashCompletion(const CLI::App& app);

// The manual page zelvan(1) in roff: the global options, then every command
// with its arguments, options and help text, then exit status, environment
// and files.
std::string ManualPage(const CLI::App& app, std::string_view version);

// `completion bash` and `manual`, hidden from the help. Registered last, so
// that they see every other command.
void RegisterReferenceCommands(const CommandRegistry& registry);

}  // namespace zelvan::cli

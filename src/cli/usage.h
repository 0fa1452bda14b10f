// How the command line talks about itself: the help, grouped by task with
// the daily commands first and wrapped to fit 100 columns, each command's
// help ending with the global options; `zelvan help [COMMAND...]`; and
// usage errors that start with "zelvan:" and suggest the command or option
// the user probably meant.
#pragma once

#include <string>

#include "cli/cli_command.h"

namespace CLI {
class App;
class ParseError;
}  // namespace CLI

namespace zelvan::cli {

// Puts every command into its group and installs the help formatter. Call
// after every command is registered.
void ArrangeHelp(CLI::App& app);

// `zelvan help [COMMAND...]`. Registered last but one, before the
// reference commands.
void RegisterHelpCommand(const CommandRegistry& registry);

// The message for a parse error that is no request for help: one or more
// lines, the first starting "zelvan: ", each ending in a newline.
std::string UsageErrorMessage(const CLI::App& app, const CLI::ParseError& error);

}  // namespace zelvan::cli

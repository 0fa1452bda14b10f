#include "cli/usage.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/closest_name.h"

namespace zelvan::cli {

namespace {

// The help lists the groups in this order, and each group's commands in
// this order; a command missing here goes to "Other commands" at the end,
// so a new one is never left out of the help.
struct CommandGroup {
  const char* title;
  std::vector<std::string_view> commands;
};

const std::vector<CommandGroup>& CommandGroups() {
  static const std::vector<CommandGroup> groups = {
      {"Workspace",
       {"status", "projects", "activate", "new", "copy", "rename", "init", "add-project",
        "remove-project", "target", "link", "cpu"}},
      {"Settings", {"get", "set", "file-set", "build-step"}},
      {"Files", {"files", "add-file", "remove-file"}},
      {"Build", {"build", "clean", "makefile", "compile-commands", "build-makefile", "deps"}},
      {"Analysis", {"functions", "lcf", "scan"}},
      {"Component", {"call", "register", "unregister"}},
      {"Debugging aids", {"ini", "options", "stop"}},
  };
  return groups;
}

constexpr std::string_view kOtherCommands = "Other commands";
constexpr size_t kWidth = 99;  // columns of a help line, at most

// `text` with line breaks before the words that would pass column kWidth,
// the first line starting at column `column` and every other one there too
// (CLI11 indents each line after a break to the description's column).
std::string Wrap(std::string_view text, size_t column) {
  const size_t room = kWidth > column + 20 ? kWidth - column : 20;
  std::string out;
  size_t line = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view word = text.substr(start, end - start);
    if (line > 0 && line + 1 + word.size() > room) {
      out += '\n';
      line = 0;
    } else if (line > 0) {
      out += ' ';
      ++line;
    }
    out += word;
    line += word.size();
    const size_t newline = word.rfind('\n');
    if (newline != std::string_view::npos) line = word.size() - newline - 1;
    start = end + 1;
  }
  return out;
}

const CLI::App& Root(const CLI::App& app) {
  const CLI::App* root = &app;
  while (root->get_parent() != nullptr)
    root = root->get_parent();
  return *root;
}

bool IsBuiltIn(const CLI::App& app, const CLI::Option* option) {
  return option == app.get_help_ptr() || option == app.get_help_all_ptr() ||
         option == app.get_version_ptr();
}

// Named commands that the help shows (hidden ones have no group).
std::vector<const CLI::App*> ShownCommands(const CLI::App& app) {
  return app.get_subcommands(
      [](const CLI::App* sub) { return !sub->get_name().empty() && !sub->get_group().empty(); });
}

class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_description(const CLI::App* app) const override {
    const std::string text = app->get_description();
    return text.empty() ? std::string() : Wrap(text, 0) + "\n";
  }

  std::string make_option_desc(const CLI::Option* option) const override {
    return Wrap(CLI::Formatter::make_option_desc(option), get_column_width());
  }

  std::string make_subcommand(const CLI::App* sub) const override {
    std::stringstream out;
    CLI::detail::format_help(out, sub->get_name(), Wrap(sub->get_description(), column_width_),
                             column_width_);
    return out.str();
  }

  // The top level lists its commands in the groups' order; a command's
  // own subcommands come in the order they were made.
  std::string make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const override {
    if (app->get_parent() != nullptr || mode == CLI::AppFormatMode::All) {
      return CLI::Formatter::make_subcommands(app, mode);
    }
    const std::vector<const CLI::App*> shown = ShownCommands(*app);
    std::string out;
    auto append_group = [&](std::string_view title, const std::vector<const CLI::App*>& commands) {
      if (commands.empty()) return;
      out += "\n" + std::string(title) + ":\n";
      for (const CLI::App* sub : commands)
        out += make_subcommand(sub);
    };
    for (const CommandGroup& group : CommandGroups()) {
      std::vector<const CLI::App*> commands;
      for (std::string_view name : group.commands) {
        for (const CLI::App* sub : shown) {
          if (sub->get_name() == name) commands.push_back(sub);
        }
      }
      append_group(group.title, commands);
    }
    std::vector<const CLI::App*> others;
    for (const CLI::App* sub : shown) {
      if (sub->get_group() == kOtherCommands) others.push_back(sub);
    }
    append_group(kOtherCommands, others);
    return out;
  }

  // A command's help ends with the options every command takes.
  std::string make_footer(const CLI::App* app) const override {
    std::string out = CLI::Formatter::make_footer(app);
    if (app->get_parent() == nullptr) return out;
    const CLI::App& root = Root(*app);
    out += "Global options (before or after the command):\n";
    for (const CLI::Option* option :
         root.get_options([](const CLI::Option* o) { return o->nonpositional(); })) {
      if (!IsBuiltIn(root, option)) out += make_option(option, false);
    }
    return out;
  }
};

// Where the parse stopped: the innermost command the words reached.
const CLI::App& InnermostCommand(const CLI::App& app) {
  const CLI::App* command = &app;
  for (;;) {
    std::vector<CLI::App*> parsed = command->get_subcommands();
    if (parsed.empty()) return *command;
    command = parsed.front();
  }
}

std::string CommandPath(const CLI::App& command) {
  std::string path = command.get_name();
  for (const CLI::App* up = command.get_parent(); up != nullptr; up = up->get_parent())
    path = up->get_name() + " " + path;
  return path;
}

std::vector<std::string> OptionNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option :
       app.get_options([](const CLI::Option* o) { return o->nonpositional(); })) {
    for (const std::string& name : option->get_lnames())
      names.push_back("--" + name);
    for (const std::string& name : option->get_snames())
      names.push_back("-" + name);
  }
  return names;
}

// ("--" may be left over too: CLI11 keeps it once the arguments are taken.)
bool LooksLikeOption(const std::string& word) {
  return word.size() > 1 && word[0] == '-' && word != "--";
}

// "PROJECT TARGET SETTING -- VALUE" for the hint on values that start with -.
std::string PositionalUsage(const CLI::App& command) {
  std::string usage;
  for (const CLI::Option* option :
       command.get_options([](const CLI::Option* o) { return o->get_positional(); })) {
    usage += " " + option->get_name();
  }
  return usage;
}

std::string Suffix(const std::string& path) {
  return "; see " + path + " --help\n";
}

}  // namespace

void ArrangeHelp(CLI::App& app) {
  for (CLI::App* sub :
       app.get_subcommands([](const CLI::App* s) { return !s->get_name().empty(); })) {
    if (sub->get_group().empty()) continue;  // hidden
    std::string_view title = kOtherCommands;
    for (const CommandGroup& group : CommandGroups()) {
      for (std::string_view name : group.commands) {
        if (name == sub->get_name()) title = group.title;
      }
    }
    sub->group(std::string(title));
  }
  auto formatter = std::make_shared<HelpFormatter>();
  formatter->column_width(28);
  formatter->label("SUBCOMMAND", "COMMAND");
  std::vector<CLI::App*> pending = {&app};
  while (!pending.empty()) {
    CLI::App* command = pending.back();
    pending.pop_back();
    command->formatter(formatter);
    for (CLI::App* sub : command->get_subcommands([](const CLI::App*) { return true; }))
      pending.push_back(sub);
  }
  app.footer(Wrap(
      "`zelvan help COMMAND` or `zelvan COMMAND --help` shows a command's arguments and options.",
      0));
}

namespace {

struct HelpArgs {
  std::vector<std::string> words;
  const CLI::App* app = nullptr;
};

void HelpOptions(CLI::App& cmd, HelpArgs& args) {
  args.app = cmd.get_parent();
  cmd.add_option("COMMAND", args.words, "The command, as in `zelvan help cpu show`");
}

int RunHelp(const HelpArgs& args) {
  const CLI::App& app = *args.app;
  const CLI::App* command = &app;
  for (const std::string& word : args.words) {
    const CLI::App* sub = nullptr;
    std::vector<std::string> names;
    for (const CLI::App* candidate : ShownCommands(*command)) {
      names.push_back(candidate->get_name());
      if (candidate->get_name() == word) sub = candidate;
    }
    if (sub == nullptr) {
      const std::string where = CommandPath(*command);
      const std::string closest = ClosestName(word, names);
      std::cerr << "zelvan: " << (command == &app ? "" : command->get_name() + ": ")
                << "unknown command " << word
                << (closest.empty() ? "" : " (did you mean " + closest + "?)") << Suffix(where);
      return static_cast<int>(kExitUsage);
    }
    command = sub;
  }
  // Not help(): that would describe the `help` command itself.
  std::cout << command->get_formatter()->make_help(command, CommandPath(*command),
                                                   CLI::AppFormatMode::Normal);
  return static_cast<int>(kExitOk);
}

const CommandEntry kHelpCommands[] = {
    {.name = "help",
     .help = "Show the help of zelvan or of a command",
     .set_up = SetUp(HelpOptions, RunHelp),
     .hidden = true},
};

}  // namespace

void RegisterHelpCommand(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kHelpCommands);
}

std::string UsageErrorMessage(const CLI::App& app, const CLI::ParseError& error) {
  const CLI::App& command = InnermostCommand(app);
  const std::string path = CommandPath(command);
  const std::string prefix =
      "zelvan: " +
      (&command == &app ? std::string() : path.substr(app.get_name().size() + 1) + ": ");
  const std::vector<std::string> left = app.remaining(true);  // no command took them
  const std::string name = error.get_name();

  // A word where a command was due: the command it is closest to.
  std::vector<std::string> commands;
  for (const CLI::App* sub : ShownCommands(command))
    commands.push_back(sub->get_name());
  if (!commands.empty() && command.get_subcommands().empty()) {
    if (!left.empty() && !LooksLikeOption(left.front())) {
      const std::string closest = ClosestName(left.front(), commands);
      return prefix + "unknown command " + left.front() +
             (closest.empty() ? std::string() : " (did you mean " + closest + "?)") + Suffix(path);
    }
  }

  // Options the command does not know.
  std::vector<std::string> known = OptionNames(command);
  for (const std::string& option : OptionNames(app))
    known.push_back(option);
  for (const std::string& word : left) {
    if (!LooksLikeOption(word)) continue;
    const std::string option = word.substr(0, word.find('='));
    const std::string closest = ClosestName(option, known);
    if (!closest.empty() && option.size() > 2) {
      return prefix + "unknown option " + option + " (did you mean " + closest + "?)" +
             Suffix(path);
    }
  }
  if (!commands.empty() && command.get_subcommands().empty() && name == "RequiredError") {
    return prefix + "a command is required" + Suffix(path);
  }
  for (const std::string& word : left) {
    if (!LooksLikeOption(word)) continue;
    // An argument is missing and a word that starts with - is left: most
    // likely the value.
    const std::string positionals = PositionalUsage(command);
    if (name == "RequiredError" && !positionals.empty()) {
      const size_t last = positionals.rfind(' ');
      return prefix + error.what() + "; a value that starts with - follows --, as in: " + path +
             positionals.substr(0, last) + " --" + positionals.substr(last) + "\n";
    }
    return prefix + "unknown option " + word + Suffix(path);
  }
  std::string message = error.what();
  // CLI11's words for extra arguments, in ours.
  const std::pair<std::string_view, std::string_view> kExtras[] = {
      {"The following argument was not expected: ", "unexpected argument "},
      {"The following arguments were not expected: ", "unexpected arguments "}};
  for (const auto& [theirs, ours] : kExtras) {
    if (message.starts_with(theirs)) message = std::string(ours) + message.substr(theirs.size());
  }
  // "--mode: fall not in {normal,sub,fal}": the closest of the words allowed.
  const size_t not_in = message.find(" not in {");
  const size_t colon = message.rfind(": ", not_in);
  if (not_in != std::string::npos && colon != std::string::npos && message.back() == '}') {
    std::vector<std::string> allowed;
    std::string list = message.substr(not_in + 9, message.size() - not_in - 10);
    for (size_t start = 0; start <= list.size();) {
      size_t end = list.find(',', start);
      if (end == std::string::npos) end = list.size();
      allowed.push_back(list.substr(start, end - start));
      start = end + 1;
    }
    const std::string closest = ClosestName(message.substr(colon + 2, not_in - colon - 2), allowed);
    if (!closest.empty()) message += " (did you mean " + closest + "?)";
  }
  return prefix + message + Suffix(path);
}

}  // namespace zelvan::cli

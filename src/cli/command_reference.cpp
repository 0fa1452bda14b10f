#include "cli/command_reference.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <iostream>
#include <vector>

namespace zelvan::cli {

namespace {

// A command and the words that reach it: "zelvan", "zelvan cpu show".
struct NamedCommand {
  std::string path;
  const CLI::App* command;
};

// Hidden commands have no group; option groups are commands without a name.
std::vector<const CLI::App*> VisibleSubcommands(const CLI::App& app) {
  return app.get_subcommands(
      [](const CLI::App* sub) { return !sub->get_name().empty() && !sub->get_group().empty(); });
}

void CollectCommands(const CLI::App& app, const std::string& path, std::vector<NamedCommand>* out) {
  out->push_back({path, &app});
  for (const CLI::App* sub : VisibleSubcommands(app))
    CollectCommands(*sub, path + " " + sub->get_name(), out);
}

std::vector<NamedCommand> AllCommands(const CLI::App& app) {
  std::vector<NamedCommand> entries;
  CollectCommands(app, app.get_name(), &entries);
  return entries;
}

std::vector<std::string> OptionNames(const CLI::Option& option) {
  std::vector<std::string> names;
  for (const std::string& name : option.get_snames())
    names.push_back("-" + name);
  for (const std::string& name : option.get_lnames())
    names.push_back("--" + name);
  return names;
}

// A flag expects no item.
bool TakesValue(const CLI::Option& option) {
  return option.get_items_expected_max() > 0;
}

// The words a value may be when a check allows only some; CLI11 names them
// in the type, as in "TEXT:{normal,sub,fal}".
std::vector<std::string> Choices(const CLI::Option& option) {
  const std::string type = option.get_type_name();
  const size_t open = type.find(":{");
  const size_t close = type.rfind('}');
  std::vector<std::string> words;
  if (open == std::string::npos || close == std::string::npos || close < open) return words;
  std::string word;
  for (char c : type.substr(open + 2, close - open - 2)) {
    if (c == ',') {
      words.push_back(word);
      word.clear();
    } else if (c != ' ') {
      word += c;
    }
  }
  words.push_back(word);
  return words;
}

std::string Join(const std::vector<std::string>& words, std::string_view separator) {
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += separator;
    text += word;
  }
  return text;
}

// The words an argument or option value may be that only the workspace or
// the installation knows: `zelvan complete KIND` prints them. Empty for
// any other argument.
std::string DynamicKind(const std::string& path, const std::string& name) {
  if (name == "PROJECT" || name == "LINKED" || name == "project") return "projects";
  if (name == "TARGET" || name == "EXISTING" || name == "target") return "targets";
  if (name == "CPU" || name == "cpu") return "cpus";
  if (name == "SETTING" && (path.ends_with(" get") || path.ends_with(" set"))) return "settings";
  return "";
}

bool IsHelp(const CLI::App& app, const CLI::Option* option) {
  return option == app.get_help_ptr() || option == app.get_help_all_ptr();
}

// --- The manual page.

// Text for roff: backslashes and minus signs escaped, and no line that
// starts as a request would.
std::string Roff(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
  return out;
}

// CLI11's names of value types, which say nothing of what a value is.
// ("INT:INT in [1 - 1024]" names a check after the colon).
bool IsGenericType(std::string type) {
  type = type.substr(0, type.find(':'));
  for (const char* generic : {"TEXT", "INT", "UINT", "FLOAT", "NUMBER", "BOOLEAN", "ENUM", ""}) {
    if (type == generic) return true;
  }
  return false;
}

// "--target TARGET", "--mode {normal|sub|fal}", "--json", in roff.
std::string OptionUsage(const CLI::Option& option) {
  std::vector<std::string> names;
  for (const std::string& name : OptionNames(option))
    names.push_back("\\fB" + Roff(name) + "\\fR");
  std::string text = Join(names, ", ");
  if (!TakesValue(option)) return text;
  std::vector<std::string> choices = Choices(option);
  std::string value;
  if (!choices.empty()) {
    value = "{" + Join(choices, "|") + "}";
  } else if (IsGenericType(option.get_type_name())) {  // --jobs JOBS, not --jobs INT
    value = option.get_lnames().empty() ? option.get_snames().front() : option.get_lnames()[0];
    for (char& c : value)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  } else {
    value = option.get_type_name();  // the word the help and the description use
  }
  return text + " \\fI" + Roff(value) + "\\fR";
}

std::string PositionalUsage(const CLI::Option& option) {
  std::string text = "\\fI" + Roff(option.get_name()) + "\\fR";
  if (option.get_items_expected_max() > 1) text += "...";
  return option.get_required() ? text : "[" + text + "]";
}

void AppendOptionList(const CLI::App& app, std::string* out) {
  for (const CLI::Option* option :
       app.get_options([](const CLI::Option* o) { return o->nonpositional(); })) {
    if (IsHelp(app, option)) continue;
    *out += ".TP\n" + OptionUsage(*option) + "\n" + Roff(option->get_description()) + "\n";
  }
}

constexpr std::string_view kManualIntroduction = R"(.SH DESCRIPTION
zelvan keeps a workspace of KOVA projects stored in INI\-style project files
(build targets, per\-target and per\-file settings, folders, linked projects),
knows the installed CPU families and their tools, keeps every source's include
dependencies current, and writes the KMAKE and GNU makefiles the toolchain
builds with. It runs the same operations the IDE would, and prints their
results and messages.
.PP
The workspace is the one named by \fB\-w\fR, else the only \fI.kws\fR file of
the current directory. Commands that list or show something take
\fB\-\-json\fR and then print one JSON document instead of text. Every command
takes \fB\-h\fR, \fB\-\-help\fR.
)";

constexpr std::string_view kManualEnd = R"(.SH EXAMPLES
The daily tasks, in a copy of the example workspace:
.PP
.nf
.RS
cd examples
zelvan projects                      # the projects, their CPUs, targets and links
zelvan activate Sensor Release       # the active project and target
zelvan get Motor Debug compile       # a target's effective compile options
zelvan set Motor Debug compile \-\- '\-g \-O1'   # \-\- before a value that starts with \-
zelvan set \-\-raw Motor Debug SourceFolder 1   # a key of the target's section
zelvan files Motor \-\-target Debug    # the files in project order
zelvan add\-file Motor Motor/pwm.c     # a file joins the folder for its extension
zelvan deps                          # bring the include dependencies up to date
zelvan makefile                      # the active project's makefile
zelvan makefile \-\-check              # exit 1 naming each project whose makefile is stale
zelvan build Motor \-\-target Release  # MathLib, then Motor, with GNU make
zelvan clean Motor
zelvan compile\-commands               # compile_commands.json for clangd
zelvan new Pump \-\-cpu MX\-520/R1      # a new project from the CPU's templates
zelvan help set                      # the arguments and options of a command
.RE
.fi
.SH EXIT STATUS
0 on success; 1 when the operation failed or a file it had to write was not
written (a message on standard error); 2 on bad usage.
.SH ENVIRONMENT
.TP
.B ZELVAN_INSTALL
The toolchain installation, when \fB\-\-install\fR is not given.
.TP
.B ZELVAN_DRIVE_\fIX\fR
The host directory that drive \fIX\fR: maps to.
.TP
.B ZELVAN_REGISTRY
The file that stands in for the registry (default
\fI~/.config/zelvan/registry.ini\fR).
.TP
.B ZELVAN_LOCK_TIMEOUT
Seconds to wait for another zelvan on the same workspace (default 60).
.TP
.B TMPDIR
Where the working copies of open projects are kept.
.SH FILES
.TP
.I PREFIX/share/zelvan/kova/
The demo installation (CPU families, templates and stub tools), used when no
other installation is named.
.TP
.I PREFIX/lib/zelvan/libzelvan_component.so
The component module that \fBcall\fR and \fBregister\fR load when the registry
names none.
.TP
.I PREFIX/share/doc/zelvan/examples/
An example workspace.
.SH SEE ALSO
.I PREFIX/share/doc/zelvan/README.md
)";

}  // namespace

std::string BashCompletion(const CLI::App& app) {
  const std::vector<NamedCommand> entries = AllCommands(app);
  std::string commands, options, values, arguments;
  for (const NamedCommand& entry : entries) {
    std::vector<std::string> names;
    for (const CLI::App* sub : VisibleSubcommands(*entry.command))
      names.push_back(sub->get_name());
    if (!names.empty()) commands += "    [\"" + entry.path + "\"]=\"" + Join(names, " ") + "\"\n";
    names.clear();
    for (const CLI::Option* option :
         entry.command->get_options([](const CLI::Option* o) { return o->nonpositional(); })) {
      std::vector<std::string> words = Choices(*option);
      const std::string kind = option->get_lnames().empty()
                                   ? std::string()
                                   : DynamicKind(entry.path, option->get_lnames().front());
      if (words.empty() && !kind.empty()) words = {"@" + kind};
      for (const std::string& name : OptionNames(*option)) {
        names.push_back(name);
        if (TakesValue(*option)) {
          values += "    [\"" + entry.path + "|" + name + "\"]=\"" + Join(words, " ") + "\"\n";
        }
      }
    }
    options += "    [\"" + entry.path + "\"]=\"" + Join(names, " ") + "\"\n";
    names.clear();
    for (const CLI::Option* option :
         entry.command->get_options([](const CLI::Option* o) { return !o->nonpositional(); })) {
      const std::string kind = DynamicKind(entry.path, option->get_name());
      names.push_back(kind.empty() ? "-" : kind);
    }
    if (!names.empty()) arguments += "    [\"" + entry.path + "\"]=\"" + Join(names, " ") + "\"\n";
  }
  // The options every command takes, after the command as well.
  std::vector<std::string> global_names;
  for (const CLI::Option* option :
       app.get_options([](const CLI::Option* o) { return o->nonpositional(); })) {
    if (IsHelp(app, option) || option == app.get_version_ptr()) continue;
    for (const std::string& option_name : OptionNames(*option))
      global_names.push_back(option_name);
  }
  const std::string name = app.get_name();
  return "# bash completion for " + name + ", made from its command table by `" + name +
         " completion bash`.\n"
         "_" +
         name +
         "() {\n"
         "  # The commands under each command, and the options of each.\n"
         "  local -A commands=(\n" +
         commands +
         "  )\n"
         "  local -A options=(\n" +
         options +
         "  )\n"
         "  # The options that take a value, with the words it may be (any when none;\n"
         "  # @KIND: the words `" +
         name +
         " complete KIND` prints).\n"
         "  local -A values=(\n" +
         values +
         "  )\n"
         "  # The kinds of each command's arguments, in order (-: a file or any word).\n"
         "  local -A arguments=(\n" +
         arguments +
         "  )\n"
         "  local globals=\"" +
         Join(global_names, " ") +
         "\"\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} path=" +
         name +
         " word i rest= key kind\n"
         "  local -a given=() global=()\n"
         "  COMPREPLY=()\n"
         "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
         "    word=${COMP_WORDS[i]}\n"
         "    key=\"$path|$word\"\n"
         "    [[ ${values[\"$key\"]+set} ]] || key=\"" +
         name +
         "|$word\"\n"
         "    if [[ -z $rest && ${values[\"$key\"]+set} ]]; then\n"
         "      if ((i + 1 == COMP_CWORD)); then\n"
         "        kind=${values[\"$key\"]}\n"
         "        break\n"
         "      fi\n"
         "      [[ $key == \"" +
         name +
         "|\"* ]] && global+=(\"$word\" \"${COMP_WORDS[i + 1]}\")\n"
         "      ((i++))\n"
         "    elif [[ $word == -- ]]; then\n"
         "      rest=1\n"
         "    elif [[ -z $rest && $word == -* ]]; then\n"
         "      :\n"
         "    elif [[ -z $rest && ${#given[@]} == 0 &&\n"
         "            \" ${commands[\"$path\"]-} \" == *\" $word \"* ]]; then\n"
         "      path=\"$path $word\"\n"
         "    else\n"
         "      given+=(\"$word\")\n"
         "    fi\n"
         "  done\n"
         "  if ((i == COMP_CWORD)); then\n"
         "    kind=\n"
         "    if [[ -z $rest && $cur == -* ]]; then\n"
         "      local offered=${options[\"$path\"]-}\n"
         "      [[ $path == " +
         name +
         " ]] || offered+=\" $globals\"\n"
         "      COMPREPLY=($(compgen -W \"$offered\" -- \"$cur\"))\n"
         "      return 0\n"
         "    elif [[ -z $rest && ${#given[@]} == 0 && -n ${commands[\"$path\"]-} ]]; then\n"
         "      COMPREPLY=($(compgen -W \"${commands[\"$path\"]}\" -- \"$cur\"))\n"
         "      return 0\n"
         "    fi\n"
         "    local -a kinds=(${arguments[\"$path\"]-})\n"
         "    ((${#given[@]} < ${#kinds[@]})) && kind=@${kinds[${#given[@]}]}\n"
         "  fi\n"
         "  if [[ $kind == @* && $kind != @- ]]; then\n"
         "    # Targets are those of the project named first (the active one when none).\n"
         "    local -a words\n"
         "    mapfile -t words < <(\"${COMP_WORDS[0]}\" \"${global[@]}\" -q complete ${kind#@} \\\n"
         "      ${given[0]+\"${given[0]}\"} 2>/dev/null)\n"
         "    COMPREPLY=($(compgen -W \"${words[*]}\" -- \"$cur\"))\n"
         "  elif [[ -n $kind && $kind != @- ]]; then\n"
         "    COMPREPLY=($(compgen -W \"$kind\" -- \"$cur\"))\n"
         "  fi\n"
         "  # Nothing offered: the words are files.\n"
         "}\n"
         "complete -o bashdefault -o default -F _" +
         name + " " + name + "\n";
}

std::string ManualPage(const CLI::App& app, std::string_view version) {
  const std::string name = app.get_name();
  std::string summary = app.get_description();
  const size_t dash = summary.find(" - ");
  if (dash != std::string::npos) summary.erase(0, dash + 3);
  std::string page = ".TH " + Roff(name) + " 1 \"\" \"" + Roff(name) + " " + Roff(version) +
                     "\" \"User Commands\"\n"
                     ".SH NAME\n" +
                     Roff(name) + " \\- " + Roff(summary) +
                     "\n"
                     ".SH SYNOPSIS\n"
                     ".B " +
                     Roff(name) + "\n[\\fIOPTIONS\\fR] \\fICOMMAND\\fR [\\fIARGUMENTS\\fR]\n";
  page += kManualIntroduction;
  page += ".SH OPTIONS\n";
  AppendOptionList(app, &page);
  page += ".SH COMMANDS\n";
  for (const NamedCommand& entry : AllCommands(app)) {
    const CLI::App& command = *entry.command;
    if (&command == &app) continue;
    std::vector<std::string> usage;
    for (const CLI::Option* option :
         command.get_options([](const CLI::Option* o) { return !o->nonpositional(); })) {
      usage.push_back(PositionalUsage(*option));
    }
    bool own_options = false;
    for (const CLI::Option* option :
         command.get_options([](const CLI::Option* o) { return o->nonpositional(); })) {
      if (IsHelp(command, option)) continue;
      own_options = true;
      usage.push_back("[" + OptionUsage(*option) + "]");
    }
    // A group of commands with nothing of its own is told by its commands.
    if (usage.empty() && !VisibleSubcommands(command).empty()) continue;
    page += ".TP\n\\fB" + Roff(entry.path) + "\\fR";
    if (!usage.empty()) page += " " + Join(usage, " ");
    page += "\n" + Roff(command.get_description()) + "\n";
    if (own_options) {
      page += ".RS\n";
      AppendOptionList(command, &page);
      page += ".RE\n";
    }
  }
  page += kManualEnd;
  return page;
}

namespace {

// The application whose commands the reference describes.
struct ReferenceArgs {
  const CLI::App* app = nullptr;
};

void CompletionOptions(CLI::App& cmd, ReferenceArgs& args) {
  args.app = cmd.get_parent()->get_parent();
}

void ManualOptions(CLI::App& cmd, ReferenceArgs& args) {
  args.app = cmd.get_parent();
}

int RunBashCompletion(const ReferenceArgs& args) {
  std::cout << BashCompletion(*args.app);
  return kExitOk;
}

int RunManual(const ReferenceArgs& args) {
  std::cout << ManualPage(*args.app, ZELVAN_VERSION);
  return kExitOk;
}

const CommandEntry kCompletionCommands[] = {
    {.name = "bash",
     .help = "The completion of bash",
     .set_up = SetUp(CompletionOptions, RunBashCompletion)},
};

const CommandEntry kReferenceCommands[] = {
    {.name = "completion",
     .help = "Print a shell completion script",
     .commands = kCompletionCommands,
     .hidden = true},
    {.name = "manual",
     .help = "Print the manual page (roff)",
     .set_up = SetUp(ManualOptions, RunManual),
     .hidden = true},
};

}  // namespace

void RegisterReferenceCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kReferenceCommands);
}

}  // namespace zelvan::cli

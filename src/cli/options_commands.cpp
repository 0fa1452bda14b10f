#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/cli_toolchain.h"
#include "cli/json_output.h"
#include "toolchain/option_definition.h"
#include "toolchain/option_string.h"

namespace zelvan::cli {
namespace {

struct FormatArgs {
  std::string cpu;
  std::string table = "compiler";
  std::vector<std::string> options;
  bool json = false;
};

// Quotes an argument that holds a blank, so that the words given on the
// command line reach the parser as the words they were.
std::string JoinArguments(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& arg : args) {
    if (!text.empty()) text += ' ';
    bool blank = arg.find_first_of(" \t") != std::string::npos;
    bool quoted = arg.find('"') != std::string::npos;
    text += (blank && !quoted) ? "\"" + arg + "\"" : arg;
  }
  return text;
}

// --json (the arguments not accepted are on stderr as well, and make the
// exit status 1):
//   {"cpu": "MR44", "table": "compiler", "options": "-O2 -w1 ", "rejected": ["-Zq"]}
int RunFormat(const GlobalOptions& globals, const FormatArgs& args) {
  // The tables know every family; a name that is none of the installed
  // ones would silently be read as the default family.
  ToolchainSession session;
  std::string error;
  if (!OpenToolchain(globals, &session, &error)) {
    std::fprintf(stderr, "zelvan: %s\n", error.c_str());
    return kExitFailed;
  }
  const CpuInfo* cpu = session.cpus->FindCpu(args.cpu);
  if (cpu == nullptr) {
    ReportUnknownCpu(session.cpus.get(), args.cpu);
    return kExitFailed;
  }
  OptionString options;
  if (args.table == "compiler") {
    options.SetTable(CompilerOptionTable());
  } else if (args.table == "linker") {
    options.SetTable(LinkerOptionTable());
  } else {
    options.SetTable(ConverterOptionTable());
  }
  options.SetCpu(cpu->CpuName);
  bool accepted = options.ParseOptions(JoinArguments(args.options), false);
  if (args.json) {
    PrintJson({{"cpu", args.cpu},
               {"table", args.table},
               {"options", options.FormatOptions()},
               {"rejected", options.GetRejected()}});
  } else {
    std::printf("%s\n", options.FormatOptions().c_str());
  }
  for (const std::string& rejected : options.GetRejected()) {
    std::fprintf(stderr, "not accepted: %s\n", rejected.c_str());
  }
  return accepted ? kExitOk : kExitFailed;
}

void FormatOptions(CLI::App& cmd, FormatArgs& args) {
  cmd.add_option("--cpu", args.cpu, "CPU family of the project, e.g. MX-520")->required();
  cmd.add_option("--table", args.table, "Option table")
      ->check(CLI::IsMember({"compiler", "linker", "converter"}));
  cmd.add_option("options", args.options, "The options (put them after --)");
  AddJsonFlag(&cmd, &args.json);
}

const CommandEntry kOptionsCommands[] = {
    {.name = "format",
     .help = "Print an option string in canonical order; each argument that is not accepted "
             "goes to stderr (exit 1)",
     .set_up = SetUp(FormatOptions, RunFormat)},
};

const CommandEntry kOptionsGroup[] = {
    {.name = "options", .help = "Parse and rebuild tool options", .commands = kOptionsCommands},
};

}  // namespace

void RegisterOptionsCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kOptionsGroup);
}

}  // namespace zelvan::cli

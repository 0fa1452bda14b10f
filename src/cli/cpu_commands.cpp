// zelvan cpu list | show CPU: the installed CPU families and what the
// system knows about each.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/cli_toolchain.h"
#include "platform/file_system.h"
#include "toolchain/cpu_tools.h"

namespace zelvan::cli {

namespace {

constexpr int kLabelWidth = 16;

void PrintField(const char* label, const std::vector<std::string>& lines) {
  std::string title = std::string(label) + ":";
  if (lines.empty()) {
    std::printf("%-*s(none)\n", kLabelWidth, title.c_str());
    return;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    std::printf("%-*s%s\n", kLabelWidth, i == 0 ? title.c_str() : "", lines[i].c_str());
  }
}

void PrintField(const char* label, const std::string& value) {
  PrintField(label, value.empty() ? std::vector<std::string>{} : std::vector<std::string>{value});
}

bool Open(const GlobalOptions& globals, ToolchainSession* session) {
  std::string error;
  if (OpenToolchain(globals, session, &error)) return true;
  std::fprintf(stderr, "zelvan: %s\n", error.c_str());
  return false;
}

int ListCpus(const GlobalOptions& globals) {
  ToolchainSession session;
  if (!Open(globals, &session)) return kExitFailed;
  const auto& cpus = session.cpus->Cpus();
  if (cpus.empty()) {
    std::string where = session.cpus->FromRegistry() ? "the registry (none has its INI file)"
                                                     : session.cpus->Folder();
    std::fprintf(stderr, "zelvan: no CPU families are installed: %s\n", where.c_str());
    return kExitFailed;
  }
  size_t width = 0;
  for (const auto& info : cpus)
    width = std::max(width, info->CpuName.size());
  for (const auto& info : cpus) {
    std::printf("%-*s  %s\n", static_cast<int>(width), info->CpuName.c_str(),
                info->IniPath.c_str());
  }
  return kExitOk;
}

int ShowCpu(const GlobalOptions& globals, const std::string& cpu) {
  ToolchainSession session;
  if (!Open(globals, &session)) return kExitFailed;
  const CCPUTools& tools = *session.cpus;
  const CCPUInfo* info = tools.FindCpu(cpu);
  if (!info) {
    std::fprintf(stderr, "zelvan: unknown CPU: %s\n", cpu.c_str());
    return kExitFailed;
  }
  PrintField("CPU", info->CpuName);
  PrintField("Source", tools.FromRegistry() ? "registry" : "INI files");
  PrintField("INI file", info->IniPath);

  std::vector<std::string> lines;
  for (size_t i = 0; i < info->ToolKeys.size(); ++i) {
    lines.push_back(info->ToolKeys[i] + "=" + info->ToolValues[i]);
  }
  PrintField("Tools", lines);
  struct {
    const char* label;
    bool (CCPUTools::*read)(std::string_view, std::vector<std::string>*) const;
  } lists[] = {{"Include", &CCPUTools::GetIncludeDirs},
               {"Library", &CCPUTools::GetLibraryDirs},
               {"Executable", &CCPUTools::GetExecutableDirs},
               {"Temporary", &CCPUTools::GetTemporaryDirs}};
  for (const auto& list : lists) {
    lines.clear();
    (tools.*list.read)(cpu, &lines);
    PrintField(list.label, lines);
  }

  std::string home, second_var, second_home;
  tools.ReadHomeDir(cpu, &home);
  tools.ReadSecondHome(cpu, &second_var, &second_home);
  PrintField("Home", home);
  if (!second_var.empty()) second_home += (second_home.empty() ? "(" : " (") + second_var + ")";
  PrintField("Secondary home", second_home);

  CompilerCheck check;
  bool found = tools.CheckCompiler(cpu, &check);
  PrintField("Compiler", check.compiler_path + (found ? "" : " (not found)"));
  return kExitOk;
}

}  // namespace

void RegisterCpuCommands(const CommandRegistry& registry) {
  CLI::App* cpu = registry.app->add_subcommand("cpu", "The installed CPU families");
  cpu->require_subcommand(1);
  GlobalOptions* globals = registry.globals;
  CommandFunction* selected = registry.selected;

  CLI::App* list = cpu->add_subcommand("list", "List the CPU families with their INI files");
  list->callback([globals, selected] { *selected = [globals] { return ListCpus(*globals); }; });

  auto name = std::make_shared<std::string>();
  CLI::App* show =
      cpu->add_subcommand("show", "Show the tools, directories and homes of a CPU family");
  show->add_option("CPU", *name, "CPU family name, e.g. MX-520/S (case ignored)")->required();
  show->callback([globals, selected, name] {
    *selected = [globals, name] { return ShowCpu(*globals, *name); };
  });
}

}  // namespace zelvan::cli

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
#include "cli/json_output.h"
#include "platform/file_system.h"
#include "toolchain/cpu_table.h"

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

const char* SourceName(const CpuTable& tools) {
  return tools.FromRegistry() ? "registry" : "INI files";
}

bool Open(const GlobalOptions& globals, ToolchainSession* session) {
  std::string error;
  if (OpenToolchain(globals, session, &error)) return true;
  std::fprintf(stderr, "zelvan: %s\n", error.c_str());
  return false;
}

struct ListArgs {
  bool json = false;
};

// --json:
//   {"source": "INI files", "cpus": [{"name": "MR44", "ini_file": "/.../MR44.ini"}, ...]}
// ("source" is "registry" when the families come from the registry).
int ListCpus(const GlobalOptions& globals, const ListArgs& args) {
  const bool json = args.json;
  ToolchainSession session;
  if (!Open(globals, &session)) return kExitFailed;
  const auto& cpus = session.cpus->Cpus();
  // The INI files are the user's files: shown where they lie on this machine.
  FileSystem& fs = *session.platform().fs;
  if (cpus.empty()) {
    std::string where = session.cpus->FromRegistry() ? "the registry (none has its INI file)"
                                                     : session.cpus->Folder();
    std::fprintf(stderr, "zelvan: no CPU families are installed: %s\n", where.c_str());
    return kExitFailed;
  }
  if (json) {
    JsonDocument list = JsonDocument::array();
    for (const auto& info : cpus)
      list.push_back({{"name", info->CpuName}, {"ini_file", fs.ToHostPath(info->IniPath)}});
    PrintJson({{"source", SourceName(*session.cpus)}, {"cpus", std::move(list)}});
    return kExitOk;
  }
  size_t width = 0;
  for (const auto& info : cpus)
    width = std::max(width, info->CpuName.size());
  for (const auto& info : cpus) {
    std::printf("%-*s  %s\n", static_cast<int>(width), info->CpuName.c_str(),
                fs.ToHostPath(info->IniPath).c_str());
  }
  return kExitOk;
}

// The directory lists of a family: label of the text form, key of the JSON.
struct DirectoryList {
  const char* label;
  const char* key;
  bool (CpuTable::*read)(std::string_view, std::vector<std::string>*) const;
};
const DirectoryList kDirectoryLists[] = {{"Include", "include", &CpuTable::GetIncludeDirs},
                                         {"Library", "library", &CpuTable::GetLibraryDirs},
                                         {"Executable", "executable", &CpuTable::GetExecutableDirs},
                                         {"Temporary", "temporary", &CpuTable::GetTemporaryDirs}};

// What `cpu show` prints, label by label.
struct CpuFacts {
  std::vector<std::string> tools;  // KEY=program
  JsonDocument tool_table = JsonDocument::object();
  std::vector<std::vector<std::string>> lists;  // as kDirectoryLists
  std::string home, second_var, second_home;
  CompilerCheck check;
  bool compiler_found = false;
};

// --json:
//   {"cpu": "MX-520", "source": "INI files", "ini_file": "/.../MX-520.ini",
//    "tools": {"CC": "cc520", "AS": "as520", ...},
//    "include": ["K:\\Shared\\include", ...], "library": [...], "executable": [...],
//    "temporary": [...], "home": "K:\\Tools\\MX520",
//    "secondary_home": {"variable": "KHOME520", "folder": "K:\\Tools\\MX520"},
//    "compiler": {"path": "K:\\Tools\\MX520\\bin\\cc520.exe", "found": false}}
// ("home" and "secondary_home" are null when the family has none).
void PrintCpuJson(const CpuTable& tools, const CpuInfo& info, const std::string& ini_file,
                  CpuFacts facts) {
  JsonDocument document = {{"cpu", info.CpuName},
                           {"source", SourceName(tools)},
                           {"ini_file", ini_file},
                           {"tools", std::move(facts.tool_table)}};
  for (size_t i = 0; i < facts.lists.size(); ++i)
    document[kDirectoryLists[i].key] = std::move(facts.lists[i]);
  document["home"] = TextOrNull(facts.home);
  document["secondary_home"] = facts.second_var.empty() && facts.second_home.empty()
                                   ? JsonDocument()
                                   : JsonDocument{{"variable", TextOrNull(facts.second_var)},
                                                  {"folder", TextOrNull(facts.second_home)}};
  document["compiler"] = {{"path", facts.check.compiler_path}, {"found", facts.compiler_found}};
  PrintJson(document);
}

struct ShowArgs {
  std::string cpu;
  bool json = false;
};

int ShowCpu(const GlobalOptions& globals, const ShowArgs& args) {
  const std::string& cpu = args.cpu;
  const bool json = args.json;
  ToolchainSession session;
  if (!Open(globals, &session)) return kExitFailed;
  const CpuTable& tools = *session.cpus;
  const CpuInfo* info = tools.FindCpu(cpu);
  if (!info) {
    std::fprintf(stderr, "zelvan: unknown CPU: %s\n", cpu.c_str());
    return kExitFailed;
  }
  CpuFacts facts;
  for (size_t i = 0; i < info->ToolKeys.size(); ++i) {
    facts.tools.push_back(info->ToolKeys[i] + "=" + info->ToolValues[i]);
    facts.tool_table[info->ToolKeys[i]] = info->ToolValues[i];
  }
  for (const DirectoryList& list : kDirectoryLists) {
    facts.lists.emplace_back();
    (tools.*list.read)(cpu, &facts.lists.back());
  }
  tools.ReadHomeDir(cpu, &facts.home);
  tools.ReadSecondHome(cpu, &facts.second_var, &facts.second_home);
  facts.compiler_found = tools.CheckCompiler(cpu, &facts.check);
  const std::string ini_file = session.platform().fs->ToHostPath(info->IniPath);
  if (json) {
    PrintCpuJson(tools, *info, ini_file, std::move(facts));
    return kExitOk;
  }

  PrintField("CPU", info->CpuName);
  PrintField("Source", SourceName(tools));
  PrintField("INI file", ini_file);
  PrintField("Tools", facts.tools);
  for (size_t i = 0; i < facts.lists.size(); ++i)
    PrintField(kDirectoryLists[i].label, facts.lists[i]);
  PrintField("Home", facts.home);
  std::string second = facts.second_home;
  if (!facts.second_var.empty()) second += (second.empty() ? "(" : " (") + facts.second_var + ")";
  PrintField("Secondary home", second);
  PrintField("Compiler", facts.check.compiler_path + (facts.compiler_found ? "" : " (not found)"));
  return kExitOk;
}

void ListOptions(CLI::App& cmd, ListArgs& args) {
  AddJsonFlag(&cmd, &args.json);
}

void ShowOptions(CLI::App& cmd, ShowArgs& args) {
  cmd.add_option("CPU", args.cpu, "CPU family name, e.g. MX-520/S (case ignored)")->required();
  AddJsonFlag(&cmd, &args.json);
}

const CommandEntry kCpuCommands[] = {
    {.name = "list",
     .help = "List the CPU families with their INI files",
     .set_up = SetUp(ListOptions, ListCpus)},
    {.name = "show",
     .help = "Show the tools, directories and homes of a CPU family",
     .set_up = SetUp(ShowOptions, ShowCpu)},
};

const CommandEntry kCpuGroup[] = {
    {.name = "cpu", .help = "The installed CPU families", .commands = kCpuCommands},
};

}  // namespace

void RegisterCpuCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kCpuGroup);
}

}  // namespace zelvan::cli

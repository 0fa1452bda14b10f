// zelvan lcf: symbol values and the memory block of link command files.
//
//   zelvan lcf value [PROJECT] [TARGET] SYMBOL      first-level SECTIONS assignment
//   zelvan lcf outer FILE SYMBOL                     assignment outside SECTIONS
//   zelvan lcf memory FILE                           the areas of the memory block
//   zelvan lcf set-memory FILE NAME:START:SIZE...    write the memory block
//
// The values come through the component (GetSectionsValue, GetOuterValue);
// the memory block is an edit of the file, which no method makes.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/json_output.h"
#include "cli/session.h"
#include "linkmap/link_command_file.h"
#include "linkmap/memory_map_generator.h"
#include "linkmap/memory_map_reader.h"
#include "platform/file_system.h"
#include "platform/win_path.h"

namespace zelvan::cli {

namespace {

// The system path of the file a command names. Its folder loses what
// killed commands left there first.
std::string LcfPath(FileSystem& fs, std::string system_path) {
  RemoveDeadTemporaries(fs, GetFileDirectory(system_path));
  return system_path;
}

struct LcfArgs {
  std::vector<std::string> words;  // value: [PROJECT] [TARGET] SYMBOL
  std::string file;
  std::string symbol;
  std::vector<std::string> areas;
  bool json = false;  // memory --json
};

int RunValue(const GlobalOptions& globals, const LcfArgs& args) {
  Session session(globals);
  session.SetReadOnly();
  if (!session.Open()) return kExitFailed;
  const std::vector<std::string>& w = args.words;
  VariantArgs a;
  VARIANT* value = a.Out();
  if (session.service().GetSectionsValue(a.Text(w.size() >= 2 ? w[0] : ""),
                                         a.Text(w.size() == 3 ? w[1] : ""), a.Text(w.back()),
                                         value) != S_OK) {
    return session.FailedWith(w.back());
  }
  std::printf("%s\n", VariantText(*value).c_str());
  return kExitOk;
}

// The file needs no workspace.
int RunOuter(const GlobalOptions& globals, const LcfArgs& args) {
  Session session(globals);
  if (!session.StartForOpening()) return kExitFailed;
  VariantArgs a;
  VARIANT* value = a.Out();
  if (session.service().GetOuterValue(a.Text(LcfPath(session.fs(), session.SystemPath(args.file))),
                                      a.Text(args.symbol), value) != S_OK) {
    return session.Failed();
  }
  std::printf("%s\n", VariantText(*value).c_str());
  return kExitOk;
}

// --json (numbers as numbers, the file as the command named it):
//   {"file": "Motor/Motor.lcf", "areas": [{"name": "ROM", "start": 0, "size": 262144}, ...]}
int RunMemory(const GlobalOptions& globals, const LcfArgs& args) {
  Session session(globals);
  session.Start();
  MemoryAreaList areas;
  std::string error;
  if (!ReadMemoryMap(session.fs(), LcfPath(session.fs(), session.SystemPath(args.file)), &areas,
                     &error)) {
    return session.Failed(error);
  }
  if (args.json) {
    JsonDocument list = JsonDocument::array();
    for (size_t i = 0; i < areas.size(); ++i) {
      list.push_back(
          {{"name", areas.names[i]}, {"start", areas.starts[i]}, {"size", areas.sizes[i]}});
    }
    PrintJson({{"file", args.file}, {"areas", std::move(list)}});
    return kExitOk;
  }
  for (size_t i = 0; i < areas.size(); ++i) {
    std::printf("%s\t0x%08X\t0x%08X\n", areas.names[i].c_str(), areas.starts[i], areas.sizes[i]);
  }
  return kExitOk;
}

// NAME:START:SIZE, the numbers in C notation (0x hexadecimal, else decimal).
bool ParseAreaArgument(const std::string& text, MemoryAreaList* areas) {
  size_t size_colon = text.rfind(':');
  if (size_colon == std::string::npos || size_colon == 0) return false;
  size_t start_colon = text.rfind(':', size_colon - 1);
  if (start_colon == std::string::npos) return false;
  uint32_t start = 0;
  uint32_t size = 0;
  if (!ParseLinkerNumber(text.substr(start_colon + 1, size_colon - start_colon - 1), &start) ||
      !ParseLinkerNumber(text.substr(size_colon + 1), &size)) {
    return false;
  }
  areas->Append(text.substr(0, start_colon), start, size);
  return true;
}

int RunSetMemory(const GlobalOptions& globals, const LcfArgs& args) {
  MemoryAreaList areas;
  for (const std::string& area : args.areas) {
    if (!ParseAreaArgument(area, &areas)) {
      std::fprintf(stderr,
                   "zelvan: %s is no area: NAME:START:SIZE with numbers from 0 to 0xFFFFFFFF\n",
                   area.c_str());
      return kExitUsage;
    }
  }
  Session session(globals);
  session.Start();
  MemoryMapSettings settings;
  std::string error;
  if (!WriteMemoryMapToLcf(session.fs(), LcfPath(session.fs(), session.SystemPath(args.file)),
                           areas, settings, &error)) {
    return session.Failed(error);
  }
  return kExitOk;
}

void ValueOptions(CLI::App& cmd, LcfArgs& args) {
  cmd.add_option("ARGS", args.words, "[PROJECT] [TARGET] SYMBOL (default: the current ones)")
      ->required()
      ->expected(1, 3);
}

void OuterOptions(CLI::App& cmd, LcfArgs& args) {
  cmd.add_option("FILE", args.file, "The link command file")->required();
  cmd.add_option("SYMBOL", args.symbol, "The symbol")->required();
}

void MemoryOptions(CLI::App& cmd, LcfArgs& args) {
  cmd.add_option("FILE", args.file, "The link command file")->required();
  AddJsonFlag(&cmd, &args.json);
}

void SetMemoryOptions(CLI::App& cmd, LcfArgs& args) {
  cmd.add_option("FILE", args.file, "The link command file")->required();
  cmd.add_option("AREA", args.areas, "NAME:START:SIZE, e.g. ROM:0:0x40000")->required();
}

const CommandEntry kLcfCommands[] = {
    {.name = "value",
     .help = "The value of a first-level SECTIONS assignment in a target's link command file",
     .set_up = SetUp(ValueOptions, RunValue)},
    {.name = "outer",
     .help = "The value of an assignment outside SECTIONS",
     .set_up = SetUp(OuterOptions, RunOuter)},
    {.name = "memory",
     .help = "The areas of the memory block: name, start, size",
     .set_up = SetUp(MemoryOptions, RunMemory)},
    {.name = "set-memory",
     .help = "Replace the memory block with the given areas (RAM and ROM as data.s/m/l and "
             "code.s/m/l); the rest of the file stays as it is",
     .set_up = SetUp(SetMemoryOptions, RunSetMemory)},
};

const CommandEntry kLcfGroup[] = {
    {.name = "lcf",
     .help = "Symbol values and the memory block of link command files",
     .commands = kLcfCommands},
};

}  // namespace

void RegisterLcfCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kLcfGroup);
}

}  // namespace zelvan::cli

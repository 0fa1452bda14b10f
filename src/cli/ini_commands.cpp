// zelvan ini: read and write single values of profile (INI) files, with the
// same rules the system uses for its project files (platform/private_profile.h).
//
//   zelvan ini get FILE SECTION KEY [--default TEXT]
//   zelvan ini set FILE SECTION KEY VALUE
//   zelvan ini delete FILE SECTION [KEY]
//   zelvan ini keys FILE SECTION
//   zelvan ini sections FILE
//
// FILE is a host path. Unlike the system's own writes, `set` and `delete`
// refuse a read-only file instead of clearing its attribute.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "cli/cli_command.h"
#include "cli/session_files.h"
#include "platform/file_system.h"
#include "platform/host_platform.h"
#include "platform/private_profile.h"
#include "platform/win_path.h"

namespace zelvan::cli {

namespace {

struct IniArguments {
  std::string file;  // host path
  std::string section;
  std::string key;
  std::string value;
  std::string default_value;
  bool has_default = false;
};

// One line on stderr; line breaks in names or values would split it.
int Fail(std::string message) {
  for (char& c : message) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  std::fprintf(stderr, "zelvan: %s\n", message.c_str());
  return kExitFailed;
}

void PrintLine(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

// The platform and the system's path of the file.
struct Session {
  std::unique_ptr<HostPlatform> host;
  std::string path;

  explicit Session(const IniArguments& args) : host(HostPlatform::Create(nullptr)) {
    path = CommandLinePath(fs(), args.file, std::cerr);
    // The folder loses what killed commands left there.
    RemoveDeadTemporaries(fs(), GetFileDirectory(path));
  }
  FileSystem& fs() { return *host->platform().fs; }
  PrivateProfile& profile() { return *host->platform().profile; }

  // Why the file cannot be read, or empty.
  std::string ReadProblem(const std::string& shown) {
    FileStatus status;
    if (path.empty() || !fs().Stat(path, &status)) return shown + ": no such file";
    if (status.is_directory) return shown + ": is a directory";
    std::string contents;
    if (!fs().ReadFile(path, &contents)) return shown + ": cannot be read";
    return std::string();
  }
};

int RunGet(const IniArguments& args) {
  Session session(args);
  std::string value;
  if (session.profile().Lookup(args.section, args.key, session.path, &value)) {
    PrintLine(value);
    return kExitOk;
  }
  if (args.has_default) {
    PrintLine(args.default_value);
    return kExitOk;
  }
  std::string problem = session.ReadProblem(args.file);
  if (!problem.empty()) return Fail(problem);
  return Fail("no key " + args.key + " in section [" + args.section + "] of " + args.file);
}

int RunSet(const IniArguments& args) {
  Session session(args);
  PrivateProfile& profile = session.profile();
  if (!profile.WriteString(args.section, args.key, args.value, session.path) ||
      !profile.Flush(session.path)) {
    return Fail("cannot set " + args.key + " in " + args.file + ": " + profile.LastError());
  }
  return kExitOk;
}

int RunDelete(const IniArguments& args) {
  Session session(args);
  PrivateProfile& profile = session.profile();
  bool ok = args.key.empty() ? profile.DeleteSection(args.section, session.path)
                             : profile.DeleteKey(args.section, args.key, session.path);
  if (!ok || !profile.Flush(session.path)) {
    return Fail("cannot delete from " + args.file + ": " + profile.LastError());
  }
  return kExitOk;
}

int RunKeys(const IniArguments& args) {
  Session session(args);
  std::string problem = session.ReadProblem(args.file);
  if (!problem.empty()) return Fail(problem);
  PrivateProfile& profile = session.profile();
  if (!profile.HasSection(args.section, session.path))
    return Fail("no section [" + args.section + "] in " + args.file);
  for (const std::string& key : profile.GetKeyNames(args.section, session.path))
    PrintLine(key);
  return kExitOk;
}

int RunSections(const IniArguments& args) {
  Session session(args);
  std::string problem = session.ReadProblem(args.file);
  if (!problem.empty()) return Fail(problem);
  for (const std::string& name : session.profile().GetSectionNames(session.path)) {
    PrintLine(name);
  }
  return kExitOk;
}

void GetOptions(CLI::App& cmd, IniArguments& args) {
  cmd.add_option("FILE", args.file, "Profile file (host path)")->required();
  cmd.add_option("SECTION", args.section, "Section name (case ignored)")->required();
  cmd.add_option("KEY", args.key, "Key name (case ignored)")->required();
  cmd.add_option("--default", args.default_value,
                 "Print DEFAULT when the file, section or key is missing, instead of failing")
      ->type_name("DEFAULT")
      ->each([&args](const std::string&) { args.has_default = true; });
}

void SetOptions(CLI::App& cmd, IniArguments& args) {
  cmd.add_option("FILE", args.file, "Profile file (host path)")->required();
  cmd.add_option("SECTION", args.section, "Section name")->required();
  cmd.add_option("KEY", args.key, "Key name")->required();
  cmd.add_option("VALUE", args.value,
                 "The value, written as given (use -- before a value that starts with -)")
      ->required();
}

void DeleteOptions(CLI::App& cmd, IniArguments& args) {
  cmd.add_option("FILE", args.file, "Profile file (host path)")->required();
  cmd.add_option("SECTION", args.section, "Section name")->required();
  cmd.add_option("KEY", args.key, "Key name");
}

void KeysOptions(CLI::App& cmd, IniArguments& args) {
  cmd.add_option("FILE", args.file, "Profile file (host path)")->required();
  cmd.add_option("SECTION", args.section, "Section name")->required();
}

void SectionsOptions(CLI::App& cmd, IniArguments& args) {
  cmd.add_option("FILE", args.file, "Profile file (host path)")->required();
}

const CommandEntry kIniCommands[] = {
    {.name = "get",
     .help = "Print the value of KEY in SECTION",
     .set_up = SetUp(GetOptions, RunGet)},
    {.name = "set",
     .help = "Set KEY in SECTION to VALUE, creating the file, section or key as needed",
     .set_up = SetUp(SetOptions, RunSet)},
    {.name = "delete",
     .help = "Delete KEY from SECTION, or the whole SECTION when no KEY is given",
     .set_up = SetUp(DeleteOptions, RunDelete)},
    {.name = "keys",
     .help = "Print the key names of SECTION, one a line",
     .set_up = SetUp(KeysOptions, RunKeys)},
    {.name = "sections",
     .help = "Print the section names, one a line",
     .set_up = SetUp(SectionsOptions, RunSections)},
};

const CommandEntry kIniGroup[] = {
    {.name = "ini",
     .help = "Read and write profile (INI) files by the rules of the system's project files",
     .commands = kIniCommands},
};

}  // namespace

void RegisterIniCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kIniGroup);
}

}  // namespace zelvan::cli

// zelvan new, copy and rename: projects made from the templates of the
// installation, and copies and new names of the workspace's projects.
//
//   zelvan new NAME --cpu CPU [--dir FOLDER] [--type abs|lib|full] [--memory 64|96|128]
//   zelvan copy PROJECT
//   zelvan rename PROJECT NEWNAME
//
// Each prints the project file it made, relative to the workspace's folder.
// They go through the component: Service slots 37 (full), 39 (blank or
// library), 86 (copy) and 87 (rename).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/cli_toolchain.h"
#include "cli/session.h"
#include "model/path_functions.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "projects/project_name.h"
#include "toolchain/support_cpu.h"

namespace zelvan::cli {

namespace {

struct ProjectArgs {
  std::string name;
  std::string cpu;
  std::string dir;
  std::string type = "abs";
  int memory = 0;  // 0: not given
  std::string project;
  std::string new_name;
};

int PrintProjectFile(Session& session, const std::string& project_file) {
  std::string relative;
  MakeRelativePath(session.host().WorkspacePath(), project_file, &relative);
  std::printf("%s\n", ForwardSlashes(relative).c_str());
  return kExitOk;
}

// The project file of a project of the workspace (Method14).
std::string ProjectFileOf(Session& session, std::string_view project) {
  VariantArgs a;
  VARIANT* file = a.Out();
  session.service().Method14(a.Text(project), file, a.Text(""), a.Out(), a.Text(""), a.Out());
  return VariantText(*file);
}

// Opens the workspace; the commands need no dependency refresh.
bool OpenForProjects(Session& session) {
  session.SetRefreshDependenciesOnOpen(false);
  return session.Open();
}

// The CPU that `typed` names: one that `cpu list` prints (an INI file's
// name, "MX-520R1") or its family's own spelling ("MX-520/R1"), in any
// case. An installed CPU that takes no new projects is passed on, for the
// component to refuse. False after printing why.
bool ResolveCpu(const GlobalOptions& globals, const std::string& typed, std::string* cpu) {
  *cpu = SupportCpu::FamilySpelling(typed);
  if (!cpu->empty()) return true;
  ToolchainSession toolchain;
  std::string error;
  const bool opened = OpenToolchain(globals, &toolchain, &error);
  if (opened && toolchain.cpus->FindCpu(typed) != nullptr) {
    *cpu = typed;
    return true;
  }
  ReportUnknownCpu(opened ? toolchain.cpus.get() : nullptr, typed);
  return false;
}

// A full project comes from Service slot 37, a blank or library project
// from slot 39; both answer the project file they made.
int RunNew(const GlobalOptions& globals, const ProjectArgs& args) {
  std::string cpu;
  if (!ResolveCpu(globals, args.cpu, &cpu)) return kExitFailed;
  Session session(globals);
  if (!OpenForProjects(session)) return kExitFailed;
  if (session.host().IsSingleProject()) {
    return session.Failed(
        "a project opened alone is no workspace to add to; name a workspace file (.kws)");
  }
  // A relative folder is taken against the workspace's folder, as the IDE
  // takes it; without one the project gets a folder of its own name.
  std::string folder;
  if (args.dir.empty()) {
    folder = NormalizeProjectName(args.name);
  } else if (args.dir.front() == '/') {
    folder = session.SystemPath(args.dir);
  } else {
    folder = args.dir;
    for (char& c : folder) {
      if (c == '/') c = '\\';
    }
  }
  VariantArgs a;
  const bool full = EqualsNoCase(args.type, "full");
  const std::string memory = args.memory != 0 ? std::to_string(args.memory) : "";
  VARIANT last = full ? (args.memory != 0 ? VariantFromLong(args.memory) : a.Empty())
                      : a.Array({args.type, memory});
  VARIANT* result = a.Out();
  IService& service = session.service();
  VARIANT* values[] = {a.Out(VariantFromText(args.name)), a.Out(VariantFromText(cpu)),
                       a.Out(VariantFromText(folder)), a.Out(last)};
  const HRESULT hr =
      full ? service.CreateProject(values[0], values[1], values[2], values[3], a.Out(), result)
           : service.Method39(values[0], values[1], values[2], values[3], a.Out(), result);
  if (hr != S_OK) return session.FailedWith(args.name);
  const std::string project_file = VariantText(*result);
  return PrintProjectFile(session, project_file);
}

int RunCopy(const GlobalOptions& globals, const ProjectArgs& args) {
  Session session(globals);
  if (!OpenForProjects(session)) return kExitFailed;
  VariantArgs a;
  if (session.service().CopyProject(a.Bstr(args.project)) != S_OK) {
    return session.FailedWith(args.project);
  }
  // The copy joins no workspace: it lies beside the project, named "Copy"
  // and the project file's base name.
  const PathParts parts = SplitPath(ProjectFileOf(session, args.project));
  return PrintProjectFile(session,
                          parts.drive + parts.directory + "Copy" + parts.title + parts.extension);
}

int RunRename(const GlobalOptions& globals, const ProjectArgs& args) {
  Session session(globals);
  if (!OpenForProjects(session)) return kExitFailed;
  VariantArgs a;
  if (session.service().RenameProject(a.Bstr(args.project), a.Bstr(args.new_name)) != S_OK) {
    // A name taken already is the new one.
    return session.FailedWith(session.LastStatus() == kStatusProjectExists ? args.new_name
                                                                           : args.project);
  }
  return PrintProjectFile(session, ProjectFileOf(session, NormalizeProjectName(args.new_name)));
}

void NewOptions(CLI::App& cmd, ProjectArgs& args) {
  cmd.add_option("NAME", args.name, "The project's name")->required();
  cmd.add_option("--cpu", args.cpu, "The CPU (MX-520, MX-520/R1, MX-310/P1, MR44 ...)")->required();
  cmd.add_option("--dir", args.dir,
                 "The project's folder, relative to the workspace's (default: NAME)");
  cmd.add_option("--type", args.type, "abs (application), lib (library) or full")
      ->check(CLI::IsMember({"abs", "lib", "full"}, CLI::ignore_case));
  cmd.add_option("--memory", args.memory,
                 "Memory size in KB: MX-310/P1's size; a full project's memory model");
}

void CopyOptions(CLI::App& cmd, ProjectArgs& args) {
  cmd.add_option("PROJECT", args.project, "Output name or project name")->required();
}

void RenameOptions(CLI::App& cmd, ProjectArgs& args) {
  cmd.add_option("PROJECT", args.project, "Output name or project name")->required();
  cmd.add_option("NEWNAME", args.new_name, "The new name")->required();
}

const CommandEntry kProjectCommands[] = {
    {.name = "new",
     .help = "Create a project from the templates of its CPU and add it to the workspace",
     .set_up = SetUp(NewOptions, RunNew)},
    {.name = "copy",
     .help = "Copy a project's files to Copy<name> beside it (the copy joins no workspace)",
     .set_up = SetUp(CopyOptions, RunCopy)},
    {.name = "rename",
     .help = "Rename a project and its files",
     .set_up = SetUp(RenameOptions, RunRename)},
};

}  // namespace

void RegisterProjectCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kProjectCommands);
}

}  // namespace zelvan::cli

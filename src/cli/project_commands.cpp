// zelvan new, copy and rename: projects made from the templates of the
// installation, and copies and new names of the workspace's projects.
//
//   zelvan new NAME --cpu CPU [--dir FOLDER] [--type abs|lib|full] [--memory 64|96|128]
//   zelvan copy PROJECT
//   zelvan rename PROJECT NEWNAME
//
// Each prints the project file it made, relative to the workspace's folder.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "cli/cli_command.h"
#include "cli/workspace_session.h"
#include "host/headless_project_services.h"
#include "model/path_functions.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "projects/copy_rename.h"
#include "projects/new_project.h"
#include "projects/project_name.h"

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

int PrintProjectFile(WorkspaceSession& session, const std::string& project_file) {
  std::string relative;
  MakeRelativePath(session.workspace().WorkspacePath(), project_file, &relative);
  std::printf("%s\n", relative.c_str());
  return kExitOk;
}

// Opens the workspace; the commands need no dependency refresh.
bool OpenForProjects(WorkspaceSession& session) {
  session.SetRefreshDependenciesOnOpen(false);
  return session.Open();
}

int RunNew(const GlobalOptions& globals, const ProjectArgs& args) {
  WorkspaceSession session(globals);
  if (!OpenForProjects(session)) return kExitFailed;
  if (session.host().IsSingleProject()) {
    return session.Failed(
        "a project opened alone is no workspace to add to; name a workspace file (.kws)");
  }
  HeadlessProjectServices services(session.host(), &session.connection());
  NewProjectRequest request;
  request.name = args.name;
  request.cpu = args.cpu;
  // A relative folder is taken against the workspace's folder, as the IDE
  // takes it; without one the project gets a folder of its own name.
  if (args.dir.empty()) {
    request.folder = NormalizeProjectName(args.name);
  } else if (args.dir.front() == '/') {
    request.folder = session.SystemPath(args.dir);
  } else {
    request.folder = args.dir;
    for (char& c : request.folder) {
      if (c == '/') c = '\\';
    }
  }
  request.memory_kb = args.memory != 0 ? args.memory : 64;
  std::string project_file;
  bool created = false;
  if (EqualsNoCase(args.type, "full")) {
    if (args.memory != 0) request.memory_model = StringPrintf("%dk", args.memory);
    session.cpus().ReadHomeDir(args.cpu, &request.toolchain_folder);
    int result = 0;
    created = CreateFullProject(session.workspace(), session.util(), services, request,
                                /*add_to_workspace=*/true, &result, &project_file);
  } else {
    request.type = args.type;
    created = NewProject(session.workspace(), session.util(), services, request, &project_file);
  }
  if (!created) return session.FailedWith(args.name);
  return PrintProjectFile(session, project_file);
}

int RunCopy(const GlobalOptions& globals, const ProjectArgs& args) {
  WorkspaceSession session(globals);
  if (!OpenForProjects(session)) return kExitFailed;
  HeadlessProjectServices services(session.host(), &session.connection());
  std::string project_file;
  if (!CopyProject(session.workspace(), services, args.project, &project_file)) {
    return session.FailedWith(args.project);
  }
  return PrintProjectFile(session, project_file);
}

int RunRename(const GlobalOptions& globals, const ProjectArgs& args) {
  WorkspaceSession session(globals);
  if (!OpenForProjects(session)) return kExitFailed;
  HeadlessProjectServices services(session.host(), &session.connection());
  std::string project_file;
  if (!RenameProject(session.workspace(), services, args.project, args.new_name, &project_file)) {
    return session.FailedWith(args.project);
  }
  return PrintProjectFile(session, project_file);
}

}  // namespace

void RegisterProjectCommands(const CommandRegistry& registry) {
  CLI::App& app = *registry.app;
  const GlobalOptions& globals = *registry.globals;
  CommandFunction& selected = *registry.selected;
  auto args = std::make_shared<ProjectArgs>();

  auto* create = app.add_subcommand(
      "new", "Create a project from the templates of its CPU and add it to the workspace");
  create->add_option("NAME", args->name, "The project's name")->required();
  create->add_option("--cpu", args->cpu, "The CPU (MX-520, MX-520/R1, MX-310/P1, MR44 ...)")
      ->required();
  create->add_option("--dir", args->dir,
                     "The project's folder, relative to the workspace's (default: NAME)");
  create->add_option("--type", args->type, "abs (application), lib (library) or full")
      ->check(CLI::IsMember({"abs", "lib", "full"}, CLI::ignore_case));
  create->add_option("--memory", args->memory,
                     "Memory size in KB: MX-310/P1's size; a full project's memory model");
  create->callback([&, args] { selected = [&globals, args] { return RunNew(globals, *args); }; });

  auto* copy = app.add_subcommand(
      "copy", "Copy a project's files to Copy<name> beside it (the copy joins no workspace)");
  copy->add_option("PROJECT", args->project, "Output name or project name")->required();
  copy->callback([&, args] { selected = [&globals, args] { return RunCopy(globals, *args); }; });

  auto* rename = app.add_subcommand("rename", "Rename a project and its files");
  rename->add_option("PROJECT", args->project, "Output name or project name")->required();
  rename->add_option("NEWNAME", args->new_name, "The new name")->required();
  rename->callback(
      [&, args] { selected = [&globals, args] { return RunRename(globals, *args); }; });
}

}  // namespace zelvan::cli

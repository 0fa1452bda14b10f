// zelvan deps: include dependencies of the workspace's sources.
//
//   zelvan deps [--all|--modified] [PROJECT...]   refresh (every project when none is named)
//   zelvan deps show PROJECT FILE [--target T]    the stored list of one source
//
// The refresh goes through the component: GetProjectInfo
// kInfoUpdateEveryProject and kInfoUpdateStaleOfEveryProject for every
// project, Method73 kinds 10003 and 10004 for named ones, each with a
// progress window of the command's own. No method gives a source's
// stored list: `deps show` reads it from the workspace directly.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/json_output.h"
#include "cli/session.h"
#include "com/bstr.h"
#include "dependencies/dependency_updater.h"
#include "model/dependency_record.h"
#include "model/project.h"
#include "model/source_file.h"
#include "service/project_info_kind.h"

namespace zelvan::cli {

namespace {

// The refresh requests of Method73.
constexpr LONG kUpdateProjects = 10003;
constexpr LONG kUpdateStaleOfProjects = 10004;

struct DepsArgs {
  bool all = false;
  bool modified = false;
  std::vector<std::string> projects;
};

int RunDeps(const GlobalOptions& globals, const DepsArgs& args) {
  Session session(globals);
  // The refresh asked for is the only one: opening only reads the files.
  session.SetRefreshDependenciesOnOpen(false);
  if (!session.Open()) return kExitFailed;
  IService& service = session.service();
  VariantArgs a;
  HRESULT hr = S_OK;
  bool cancelled = false;
  if (args.projects.empty()) {
    ScopedBstr result;
    hr = service.GetProjectInfo(args.all ? kInfoUpdateEveryProject : kInfoUpdateStaleOfEveryProject,
                                a.Empty(), session.ProgressWindow(), result.Receive());
    cancelled = result.Text() == "1";
  } else {
    VARIANT* answer = a.Out();
    VARIANT place = a.Empty();
    place.vt = VT_VARIANT | VT_BYREF;
    place.pvarVal = answer;
    hr = service.Method73(args.all ? kUpdateProjects : kUpdateStaleOfProjects,
                          a.Array(args.projects), session.ProgressWindow(), place);
    std::vector<std::string> result;
    cancelled = StringsFromVariant(*answer, &result) && result == std::vector<std::string>{"1"};
  }
  session.CommandProgress().Finish();
  if (hr != S_OK) {
    std::string names;
    for (const std::string& name : args.projects)
      names += (names.empty() ? "" : " ") + name;
    return session.FailedWith(names);
  }
  if (cancelled) {
    std::cerr << "zelvan: the refresh was stopped; the lists computed so far are kept\n";
    return kExitFailed;
  }
  // A dependency file that could not be written leaves its status behind.
  if (session.LastStatus() != 0) return session.Failed();
  if (args.projects.empty() &&
      !session.AllProjectsRead("the projects that could not be read were not refreshed")) {
    return kExitFailed;
  }
  return kExitOk;
}

struct ShowArgs {
  std::string project;
  std::string file;
  std::string target;
  bool json = false;
};

// --json:
//   {"project": "Motor.abs", "file": "main.c", "target": "Debug",
//    "includes": [{"path": "..\\include\\board.h", "form": "angle"},
//                 {"path": "motor.h", "form": "quoted"}, ...]}
// ("form" is null for a dependency stored without one).
void PrintIncludesJson(const Project& project, const SourceFile& file, const std::string& target,
                       const DependencyRecord& record) {
  JsonDocument includes = JsonDocument::array();
  for (size_t i = 0; i < record.size(); ++i) {
    const char form = record.form(i);
    includes.push_back({{"path", std::string(record.path(i))},
                        {"form", form == DependencyRecord::kQuoted  ? JsonDocument("quoted")
                                 : form == DependencyRecord::kAngle ? JsonDocument("angle")
                                                                    : JsonDocument()}});
  }
  PrintJson({{"project", project.paths().output_name},
             {"file", file.RelativePath()},
             {"target", target},
             {"includes", std::move(includes)}});
}

int RunShow(const GlobalOptions& globals, const ShowArgs& args) {
  Session session(globals);
  // What is stored, as it is stored.
  session.SetReadOnly();
  if (!session.Open()) return kExitFailed;
  Project* project = session.FindProject(args.project);
  if (project == nullptr) return kExitFailed;
  // The file as the project names it ("src\main.c", or with `/`), else a
  // path to it.
  std::string relative = args.file;
  for (char& c : relative) {
    if (c == '/') c = '\\';
  }
  SourceFile* file = project->sources().FindByRelativePath(relative);
  if (file == nullptr) file = project->sources().Find(session.SystemPath(args.file));
  if (file == nullptr) {
    return session.Failed("the project " + project->paths().output_name + " has no file " +
                          args.file);
  }
  // The target asked for, else the workspace's current one, else the
  // project's own current one.
  std::string target = args.target;
  if (target.empty()) {
    target = session.workspace().selection().CurrentTarget();
    if (!project->targets().Has(target)) target = project->targets().Current();
  }
  if (!project->targets().Has(target)) {
    return session.Failed("the project " + project->paths().output_name + " has no target " +
                          (target.empty() ? std::string("at all") : target));
  }
  const DependencyRecord* record = FindDependencyRecord(file->dependencies().records, target);
  if (record == nullptr) {
    return session.Failed("no dependency list of " + file->RelativePath() + " for " + target +
                          " is stored (zelvan deps makes them)");
  }
  if (args.json) {
    PrintIncludesJson(*project, *file, std::string(project->targets().Spelling(target)), *record);
    return kExitOk;
  }
  // One path a line, in the form it was included by: "..." or <...>.
  for (size_t i = 0; i < record->size(); ++i) {
    char form = record->form(i);
    std::string_view path = record->path(i);
    if (form == DependencyRecord::kQuoted) {
      std::cout << '"' << path << "\"\n";
    } else if (form == DependencyRecord::kAngle) {
      std::cout << '<' << path << ">\n";
    } else {
      std::cout << path << '\n';
    }
  }
  return kExitOk;
}

void DepsOptions(CLI::App& cmd, DepsArgs& args) {
  auto* all = cmd.add_flag("--all", args.all, "Scan every source again");
  cmd.add_flag("--modified", args.modified, "Scan only sources whose list is out of date")
      ->excludes(all);
  cmd.add_option("PROJECT", args.projects, "Output names or project names (default: all)");
}

void ShowOptions(CLI::App& cmd, ShowArgs& args) {
  cmd.add_option("PROJECT", args.project, "Output name or project name")->required();
  cmd.add_option("FILE", args.file, "The source as the project names it, or its path")->required();
  cmd.add_option("--target", args.target, "Build target (default: the current one)");
  AddJsonFlag(&cmd, &args.json);
}

const CommandEntry kDepsCommands[] = {
    {.name = "show",
     .help = "Print the stored include list of one source",
     .set_up = SetUp(ShowOptions, RunShow)},
};

const CommandEntry kDepsGroup[] = {
    {.name = "deps",
     .help = "Bring the include dependencies of the sources up to date (modified files only "
             "unless --all); `deps show` prints a stored list",
     .set_up = SetUp(DepsOptions, RunDeps),
     .commands = kDepsCommands},
};

}  // namespace

void RegisterDepsCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kDepsGroup);
}

}  // namespace zelvan::cli

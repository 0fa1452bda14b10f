// The makefile commands: the KMAKE makefile of a project, the check that
// makefiles on disk are current, the build makefile of one target, and the
// build events and project custom build of a target.
//
//   zelvan makefile [PROJECT] [--target T] [--mode normal|sub|fal] [--clean] [-o FILE] [--stdout]
//   zelvan makefile --check [PROJECT...]
//   zelvan build-makefile PROJECT TARGET [--mode normal|fal] [--clean] [--pre-build] [--convert]
//   zelvan build-step PROJECT TARGET STEP [--title T] [--command C]... [--output O]... [--clear]
//   zelvan build-step PROJECT TARGET --copy-to OTHER
//
// They go through the component: the makefile of a project with
// GetProjectInfo kInfoProjectMakefile, or SaveMakefile for the active
// project's to another file; the build makefile and its side makefiles with
// kInfoBuildMakefile, kInfoPreBuildMakefile and kInfoConvertMakefile; build steps with Method15 and
// Method56. No method takes a single target or the Clean flag of the project's makefile, gives its
// text or compares it with the file: `makefile` with --target, --clean, --stdout,
// --check, or -o with a project named, works on the workspace directly.
#include <CLI/CLI.hpp>

#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/build_commands.h"
#include "cli/cli_command.h"
#include "cli/json_output.h"
#include "cli/session.h"
#include "com/bstr.h"
#include "makefile/custom_build_rules.h"
#include "makefile/kmake_file.h"
#include "makefile/project_build_steps.h"
#include "makefile/rule_text.h"
#include "model/project.h"
#include "model/status_codes.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "service/project_info_kind.h"
#include "service/report_status.h"
#include "storage/project_files.h"

namespace zelvan::cli {

namespace {

const std::map<std::string, MakeMode> kModes = {
    {"normal", NormalMode}, {"sub", SubProjectMode}, {"fal", FalMode}};

// The kinds of Method15.
constexpr LONG kReadBuildStep = 0;
constexpr LONG kWriteBuildStep = 1;

// False after printing why when the project has no such target.
bool CheckTarget(Session& session, Project& project, const std::string& target) {
  if (target.empty() || project.targets().Has(target)) return true;
  session.workspace().SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
  session.FailedWith(project.paths().output_name + " " + target);
  return false;
}

int GenerationFailed(Session& session, std::string_view subject) {
  if (session.workspace().GetLastStatus() == 0) {
    return session.Failed("generation was stopped; nothing was written");
  }
  return session.FailedWith(subject);
}

struct MakefileArgs {
  std::vector<std::string> projects;
  std::string target;
  std::string mode = "normal";
  bool clean = false;
  bool check = false;
  bool to_stdout = false;
  std::string output;
  bool gnu = false;
  bool alone = false;
  bool host_paths = false;
  bool json = false;  // --check --json
  bool all = false;   // every project of the workspace
};

// --json lists every project checked, the current ones too (the exit
// status and the message on stderr are those of the text form):
//   {"makefiles": [{"project": "Motor.abs", "makefile": "/home/me/ws/Motor/Motor.mak",
//                   "current": false}, ...]}
int RunCheck(Session& session, const MakefileArgs& args) {
  Workspace& workspace = session.workspace();
  std::vector<Project*> projects;
  if (!session.FindProjects(args.projects, &projects)) return kExitNotChecked;
  const char* kUnchecked = "nothing was checked";
  if (args.projects.empty() && !session.AllProjectsRead(kUnchecked)) return kExitNotChecked;
  for (Project* project : projects) {
    if (!session.LinkedProjectsRead(project, kUnchecked)) return kExitNotChecked;
  }
  int stale = 0;
  JsonDocument list = JsonDocument::array();
  for (Project* project : projects) {
    bool current = false;
    if (!IsKmakeFileCurrent(workspace, session.make_states(), &session.cpus(), *project,
                            &current)) {
      GenerationFailed(session, project->paths().output_name);
      return kExitNotChecked;
    }
    const std::string makefile = session.fs().ToHostPath(project->paths().makefile);
    if (args.json) {
      list.push_back({{"project", project->paths().output_name},
                      {"makefile", makefile},
                      {"current", current}});
    }
    if (current) continue;
    ++stale;
    if (!args.json) std::cout << project->paths().output_name << '\t' << makefile << '\n';
  }
  if (args.json) PrintJson({{"makefiles", std::move(list)}});
  if (stale == 0) return kExitOk;
  return session.Failed(std::to_string(stale) +
                        " makefile(s) differ from what would be generated now");
}

// The makefile of a project, or of the active one, in a mode and to its own
// name (kInfoProjectMakefile; the GNU form, kInfoGnuMakefile), or the active
// project's to another file (SaveMakefile).
int RunMakefileThroughService(Session& session, const MakefileArgs& args) {
  IService& service = session.service();
  VariantArgs a;
  std::string path;
  // Each form but the linked projects' own (sub) makes them first.
  const bool takes_links = args.gnu ? !args.alone : kModes.at(args.mode) != SubProjectMode;
  if (!args.output.empty()) {
    path = session.SystemPath(args.output);
    ScopedBstr active;
    service.GetProjectInfo(kInfoCurrentProject, a.Text(""), a.Empty(), active.Receive());
    if (takes_links && !active.Text().empty() &&
        !session.LinkedProjectsRead(FindProjectByNameOrFile(session.workspace(), active.Text()),
                                    "nothing was written")) {
      return kExitFailed;
    }
    if (service.SaveMakefile(a.Text(path)) != S_OK) {
      return session.LastStatus() == 0
                 ? session.Failed("the workspace has no active project, or it was stopped")
                 : session.FailedWith(path);
    }
    std::cout << session.fs().ToHostPath(path) << '\n';
    return kExitOk;
  }
  std::vector<std::string> projects = args.projects;
  if (args.all) {
    // The workspace's projects, in its order.
    ScopedBstr names;
    service.GetProjectInfo(kInfoProjects, a.Text(""), a.Empty(), names.Receive());
    SplitList(names.Text(), &projects);
  } else if (projects.empty()) {
    ScopedBstr current;
    service.GetProjectInfo(kInfoCurrentProject, a.Text(""), a.Empty(), current.Receive());
    if (current.Text().empty()) return session.NoActiveProject();
    projects.push_back(current.Text());
  }
  // The KMAKE form takes the mode, the GNU form whether the project stands alone.
  const std::string value =
      args.gnu ? (args.alone ? "1" : "0") : std::to_string(static_cast<int>(kModes.at(args.mode)));
  for (const std::string& project : projects) {
    if (takes_links &&
        !session.LinkedProjectsRead(FindProjectByNameOrFile(session.workspace(), project),
                                    "nothing was written")) {
      return kExitFailed;
    }
    ScopedBstr makefile;
    if (service.GetProjectInfo(args.gnu ? kInfoGnuMakefile : kInfoProjectMakefile, a.Text(project),
                               a.Text(value), makefile.Receive()) != S_OK) {
      return session.FailedWith(project);
    }
    std::cout << session.fs().ToHostPath(makefile.Text()) << '\n';
  }
  return kExitOk;
}

int RunMakefile(const GlobalOptions& globals, const MakefileArgs& args) {
  if (args.gnu && (args.host_paths || args.to_stdout || !args.output.empty())) {
    if (args.projects.size() > 1 || args.all) {
      std::cerr << "zelvan: makefile: name one project for --host-paths and --stdout\n";
      return kExitUsage;
    }
    return RunGnuMakefile(globals, {args.projects.empty() ? std::string() : args.projects.front(),
                                    args.alone, args.host_paths, args.to_stdout, args.output});
  }
  Session session(globals);
  if (args.check) {
    // Up-to-date dependencies are compared, and kept in memory only.
    session.SetReadOnly();
    session.SetRefreshDependenciesOnOpen(true);
  }
  if (!session.Open()) return args.check ? kExitNotChecked : kExitFailed;
  if (args.check) return RunCheck(session, args);
  const bool named_elsewhere = !args.output.empty() && !args.projects.empty();
  if (args.gnu || (!args.to_stdout && !args.clean && args.target.empty() && !named_elsewhere &&
                   (args.output.empty() || args.mode == "normal"))) {
    return RunMakefileThroughService(session, args);
  }
  if (args.projects.size() > 1 || args.all) {
    return session.Failed("name one project for --target, --clean, --stdout and -o");
  }
  Project* project =
      session.FindProjectOrActive(args.projects.empty() ? std::string() : args.projects.front());
  if (project == nullptr || !CheckTarget(session, *project, args.target)) return kExitFailed;
  Workspace& workspace = session.workspace();
  MakeMode mode = kModes.at(args.mode);
  if (mode != SubProjectMode &&
      !session.LinkedProjectsRead(project,
                                  args.to_stdout ? "nothing was printed" : "nothing was written")) {
    return kExitFailed;
  }
  std::optional<std::string_view> target;
  if (!args.target.empty()) target = args.target;
  if (args.to_stdout) {
    std::string text;
    if (!GenerateKmakeText(workspace, session.make_states(), *project, &session.cpus(), mode,
                           target, args.clean, &text,
                           /*plan=*/nullptr)) {
      return GenerationFailed(session, project->paths().output_name);
    }
    // The bytes the file would hold, line ends included.
    std::cout << ToTextModeFile(text);
    return kExitOk;
  }
  std::string path =
      args.output.empty() ? project->paths().makefile : session.SystemPath(args.output);
  workspace.ClearStatus();
  if (!ReportStatus(workspace,
                    GenerateKmakeFile(workspace, session.make_states(), &session.cpus(),
                                      std::string_view(path), project->paths().project_file, mode,
                                      target, args.clean))) {
    return GenerationFailed(session, path);
  }
  std::cout << session.fs().ToHostPath(path) << '\n';
  return kExitOk;
}

struct BuildMakefileArgs {
  std::string project;
  std::string target;
  std::string mode = "normal";
  bool clean = false;
  bool pre_build = false;
  bool convert = false;
};

// A build makefile or one of its side makefiles: its path, or empty after
// printing why.
std::string ProjectInfoMakefile(Session& session, ProjectInfoKind kind, const std::string& project,
                                VARIANT value) {
  VariantArgs a;
  ScopedBstr path;
  if (session.service().GetProjectInfo(kind, a.Text(project), value, path.Receive()) != S_OK) {
    session.FailedWith(project);
    return std::string();
  }
  return path.Text();
}

int RunBuildMakefile(const GlobalOptions& globals, const BuildMakefileArgs& args) {
  Session session(globals);
  if (!session.Open()) return kExitFailed;
  VariantArgs a;
  // The build makefile lies beside the project file; whether it was made
  // again shows in its file status.
  VARIANT* project_file = a.Out();
  if (session.service().Method14(a.Text(args.project), project_file, a.Text(""), a.Out(),
                                 a.Text(""), a.Out()) != S_OK) {
    return session.FailedWith(args.project);
  }
  if (!session.LinkedProjectsRead(FindProjectByNameOrFile(session.workspace(), args.project),
                                  "nothing was written")) {
    return kExitFailed;
  }
  const MakeMode mode = kModes.at(args.mode);
  const std::string expected = GetFileDirectory(VariantText(*project_file)) +
                               (mode == FalMode ? "tempmake.falmak" : "tempmake.mak");
  FileStatus before;
  const bool existed = session.fs().Stat(expected, &before);
  const std::string path = ProjectInfoMakefile(
      session, kInfoBuildMakefile, args.project,
      a.Array({args.target, std::to_string(static_cast<int>(mode)), args.clean ? "1" : "0"}));
  if (path.empty()) return kExitFailed;
  FileStatus after;
  const bool regenerated =
      !existed || !session.fs().Stat(path, &after) || !after.SameVersion(before);
  std::cout << session.fs().ToHostPath(path) << '\n';
  std::cerr << "zelvan: " << (regenerated ? "regenerated" : "up to date, left as it was") << "\n";
  for (const auto& [wanted, kind] : {std::pair{args.pre_build, kInfoPreBuildMakefile},
                                     std::pair{args.convert, kInfoConvertMakefile}}) {
    if (!wanted) continue;
    const std::string side = ProjectInfoMakefile(session, kind, args.project, a.Text(args.target));
    if (side.empty()) return kExitFailed;
    std::cout << session.fs().ToHostPath(side) << '\n';
  }
  return kExitOk;
}

struct BuildStepArgs {
  std::string project;
  std::string target;
  std::string step;
  std::optional<std::string> title;
  std::vector<std::string> commands;
  std::vector<std::string> outputs;
  bool clear = false;
  std::string copy_to;

  void Finish() const {
    if (step.empty() && copy_to.empty()) {
      throw CLI::ValidationError("STEP", "name a STEP, or --copy-to");
    }
  }
};

void PrintStep(const ProjectBuildStepSettings& settings) {
  std::cout << "title\t" << (settings.title.empty() ? "-" : settings.title) << '\n';
  for (const std::string& command : settings.commands)
    std::cout << "command\t" << command << '\n';
  for (const std::string& output : settings.outputs)
    std::cout << "output\t" << output << '\n';
}

int RunBuildStep(const GlobalOptions& globals, const BuildStepArgs& args) {
  Session session(globals);
  if (!session.Open()) return kExitFailed;
  IService& service = session.service();
  VariantArgs a;
  if (!args.copy_to.empty()) {
    if (service.Method56(a.Bstr(args.project), a.Bstr(args.target), a.Text(args.copy_to),
                         a.Empty()) != S_OK) {
      return session.FailedWith(args.project);
    }
    return session.Save();
  }
  ProjectBuildStepKind kind;
  if (!ParseProjectBuildStepKind(args.step, &kind)) {
    return session.Failed("STEP is one of before-build, before-link, after-build, custom-build");
  }
  VARIANT* title = a.Out();
  VARIANT* commands = a.Out();
  VARIANT* outputs = a.Out();
  if (service.Method15(kReadBuildStep, a.Text(args.project), title, a.Text(args.target), commands,
                       a.Text(args.step), outputs, nullptr) != S_OK) {
    return session.FailedWith(args.project + " " + args.target);
  }
  ProjectBuildStepSettings settings;
  settings.title = VariantText(*title);
  StringsFromVariant(*commands, &settings.commands);
  StringsFromVariant(*outputs, &settings.outputs);
  bool change = args.title || !args.commands.empty() || !args.outputs.empty() || args.clear;
  if (!change) {
    PrintStep(settings);
    return kExitOk;
  }
  if (args.clear) settings = ProjectBuildStepSettings{};
  if (args.title) settings.title = *args.title;
  if (!args.commands.empty()) settings.commands = args.commands;
  if (!args.outputs.empty()) settings.outputs = args.outputs;
  // The new step goes in through the same three VARIANTs.
  VARIANT* new_title = a.Out(VariantFromText(settings.title));
  VARIANT* new_commands = a.Out(a.Array(settings.commands));
  VARIANT* new_outputs = a.Out(a.Array(settings.outputs));
  if (service.Method15(kWriteBuildStep, a.Text(args.project), new_title, a.Text(args.target),
                       new_commands, a.Text(args.step), new_outputs, nullptr) != S_OK) {
    return session.FailedWith(args.project + " " + args.target);
  }
  return session.Save();
}

void MakefileOptions(CLI::App& cmd, MakefileArgs& args) {
  auto* named = cmd.add_option("PROJECT", args.projects,
                               "Output names or project names (default: the active project)");
  auto* all = cmd.add_flag("--all", args.all, "Every project of the workspace")->excludes(named);
  cmd.add_option("--target", args.target, "One target only (default: every target)");
  cmd.add_option("--mode", args.mode, "normal, sub (a linked project's) or fal")
      ->check(CLI::IsMember(std::vector<std::string>{"normal", "sub", "fal"}));
  cmd.add_flag("--clean", args.clean, "Write the Clean section whatever the number of files");
  auto* output = cmd.add_option("-o,--output", args.output,
                                "The makefile (default: the project's own, <project>.mak)");
  auto* to_stdout = cmd.add_flag("--stdout", args.to_stdout, "Print the text, write nothing");
  output->excludes(to_stdout);
  all->excludes(output);
  auto* check = cmd.add_flag("--check", args.check,
                             "Write nothing; exit 1 naming each project whose makefile "
                             "differs from what would be generated now")
                    ->excludes(output)
                    ->excludes(to_stdout);
  AddJsonFlag(&cmd, &args.json)->needs(check);
  auto* gnu = cmd.add_flag("--gnu", args.gnu,
                           "The GNU-format makefile: the project and the projects it links")
                  ->excludes("--check")
                  ->excludes("--target")
                  ->excludes("--clean")
                  ->excludes("--mode");
  cmd.add_flag("--alone", args.alone, "GNU form: the project alone")->needs(gnu);
  cmd.add_flag("--host-paths", args.host_paths,
               "GNU form with this host's paths and tools, for a real build")
      ->needs(gnu);
}

void BuildMakefileOptions(CLI::App& cmd, BuildMakefileArgs& args) {
  cmd.add_option("PROJECT", args.project, "Output name or project name")->required();
  cmd.add_option("TARGET", args.target, "Build target")->required();
  cmd.add_option("--mode", args.mode, "normal or fal")
      ->check(CLI::IsMember(std::vector<std::string>{"normal", "fal"}));
  cmd.add_flag("--clean", args.clean, "Write the Clean section whatever the number of files");
  cmd.add_flag("--pre-build", args.pre_build,
               "Also write the pre-build makefile (tempmakepre.mak)");
  cmd.add_flag("--convert", args.convert, "Also write the convert makefile (tempmakeabs.mak)");
}

void BuildStepOptions(CLI::App& cmd, BuildStepArgs& args) {
  cmd.add_option("PROJECT", args.project, "Output name or project name")->required();
  cmd.add_option("TARGET", args.target, "Build target")->required();
  cmd.add_option("STEP", args.step, "before-build, before-link, after-build or custom-build");
  cmd.add_option("--title", args.title, "The event's title, or the custom build's comment");
  cmd.add_option("--command", args.commands, "A command (repeat for several); replaces them");
  cmd.add_option("--output", args.outputs, "A custom build output (repeat); replaces them");
  cmd.add_flag("--clear", args.clear, "Empty the step first");
  cmd.add_option("--copy-to", args.copy_to, "Copy every step of TARGET to this target");
}

const CommandEntry kMakefileCommands[] = {
    {.name = "makefile",
     .help = "Write the KMAKE makefile of a project (default: the active one) and print "
             "its path; --check names the projects whose makefile is not current",
     .set_up = SetUp(MakefileOptions, RunMakefile)},
    {.name = "build-makefile",
     .help = "Make the build makefile of one target (tempmake.mak) when it is out of date; "
             "print its path",
     .set_up = SetUp(BuildMakefileOptions, RunBuildMakefile)},
    {.name = "build-step",
     .help = "Show or change a build event or the project custom build of a target",
     .set_up = SetUp(BuildStepOptions, RunBuildStep)},
};

}  // namespace

void RegisterMakefileCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kMakefileCommands);
}

}  // namespace zelvan::cli

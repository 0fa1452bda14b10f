// The makefile commands: the KMAKE makefile of a project, the check that
// makefiles on disk are current, the build makefile of one target, and the
// build events and project custom build of a target.
//
//   zelvan makefile [PROJECT] [--target T] [--mode normal|sub|fal] [--clean] [-o FILE] [--stdout]
//   zelvan makefile --check [PROJECT...]
//   zelvan build-makefile PROJECT TARGET [--mode normal|fal] [--clean] [--pre-build] [--convert]
//   zelvan build-step PROJECT TARGET STEP [--title T] [--command C]... [--output O]... [--clear]
//   zelvan build-step PROJECT TARGET --copy-to OTHER
#include <CLI/CLI.hpp>

#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "build/custom_build_rules.h"
#include "build/kmake_file.h"
#include "build/project_build_steps.h"
#include "cli/build_commands.h"
#include "cli/cli_command.h"
#include "cli/workspace_session.h"
#include "model/one_project_data.h"
#include "model/status_codes.h"
#include "platform/file_system.h"

namespace zelvan::cli {

namespace {

const std::map<std::string, MakeMode> kModes = {
    {"normal", NormalMode}, {"sub", SubProjectMode}, {"fal", FalMode}};

// The project a command names, or the active one when it names none.
COneProjectData* ProjectOrActive(WorkspaceSession& session, const std::string& name) {
  if (!name.empty()) return session.FindProject(name);
  CProjectData& workspace = session.workspace();
  COneProjectData* project = workspace.FindProjectByFile(workspace.ActiveProjectFile());
  if (project == nullptr) session.Failed("the workspace has no active project; name one");
  return project;
}

// False after printing why when the project has no such target.
bool CheckTarget(WorkspaceSession& session, COneProjectData& project, const std::string& target) {
  if (target.empty() || project.HasTarget(target)) return true;
  session.workspace().SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
  session.FailedWith(project.OutputName() + " " + target);
  return false;
}

int GenerationFailed(WorkspaceSession& session, std::string_view subject) {
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
};

int RunCheck(WorkspaceSession& session, const MakefileArgs& args) {
  CProjectData& workspace = session.workspace();
  std::vector<COneProjectData*> projects;
  for (const std::string& name : args.projects) {
    COneProjectData* project = session.FindProject(name);
    if (project == nullptr) return kExitFailed;
    projects.push_back(project);
  }
  if (args.projects.empty()) {
    for (const auto& project : workspace.Projects())
      projects.push_back(project.get());
  }
  int stale = 0;
  for (COneProjectData* project : projects) {
    bool current = false;
    if (!IsKmakeFileCurrent(workspace, &session.cpus(), *project, &current)) {
      return GenerationFailed(session, project->OutputName());
    }
    if (current) continue;
    ++stale;
    std::cout << project->OutputName() << '\t' << session.fs().ToHostPath(project->MakefilePath())
              << '\n';
  }
  if (stale == 0) return kExitOk;
  return session.Failed(std::to_string(stale) +
                        " makefile(s) differ from what would be generated now");
}

int RunMakefile(const GlobalOptions& globals, const MakefileArgs& args) {
  if (args.gnu) {
    if (args.projects.size() > 1) {
      std::cerr << "zelvan: name one project\n";
      return kExitUsage;
    }
    return RunGnuMakefile(globals, {args.projects.empty() ? std::string() : args.projects.front(),
                                    args.alone, args.host_paths, args.to_stdout, args.output});
  }
  WorkspaceSession session(globals);
  if (!session.Open()) return kExitFailed;
  if (args.check) return RunCheck(session, args);
  if (args.projects.size() > 1) return session.Failed("name one project (or use --check)");
  COneProjectData* project =
      ProjectOrActive(session, args.projects.empty() ? std::string() : args.projects.front());
  if (project == nullptr || !CheckTarget(session, *project, args.target)) return kExitFailed;
  CProjectData& workspace = session.workspace();
  MakeMode mode = kModes.at(args.mode);
  std::optional<std::string_view> target;
  if (!args.target.empty()) target = args.target;
  if (args.to_stdout) {
    std::string text;
    if (!GenerateKmakeText(workspace, *project, &session.cpus(), mode, target, args.clean, &text,
                           /*prepare_disk=*/false)) {
      return GenerationFailed(session, project->OutputName());
    }
    std::cout << text;
    return kExitOk;
  }
  std::string path =
      args.output.empty() ? project->MakefilePath() : session.SystemPath(args.output);
  if (!GenerateKmakeFile(workspace, &session.cpus(), std::string_view(path),
                         project->ProjectFilePath(), mode, target, args.clean)) {
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

int RunBuildMakefile(const GlobalOptions& globals, const BuildMakefileArgs& args) {
  WorkspaceSession session(globals);
  if (!session.Open()) return kExitFailed;
  COneProjectData* project = session.FindProject(args.project);
  if (project == nullptr || !CheckTarget(session, *project, args.target)) return kExitFailed;
  CProjectData& workspace = session.workspace();
  std::string path;
  bool regenerated = false;
  if (!PrepareBuildMakefile(workspace, &session.cpus(), project->ProjectFilePath(), args.target,
                            kModes.at(args.mode), args.clean, &path, &regenerated)) {
    return GenerationFailed(session, path);
  }
  std::cout << session.fs().ToHostPath(path) << '\n';
  std::cerr << "zelvan: " << (regenerated ? "regenerated" : "up to date, left as it was") << "\n";
  if (args.pre_build) {
    if (!WritePreBuildMakefile(workspace, *project, &session.cpus(), args.target, &path)) {
      return session.Failed("the pre-build makefile could not be written");
    }
    std::cout << session.fs().ToHostPath(path) << '\n';
  }
  if (args.convert) {
    if (!WriteConversionMakefile(workspace, *project, &session.cpus(), args.target, &path)) {
      return session.Failed(project->IsLibrary() ? "a library project has no convert step"
                                                 : "the convert makefile could not be written");
    }
    std::cout << session.fs().ToHostPath(path) << '\n';
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
};

void PrintStep(const ProjectBuildStepSettings& settings) {
  std::cout << "title\t" << (settings.title.empty() ? "-" : settings.title) << '\n';
  for (const std::string& command : settings.commands)
    std::cout << "command\t" << command << '\n';
  for (const std::string& output : settings.outputs)
    std::cout << "output\t" << output << '\n';
}

int RunBuildStep(const GlobalOptions& globals, const BuildStepArgs& args) {
  WorkspaceSession session(globals);
  if (!session.Open()) return kExitFailed;
  CProjectData& workspace = session.workspace();
  if (!args.copy_to.empty()) {
    if (!CopyProjectBuildSteps(workspace, args.project, args.target, args.copy_to)) {
      return session.FailedWith(args.project);
    }
    return session.Save();
  }
  ProjectBuildStepKind kind;
  if (!ParseProjectBuildStepKind(args.step, &kind)) {
    return session.Failed("STEP is one of before-build, before-link, after-build, custom-build");
  }
  ProjectBuildStepSettings settings;
  if (!GetProjectBuildStep(workspace, args.project, args.target, kind, &settings)) {
    return session.FailedWith(args.project + " " + args.target);
  }
  bool change = args.title || !args.commands.empty() || !args.outputs.empty() || args.clear;
  if (!change) {
    PrintStep(settings);
    return kExitOk;
  }
  if (args.clear) settings = ProjectBuildStepSettings{};
  if (args.title) settings.title = *args.title;
  if (!args.commands.empty()) settings.commands = args.commands;
  if (!args.outputs.empty()) settings.outputs = args.outputs;
  if (!SetProjectBuildStep(workspace, args.project, args.target, kind, settings)) {
    return session.FailedWith(args.project + " " + args.target);
  }
  return session.Save();
}

}  // namespace

void RegisterMakefileCommands(const CommandRegistry& registry) {
  CLI::App& app = *registry.app;
  GlobalOptions& globals = *registry.globals;
  CommandFunction& selected = *registry.selected;
  std::vector<std::string> mode_names = {"normal", "sub", "fal"};

  {
    auto* cmd = app.add_subcommand(
        "makefile",
        "Write the KMAKE makefile of a project (default: the active one) and print "
        "its path; --check names the projects whose makefile is not current");
    auto args = std::make_shared<MakefileArgs>();
    cmd->add_option("PROJECT", args->projects, "Output name or project name");
    cmd->add_option("--target", args->target, "One target only (default: every target)");
    cmd->add_option("--mode", args->mode, "normal, sub (a linked project's) or fal")
        ->check(CLI::IsMember(mode_names));
    cmd->add_flag("--clean", args->clean, "Write the Clean section whatever the number of files");
    auto* output = cmd->add_option("-o,--output", args->output,
                                   "The makefile (default: the project's own, <project>.mak)");
    auto* to_stdout = cmd->add_flag("--stdout", args->to_stdout, "Print the text, write nothing");
    output->excludes(to_stdout);
    cmd->add_flag("--check", args->check,
                  "Write nothing; exit 1 naming each project whose makefile differs from what "
                  "would be generated now")
        ->excludes(output)
        ->excludes(to_stdout);
    auto* gnu = cmd->add_flag("--gnu", args->gnu,
                              "The GNU-format makefile: the project and the projects it links")
                    ->excludes("--check")
                    ->excludes("--target")
                    ->excludes("--clean")
                    ->excludes("--mode");
    cmd->add_flag("--alone", args->alone, "GNU form: the project alone")->needs(gnu);
    cmd->add_flag("--host-paths", args->host_paths,
                  "GNU form with this host's paths and tools, for a real build")
        ->needs(gnu);
    cmd->callback(
        [&, args] { selected = [&globals, args] { return RunMakefile(globals, *args); }; });
  }
  {
    auto* cmd = app.add_subcommand("build-makefile",
                                   "Make the build makefile of one target (tempmake.mak) when it "
                                   "is out of date; print its path");
    auto args = std::make_shared<BuildMakefileArgs>();
    cmd->add_option("PROJECT", args->project, "Output name or project name")->required();
    cmd->add_option("TARGET", args->target, "Build target")->required();
    cmd->add_option("--mode", args->mode, "normal or fal")
        ->check(CLI::IsMember(std::vector<std::string>{"normal", "fal"}));
    cmd->add_flag("--clean", args->clean, "Write the Clean section whatever the number of files");
    cmd->add_flag("--pre-build", args->pre_build,
                  "Also write the pre-build makefile (tempmakepre.mak)");
    cmd->add_flag("--convert", args->convert, "Also write the convert makefile (tempmakeabs.mak)");
    cmd->callback(
        [&, args] { selected = [&globals, args] { return RunBuildMakefile(globals, *args); }; });
  }
  {
    auto* cmd = app.add_subcommand(
        "build-step", "Show or change a build event or the project custom build of a target");
    auto args = std::make_shared<BuildStepArgs>();
    cmd->add_option("PROJECT", args->project, "Output name or project name")->required();
    cmd->add_option("TARGET", args->target, "Build target")->required();
    cmd->add_option("STEP", args->step, "before-build, before-link, after-build or custom-build");
    cmd->add_option("--title", args->title, "The event's title, or the custom build's comment");
    cmd->add_option("--command", args->commands, "A command (repeat for several); replaces them");
    cmd->add_option("--output", args->outputs, "A custom build output (repeat); replaces them");
    cmd->add_flag("--clear", args->clear, "Empty the step first");
    cmd->add_option("--copy-to", args->copy_to, "Copy every step of TARGET to this target");
    cmd->callback([&, args] {
      if (args->step.empty() && args->copy_to.empty()) {
        throw CLI::ValidationError("STEP", "name a STEP, or --copy-to");
      }
      selected = [&globals, args] { return RunBuildStep(globals, *args); };
    });
  }
}

}  // namespace zelvan::cli

// The GNU-format makefile of a project, a real build with GNU make, and
// the compilation database that editors read.
//
//   zelvan makefile --gnu [PROJECT] [--alone] [--host-paths] [-o FILE] [--stdout]
//   zelvan build [PROJECT] [--target T] [-j N]
//   zelvan clean [PROJECT] [--target T]
//   zelvan compile-commands [PROJECT...] [--target T] [-o FILE]
//
// `build` writes the host form of the GNU makefile of the project and the
// projects it links into the target's intermediate directory (TEMP) and
// runs GNU make on it there, with the CPU families' executable directories
// first on PATH; make's output streams through. The workspace is closed
// (its files unlocked) while make runs, but the build lock of the workspace
// is held to the end: two builds or cleans of one workspace take turns.
// make runs in a process group of its own, so that Ctrl-C, a signal or
// `zelvan stop` ends make and everything it started, not zelvan alone.
#include "cli/build_commands.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/session.h"
#include "makefile/compile_commands.h"
#include "makefile/gnu_makefile.h"
#include "makefile/rule_text.h"
#include "model/path_functions.h"
#include "model/project.h"
#include "model/status_codes.h"
#include "platform/child_process.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/system_services.h"
#include "platform/win_path.h"
#include "service/report_status.h"

namespace zelvan::cli {

namespace {

// `target`, else the project's current target, else its first; empty
// after printing why when the project has no such target.
std::string ChooseTarget(Session& session, Project& project, const std::string& target) {
  if (!target.empty()) {
    if (project.targets().Has(target)) return std::string(project.targets().Spelling(target));
    session.workspace().SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
    session.FailedWith(project.paths().output_name + " " + target);
    return std::string();
  }
  const std::string_view chosen = project.targets().CurrentOrFirst();
  if (chosen.empty()) session.Failed(project.paths().output_name + " has no target");
  return std::string(chosen);
}

std::string UnnamableMessage(std::string_view path) {
  return "GNU make cannot name the file " + std::string(path) +
         " (a control character, ; | % * ? or a \\ before a blank, # or :)";
}

}  // namespace

int RunGnuMakefile(const GlobalOptions& globals, const GnuMakefileArgs& args) {
  Session session(globals);
  if (!session.Open()) return kExitFailed;
  Project* project = session.FindProjectOrActive(args.project);
  if (project == nullptr) return kExitFailed;
  Workspace& workspace = session.workspace();
  const char* kNothing = args.to_stdout ? "nothing was printed" : "nothing was written";
  if (!args.alone && !session.LinkedProjectsRead(project, kNothing)) return kExitFailed;
  // A makefile without a block builds nothing: refused, as the KMAKE one is.
  if (project->targets().List().empty()) {
    workspace.SetStatus(kStatusNoOutputOrTargets, kMsgNoOutputOrTargets);
    return session.FailedWith(project->paths().output_name);
  }
  GnuMakefileOptions options;
  options.alone = args.alone;
  options.host_paths = args.host_paths;
  std::string unnamable;
  options.unnamable = &unnamable;
  if (args.to_stdout) {
    std::string text;
    GenerateGnuMakefileText(workspace, session.make_states(), *project, &session.cpus(), options,
                            &text);
    if (!unnamable.empty()) return session.Failed(UnnamableMessage(unnamable));
    // The bytes the file would hold: the stored form has the toolchain's line ends.
    std::cout << (options.host_paths ? text : ToTextModeFile(text));
    return kExitOk;
  }
  std::string path =
      args.output.empty() ? project->paths().makefile : session.SystemPath(args.output);
  workspace.ClearStatus();
  if (!ReportStatus(workspace, WriteGnuMakefile(workspace, session.make_states(), *project,
                                                &session.cpus(), options, path))) {
    if (!unnamable.empty()) return session.Failed(UnnamableMessage(unnamable));
    return session.FailedWith(path);
  }
  std::cout << session.fs().ToHostPath(path) << '\n';
  return kExitOk;
}

namespace {

struct BuildArgs {
  std::string project;
  std::string target;
  int jobs = 0;
  bool all = false;  // every project, linked ones first
};

// What runs make: its program, makefile, directory and goals.
struct MakeRun {
  ChildProcess make;
  std::string target;
  std::string announce;  // what is built, with which makefile
  std::string makefile;  // the makefile make runs (a system path)
  std::string subject;   // "Motor.abs (Debug)"
};

// Writes the host-form makefile and sets up the run; false after printing why.
bool PrepareMakeRun(Session& session, const BuildArgs& args, bool clean, MakeRun* run) {
  Project* project = session.FindProjectOrActive(args.project);
  if (project == nullptr) return false;
  run->target = ChooseTarget(session, *project, args.target);
  if (run->target.empty()) return false;
  if (!session.LinkedProjectsRead(project, clean ? "nothing was cleaned" : "nothing was built")) {
    return false;
  }
  SystemServices& system = *session.platform().system;
  std::string path_variable = system.GetEnv("PATH").value_or("/usr/bin:/bin");
  run->make.program = FindProgramOnPath("make", path_variable);
  if (run->make.program.empty()) {
    session.Failed("GNU make is not on PATH (Debian package make); nothing was built");
    return false;
  }

  Workspace& workspace = session.workspace();
  FileSystem& fs = session.fs();
  std::string temp;
  project->targets().GetDir(run->target, TargetDir::kTemp, &temp);
  std::string dir;
  if (!GetFullPathName(temp.empty() ? "." : temp, project->paths().project_directory, &dir) ||
      !CreateDirectories(fs, dir)) {
    session.Failed("cannot make the directory " + fs.ToHostPath(dir));
    return false;
  }
  std::string makefile = AppendLastSlash(dir) + project->paths().base_name + ".mak";
  GnuMakefileOptions options;
  options.host_paths = true;
  options.records_target = run->target;
  std::string unnamable;
  options.unnamable = &unnamable;
  workspace.ClearStatus();
  if (!ReportStatus(workspace, WriteGnuMakefile(workspace, session.make_states(), *project,
                                                &session.cpus(), options, makefile))) {
    if (!unnamable.empty()) {
      session.Failed(UnnamableMessage(unnamable) + "; nothing was " +
                     (clean ? "removed" : "built"));
    } else {
      session.FailedWith(makefile);
    }
    return false;
  }

  // The tools, and the programs that build steps name, come from the CPU
  // families' executable directories.
  std::vector<std::string> path;
  std::vector<Project*> projects = GnuProjectList(workspace, *project, false);
  for (Project* member : projects) {
    std::vector<std::string> dirs;
    session.cpus().GetExecutableDirs(member->Cpu(), &dirs);
    for (const std::string& exe : dirs) {
      std::string host = fs.ToHostPath(StripTrailingSlash(exe));
      if (!host.empty() && std::find(path.begin(), path.end(), host) == path.end()) {
        path.push_back(host);
      }
    }
  }
  std::string path_value;
  for (const std::string& entry : path)
    path_value += entry + ":";
  run->make.environment.emplace_back("PATH", path_value + path_variable);
  run->make.working_dir = fs.ToHostPath(dir);
  // The same output whether or not zelvan itself runs under make (which
  // would otherwise announce every directory of a nested make).
  run->make.arguments = {"--no-print-directory", "-f", fs.ToHostPath(makefile),
                         "CFG=" + run->target};
  if (args.jobs > 0) run->make.arguments.push_back("-j" + std::to_string(args.jobs));
  if (!clean) {
    run->make.arguments.push_back("all");
  } else {
    for (size_t i = 0; i < projects.size(); ++i) {
      if (projects[i]->targets().Has(run->target)) {
        run->make.arguments.push_back("Clean" + std::to_string(i + 1));
      }
    }
  }
  run->announce = std::string(clean ? "cleaning " : "building ") + project->paths().output_name +
                  " (" + run->target + ") with " + fs.ToHostPath(makefile);
  run->makefile = makefile;
  run->subject = project->paths().output_name + " (" + run->target + ")";
  return true;
}

// How a build or clean ended: its exit status, or the signal that stopped
// it, which ends zelvan too once everything is closed.
struct MakeEnd {
  int status = kExitOk;
  int signal = 0;
};

MakeEnd RunMakeSession(const GlobalOptions& globals, const BuildArgs& args, bool clean) {
  const char* what = clean ? "clean" : "build";
  Session session(globals);
  MakeRun run;
  if (!session.LockBuild() || !session.Open() || !PrepareMakeRun(session, args, clean, &run)) {
    // A wait or a refresh stopped by Ctrl-C or `zelvan stop` stops the build too.
    if (!session.IsStopRequested()) return {kExitFailed};
  }
  if (session.IsStopRequested()) {
    std::cerr << "zelvan: the " << what << " was stopped; make did not run\n";
    return {kExitStopped, InterruptRequested() ? SIGINT : 0};
  }
  // Other commands may use the workspace while make runs; the build lock
  // stays, and so does the session's name for `zelvan stop`.
  session.CloseWorkspace();
  if (!clean) {
    // Asked first, so that a build with nothing to do says so.
    ChildProcess question = run.make;
    question.arguments.push_back("-q");
    int status = -1;
    std::string ignored;
    if (RunChildProcess(question, nullptr, &status, &ignored) && status == 0) {
      std::cerr << "zelvan: " << run.subject << " is up to date\n";
      return {kExitOk};
    }
  }
  if (!globals.quiet) std::cerr << "zelvan: " << run.announce << std::endl;
  // -q: only errors and the summary line.
  if (globals.quiet) run.make.discard_output = true;
  const auto started = std::chrono::steady_clock::now();
  ChildOutcome outcome;
  std::string error;
  bool ran = RunChildProcessGroup(
      run.make, [&session] { return session.IsStopRequested(); }, 100, &outcome, &error);
  if (outcome.signal != 0 || outcome.stop_requested) {
    std::cerr << "zelvan: the " << what << " was stopped\n";
    return {kExitStopped, outcome.signal};
  }
  if (!ran) {
    std::cerr << "zelvan: " << error << "\n";
    return {kExitFailed};
  }
  if (outcome.exit_status != 0) {
    std::cerr << "zelvan: make failed (status " << outcome.exit_status << "); the " << what
              << " is incomplete\n";
    return {kExitMakeFailed};
  }
  // The makefile, too, was made for the build.
  if (clean) {
    session.fs().DeleteFile(run.makefile);
    if (!globals.quiet) std::cerr << "zelvan: " << run.subject << " is clean\n";
    return {kExitOk};
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  char took[32];
  std::snprintf(took, sizeof took, "%.1f", seconds);
  std::cerr << "zelvan: " << run.subject << " built in " << took << " s\n";
  return {kExitOk};
}

// The workspace's projects, each after the projects it links (workspace
// order otherwise); false after printing why.
bool ProjectsInLinkOrder(const GlobalOptions& globals, std::vector<std::string>* names) {
  Session session(globals);
  session.SetReadOnly();
  if (!session.Open() || !session.AllProjectsRead("nothing was built")) return false;
  Workspace& workspace = session.workspace();
  std::vector<Project*> done;
  std::function<void(Project*, int)> visit = [&](Project* project, int depth) {
    if (std::find(done.begin(), done.end(), project) != done.end() || depth > 64) return;
    for (const std::string& name : project->links().Names()) {
      Project* linked = workspace.projects().Find(name);
      if (linked != nullptr && linked != project) visit(linked, depth + 1);
    }
    if (std::find(done.begin(), done.end(), project) == done.end()) done.push_back(project);
  };
  for (const auto& project : workspace.projects().All())
    visit(project.get(), 0);
  for (Project* project : done)
    names->push_back(project->paths().output_name);
  return true;
}

int RunMake(const GlobalOptions& globals, const BuildArgs& args, bool clean) {
  std::vector<std::string> projects = {args.project};
  if (args.all && !ProjectsInLinkOrder(globals, &projects)) return kExitFailed;
  if (args.all) projects.erase(projects.begin());
  for (const std::string& project : projects) {
    BuildArgs one = args;
    one.project = project;
    MakeEnd end = RunMakeSession(globals, one, clean);
    if (end.signal != 0) EndProcessBySignal(end.signal);
    if (end.status != kExitOk) return end.status;
  }
  return kExitOk;
}

struct CompileCommandsArgs {
  std::vector<std::string> projects;
  std::string target;
  std::string output;
};

int RunCompileCommands(const GlobalOptions& globals, const CompileCommandsArgs& args) {
  Session session(globals);
  if (!session.Open()) return kExitFailed;
  Workspace& workspace = session.workspace();
  std::vector<Project*> projects;
  if (!session.FindProjects(args.projects, &projects)) return kExitFailed;
  std::optional<std::string_view> target;
  if (!args.target.empty()) {
    bool any = false;
    for (Project* project : projects)
      any = any || project->targets().Has(args.target);
    if (!any) {
      workspace.SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
      return session.FailedWith(args.target);
    }
    target = args.target;
  }
  std::string path;
  if (!args.output.empty()) {
    path = session.SystemPath(args.output);
  } else {
    const std::string& anchor = workspace.document().Path().empty()
                                    ? projects.front()->paths().project_file
                                    : workspace.document().Path();
    path = GetFileDirectory(anchor) + "compile_commands.json";
  }
  // A database that lacks a project would replace one that has it.
  if (args.projects.empty() &&
      !session.AllProjectsRead(session.fs().ToHostPath(path) + " was not written")) {
    return kExitFailed;
  }
  std::string text =
      BuildCompileCommands(workspace, session.make_states(), projects, &session.cpus(), target);
  // The workspace's lock covers the file, and the write replaces it in one
  // step: no lock file of its own is left beside it. Like every file made
  // from the workspace, a read-only one is replaced.
  if (Status written =
          WriteFileAtomic(session.fs(), path, text,
                          WriteOptions{Durability::kScratch, /*replace_read_only=*/true, {}});
      !written) {
    return session.Failed(session.fs().ToHostPath(path) + ": " + written.ToString());
  }
  std::cout << session.fs().ToHostPath(path) << '\n';
  return kExitOk;
}

int RunBuild(const GlobalOptions& globals, const BuildArgs& args) {
  return RunMake(globals, args, /*clean=*/false);
}

int RunClean(const GlobalOptions& globals, const BuildArgs& args) {
  return RunMake(globals, args, /*clean=*/true);
}

void CleanOptions(CLI::App& cmd, BuildArgs& args) {
  auto* named =
      cmd.add_option("PROJECT", args.project, "Output name or project name (default: the active)");
  cmd.add_flag("--all", args.all, "Every project of the workspace, linked ones first")
      ->excludes(named);
  cmd.add_option("--target", args.target, "Build target (default: the project's current one)");
}

void BuildOptions(CLI::App& cmd, BuildArgs& args) {
  CleanOptions(cmd, args);
  cmd.add_option("-j,--jobs", args.jobs, "Jobs make runs at once")->check(CLI::Range(1, 1024));
}

void CompileCommandsOptions(CLI::App& cmd, CompileCommandsArgs& args) {
  cmd.add_option("PROJECT", args.projects, "Output or project names (default: every project)");
  cmd.add_option("--target", args.target, "The target (default: each project's current one)");
  cmd.add_option("-o,--output", args.output,
                 "The file (default: compile_commands.json beside the workspace file)");
}

const CommandEntry kBuildCommands[] = {
    {.name = "build",
     .help = "Build a project and the projects it links with GNU make; exit status 3 when make "
             "failed, 4 when `zelvan stop` stopped it (Ctrl-C or a signal ends it by that "
             "signal, with make and all it started)",
     .set_up = SetUp(BuildOptions, RunBuild)},
    {.name = "clean",
     .help = "Remove what a build of a project and the projects it links made (their Clean "
             "rules), with GNU make; exit status 3 when make failed, 4 when `zelvan stop` "
             "stopped it",
     .set_up = SetUp(CleanOptions, RunClean)},
    {.name = "compile-commands",
     .help = "Write compile_commands.json (for clangd and editors) of the projects; print its "
             "path",
     .set_up = SetUp(CompileCommandsOptions, RunCompileCommands)},
};

}  // namespace

void RegisterBuildCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kBuildCommands);
}

}  // namespace zelvan::cli

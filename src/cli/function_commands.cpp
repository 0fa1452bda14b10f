// zelvan functions: the functions the sources of the workspace define.
//
//   zelvan functions [PROJECT] [FILE...] [--refresh] [--format plain|ctags]
//
// The function database of each project is brought up to date first: only
// sources that changed since their entries were found are parsed. The
// sources that take part are those whose extension is in the builder
// configuration's "FunctionExtend" list ("c;h" without one).
#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "cli/cli_command.h"
#include "cli/json_output.h"
#include "cli/session.h"
#include "cli/session_files.h"
#include "model/project.h"
#include "model/source_file.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "scanner/function_database.h"

namespace zelvan::cli {

namespace {

struct FunctionsArgs {
  std::string project;
  std::vector<std::string> files;
  bool refresh = false;
  std::string format = "plain";
  bool json = false;
};

// A source's host path, relative to the current directory when it lies below it.
std::string ShownPath(FileSystem& fs, const SourceFile& file) {
  // Below the current directory, relative to it: the tail after it is as
  // long in host form as in system form (the same names, separators for
  // separators), whichever separator the host uses.
  const std::string full = file.FullPath();
  const std::string path = fs.ToHostPath(full);
  const std::string here = AppendLastSlash(fs.GetCurrentDirectory());
  if (here.size() < 2 || full.size() <= here.size() || full.compare(0, here.size(), here) != 0 ||
      path.size() < full.size() - here.size()) {
    return path;
  }
  return path.substr(path.size() - (full.size() - here.size()));
}

// The sources a command names: as the project names them, or by path.
bool NamedSources(Session& session, Project& project, const std::vector<std::string>& names,
                  std::vector<SourceFile*>* files) {
  for (const std::string& name : names) {
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '/', '\\');
    SourceFile* file = project.sources().FindByRelativePath(relative);
    if (file == nullptr) file = project.sources().Find(session.SystemPath(name));
    if (file == nullptr) {
      session.Failed("the project " + project.paths().output_name + " has no file " + name);
      return false;
    }
    if (!file->HasFlag(SourceFile::kListedExtension)) {
      session.Failed(file->RelativePath() +
                     " takes no part in the function database (its extension is not in the "
                     "builder configuration's FunctionExtend list)");
      return false;
    }
    files->push_back(file);
  }
  return true;
}

int RunFunctions(const GlobalOptions& globals, const FunctionsArgs& args) {
  Session session(globals);
  // Only the functions are asked for: the include dependencies wait.
  if (args.refresh) {
    session.SetRefreshDependenciesOnOpen(false);
  } else {
    session.SetReadOnly();
  }
  Workspace& workspace = session.workspace();
  if (!session.Open()) return kExitFailed;

  std::vector<Project*> projects;
  // A list of every project that lacks some is no answer: the text form
  // lists the others first, the JSON and tags forms print nothing.
  std::vector<std::string> unread;
  const char* kIncomplete = "the list lacks the projects that could not be read";
  if (args.project.empty()) {
    for (const auto& project : workspace.projects().All())
      projects.push_back(project.get());
    unread = session.UnreadProjects();
    if (!unread.empty() && (args.json || args.format == "ctags")) {
      return FailedForUnread(std::cerr, kIncomplete, unread);
    }
  } else {
    Project* project = session.FindProject(args.project);
    if (project == nullptr) return kExitFailed;
    projects.push_back(project);
  }
  std::vector<SourceFile*> named;
  if (!args.files.empty() && !NamedSources(session, *projects.front(), args.files, &named)) {
    return kExitFailed;
  }

  FunctionUpdateOptions options;
  options.parse_all = args.refresh;
  // Listing leaves the project tree as it is; --refresh writes the database.
  options.write = args.refresh;
  FunctionUpdateCounts counts;
  std::string error;
  for (Project* project : projects) {
    if (named.empty()) {
      UpdateFunctionDatabase(workspace, *project, options, &counts, &error);
    } else {
      for (SourceFile* file : named)
        RefreshFunctionDatabase(workspace, *file, options, &counts, &error);
    }
    if (!error.empty()) {
      std::cerr << "zelvan: warning: " << error << "\n";
      error.clear();
    }
  }
  if (globals.verbose && !globals.quiet) {
    std::cerr << "zelvan: functions: " << counts.parsed << " sources parsed, " << counts.loaded
              << " read from the function database, " << counts.transferred
              << " taken from other projects\n";
  }

  // Every source in project order, or the named ones in that order.
  // --json:
  //   {"functions": [{"project": "Motor.abs", "file": "Motor/motor.c", "line": 17,
  //                   "name": "motor_set_speed", "type": "void", "arguments": ["q15 speed"],
  //                   "display": "motor_set_speed(q15 speed)"}, ...]}
  FileSystem& fs = session.fs();
  std::vector<std::tuple<std::string, std::string, int32_t>> tags;
  JsonDocument list = JsonDocument::array();
  for (Project* project : projects) {
    for (const auto& file : project->sources().Files()) {
      if (!file->HasFlag(SourceFile::kListedExtension)) continue;
      if (!named.empty() && std::find(named.begin(), named.end(), file.get()) == named.end()) {
        continue;
      }
      if (file->function_list().time.empty()) {
        std::cerr << "zelvan: warning: " << file->RelativePath() << " of "
                  << project->paths().output_name << " could not be read or scanned\n";
        continue;
      }
      std::string path = ShownPath(fs, *file);
      for (const FunctionDatabaseEntry& entry : file->function_list().entries) {
        if (args.json) {
          list.push_back({{"project", project->paths().output_name},
                          {"file", path},
                          {"line", entry.line},
                          {"name", entry.name},
                          {"type", entry.type},
                          {"arguments", entry.arguments},
                          {"display", entry.DisplayForm()}});
        } else if (args.format == "ctags") {
          tags.emplace_back(entry.name, path, entry.line);
        } else {
          std::cout << path << '(' << entry.line << "): " << entry.DisplayForm() << '\n';
        }
      }
    }
  }
  if (args.json) PrintJson({{"functions", std::move(list)}});
  if (args.format == "ctags") {
    // The tags-file format of the ctags family, sorted so editors can
    // search it: name, file, line address, kind.
    std::sort(tags.begin(), tags.end());
    std::cout << "!_TAG_FILE_FORMAT\t2\t/extended format; --format=1 will not append ;\" to "
                 "lines/\n"
                 "!_TAG_FILE_SORTED\t1\t/0=unsorted, 1=sorted, 2=foldcase/\n"
                 "!_TAG_PROGRAM_NAME\tzelvan\t//\n";
    for (const auto& [name, path, line] : tags)
      std::cout << name << '\t' << path << '\t' << line << ";\"\tf\n";
  }
  if (!unread.empty()) return FailedForUnread(std::cerr, kIncomplete, unread);
  return kExitOk;
}

void FunctionsOptions(CLI::App& cmd, FunctionsArgs& args) {
  cmd.add_option("PROJECT", args.project, "Output name or project name (default: every project)");
  cmd.add_option("FILE", args.files,
                 "Sources of the project, as the project names them or by path (default: all)");
  cmd.add_flag("--refresh", args.refresh,
               "Parse every source again instead of trusting the function database");
  auto* format = cmd.add_option("--format", args.format,
                                "plain (default), or ctags: a sorted tags file for editors")
                     ->check(CLI::IsMember({"plain", "ctags"}));
  AddJsonFlag(&cmd, &args.json)->excludes(format);
}

const CommandEntry kFunctionCommands[] = {
    {.name = "functions",
     .help = "List the functions the sources define, one a line: file(line): name(arguments); "
             "the function database is brought up to date first",
     .set_up = SetUp(FunctionsOptions, RunFunctions)},
};

}  // namespace

void RegisterFunctionCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kFunctionCommands);
}

}  // namespace zelvan::cli

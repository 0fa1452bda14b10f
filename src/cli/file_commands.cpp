// The file commands: list a project's files with their settings for a
// target, add files to a project, and change a file's setting. Each command
// opens the workspace, runs its operations, saves when it changed
// something, and closes.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/json_output.h"
#include "cli/session.h"
#include "cli/session_files.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "service/report_status.h"

namespace zelvan::cli {

namespace {

std::string OrDash(std::string_view text) {
  return text.empty() ? std::string("-") : std::string(text);
}

// The target a listing shows: the one asked for, else the workspace's
// current target when the project has it, else the project's first.
bool ChooseTarget(Session& session, Project& project, const std::string& asked,
                  std::string* target) {
  if (!asked.empty()) {
    if (!project.targets().Has(asked)) {
      session.workspace().SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
      session.FailedWith(TargetsSubject(asked, project.targets().List()));
      return false;
    }
    *target = std::string(project.targets().Spelling(asked));
    return true;
  }
  const std::string& current = session.workspace().selection().CurrentTarget();
  if (project.targets().Has(current)) {
    *target = std::string(project.targets().Spelling(current));
  } else if (!project.targets().List().empty()) {
    *target = project.targets().List().front();
  } else {
    target->clear();
  }
  return true;
}

// --json:
//   {"project": "Motor.abs", "target": "Debug",
//    "files": [{"path": "main.c", "tool": "CC", "object": "main.rel", "folder": "Source Files",
//               "nobuild": 0, "custombuild": 0, "compile": null, "temp": null}, ...]}
// Texts the text form prints as "-" are null; so are "target" and the four
// per-target values when the project has no target.
int RunFiles(const GlobalOptions& globals, const std::string& project_arg,
             const std::string& target_arg, bool json) {
  Session session(globals);
  session.SetReadOnly();
  if (!session.Open()) return kExitFailed;
  Project* project = session.FindProject(project_arg);
  if (project == nullptr) return kExitFailed;
  std::string target;
  if (!ChooseTarget(session, *project, target_arg, &target)) return kExitFailed;
  JsonDocument list = JsonDocument::array();
  for (const auto& file : project->sources().Files()) {
    std::string compile, temp;
    int nobuild = 0;
    int custom_build = 0;
    if (!target.empty()) {
      file->settings().Read(target, kKeyCompile, &compile);
      file->settings().GetTempDir(target, &temp);
      nobuild = file->settings().IsBuilt(target) ? 0 : 1;
      custom_build = file->settings().GetCustomBuild(target);
    }
    if (json) {
      JsonDocument entry = {{"path", file->RelativePath()},
                            {"tool", TextOrNull(file->ToolKindName())},
                            {"object", TextOrNull(file->ObjectName())},
                            {"folder", TextOrNull(file->FolderName())}};
      const bool has_target = !target.empty();
      entry["nobuild"] = has_target ? JsonDocument(nobuild) : JsonDocument();
      entry["custombuild"] = has_target ? JsonDocument(custom_build) : JsonDocument();
      entry["compile"] = TextOrNull(compile);
      entry["temp"] = TextOrNull(temp);
      list.push_back(std::move(entry));
      continue;
    }
    std::cout << file->RelativePath() << '\t' << OrDash(file->ToolKindName()) << '\t'
              << OrDash(file->ObjectName()) << '\t' << OrDash(file->FolderName());
    if (target.empty()) {
      std::cout << "\t-\t-\t-\t-\n";
      continue;
    }
    std::cout << '\t' << nobuild << '\t' << custom_build << '\t' << OrDash(compile) << '\t'
              << OrDash(temp) << '\n';
  }
  if (json) {
    PrintJson({{"project", project->paths().output_name},
               {"target", TextOrNull(target)},
               {"files", std::move(list)}});
  }
  return kExitOk;
}

int RunAddFile(const GlobalOptions& globals, const std::string& project_arg,
               const std::vector<std::string>& file_args) {
  Session session(globals);
  if (!session.Open()) return kExitFailed;
  Project* project = session.FindProject(project_arg);
  if (project == nullptr) return kExitFailed;
  // Each file is added or refused on its own; those added are saved either
  // way, and when none was, nothing is written.
  size_t added_count = 0;
  for (const std::string& arg : file_args) {
    Workspace& workspace = session.workspace();
    workspace.ClearStatus();
    if (!ReportStatus(workspace,
                      workspace.AddFile(project->paths().output_name, session.SystemPath(arg)))) {
      session.FailedWith(arg);
      continue;
    }
    ++added_count;
    const SourceFile& added = *project->sources().Files().back();
    std::cout << added.RelativePath() << '\t' << added.FolderName() << '\n';
  }
  if (added_count == 0) return kExitFailed;
  int status = session.Save();
  return added_count == file_args.size() ? status : kExitFailed;
}

// A file of `project` named as `files` lists it (either slash), or by its path.
SourceFile* NamedFile(Session& session, Project& project, const std::string& name) {
  std::string relative = name;
  std::replace(relative.begin(), relative.end(), '/', '\\');
  SourceFile* file = project.sources().FindByRelativePath(relative);
  if (file == nullptr) file = project.sources().Find(session.SystemPath(name));
  if (file == nullptr) {
    session.workspace().SetStatus(kStatusFileNotInProject, kMsgFileNotInProject);
    session.FailedWith(name);
  }
  return file;
}

// Every named file must be in the project before any is removed; their
// dependency records go with them, so that no later command finds them.
int RunRemoveFile(const GlobalOptions& globals, const std::string& project_arg,
                  const std::vector<std::string>& file_args) {
  Session session(globals);
  session.SetRefreshDependenciesOnOpen(false);
  if (!session.Open()) return kExitFailed;
  Project* project = session.FindProject(project_arg);
  if (project == nullptr) return kExitFailed;
  std::vector<const SourceFile*> files;
  for (const std::string& arg : file_args) {
    const SourceFile* file = NamedFile(session, *project, arg);
    if (file == nullptr) return kExitFailed;
    if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
  }
  for (const SourceFile* file : files) {
    const std::string shown = ForwardSlashes(file->RelativePath());
    std::string detail;
    if (!project->sources().Remove(file, &detail)) {
      return session.Failed("could not remove " + shown + ": " + detail);
    }
    std::cout << shown << '\n';
  }
  session.workspace().document().SetModified();
  int status = session.Save();
  if (status == kExitOk && FileExists(session.fs(), project->paths().dependency_file) &&
      !ReportStatus(session.workspace(),
                    session.dependencies().WriteDependencyFile(session.workspace(), *project))) {
    return session.Failed();
  }
  return status;
}

// A setting a file can be given from the command line.
enum class FileSetting { kNoBuild, kCustomBuild, kCompile, kTemp, kNoLcf };

const std::pair<const char*, FileSetting> kFileSettings[] = {
    {"nobuild", FileSetting::kNoBuild}, {"custombuild", FileSetting::kCustomBuild},
    {"compile", FileSetting::kCompile}, {"temp", FileSetting::kTemp},
    {"nolcf", FileSetting::kNoLcf},
};

bool IsIntegerText(std::string_view text) {
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  return !text.empty() && text.size() <= 9 &&
         text.find_first_not_of("0123456789") == std::string_view::npos;
}

struct FileSetArgs {
  std::string project, target, file, setting, value;
};

int RunFileSet(const GlobalOptions& globals, const FileSetArgs& args) {
  Session session(globals);
  if (!session.Open()) return kExitFailed;
  Workspace& workspace = session.workspace();
  Project* project = session.FindProject(args.project);
  if (project == nullptr) return kExitFailed;
  if (!project->targets().Has(args.target)) {
    workspace.SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
    return session.FailedWith(TargetsSubject(args.target, project->targets().List()));
  }
  // A file is named as `files` lists it, or by its path.
  SourceFile* file = project->sources().FindByRelativePath(args.file);
  if (file == nullptr) file = project->sources().Find(session.SystemPath(args.file));
  if (file == nullptr) {
    workspace.SetStatus(kStatusFileNotInProject, kMsgFileNotInProject);
    return session.FailedWith(args.file);
  }
  FileSetting setting = FileSetting::kCompile;
  for (const auto& [name, value] : kFileSettings) {
    if (args.setting == name) setting = value;
  }
  const std::string& target = args.target;
  const std::string& value = args.value;
  bool integer = setting == FileSetting::kNoBuild || setting == FileSetting::kCustomBuild;
  if ((integer && !IsIntegerText(value)) ||
      (setting == FileSetting::kNoLcf && value != "0" && value != "1") ||
      value.find_first_of("\r\n") != std::string::npos) {
    workspace.SetStatus(kStatusBadArgument, kMsgBadArgument);
    return session.FailedWith(value);
  }
  if (setting == FileSetting::kNoLcf && !file->HasFlag(SourceFile::kLinkCommandFile)) {
    workspace.SetStatus(kStatusFileSettingFailed, kMsgFileSettingFailed);
    return session.FailedWith(file->RelativePath() + " is no link command file");
  }
  bool ok = false;
  switch (setting) {
    case FileSetting::kNoBuild:
      ok = file->settings().SetNoBuild(target, value);
      break;
    case FileSetting::kCustomBuild:
      ok = file->settings().SetCustomBuild(target, value);
      break;
    case FileSetting::kCompile:
      ok = file->settings().SetCompileOptions(target, value);
      break;
    case FileSetting::kTemp:
      ok = file->settings().SetTempDir(target, value);
      break;
    case FileSetting::kNoLcf:
      ok = file->settings().SetLcfUsed(target, value == "0");
      break;
  }
  if (!ok) {
    workspace.SetStatus(kStatusFileSettingFailed, kMsgFileSettingFailed);
    return session.FailedWith("the working copy of " + project->paths().project_file +
                              " cannot be written");
  }
  return session.Save();
}

struct FilesArgs {
  std::string project;
  std::string target;
  bool json = false;
};

struct ProjectFilesArgs {
  std::string project;
  std::vector<std::string> files;
};

void FilesOptions(CLI::App& cmd, FilesArgs& args) {
  cmd.add_option("PROJECT", args.project, "Output name or project name")->required();
  cmd.add_option("--target", args.target,
                 "Build target (default: the current one, else the project's first)");
  AddJsonFlag(&cmd, &args.json);
}

void AddFileOptions(CLI::App& cmd, ProjectFilesArgs& args) {
  cmd.add_option("PROJECT", args.project, "Output name or project name")->required();
  cmd.add_option("FILES", args.files, "The files to add")->required();
}

void RemoveFileOptions(CLI::App& cmd, ProjectFilesArgs& args) {
  cmd.add_option("PROJECT", args.project, "Output name or project name")->required();
  cmd.add_option("FILES", args.files, "The files, as `files` lists them, or their paths")
      ->required();
}

void FileSetOptions(CLI::App& cmd, FileSetArgs& args) {
  std::vector<std::string> names;
  for (const auto& [name, setting] : kFileSettings)
    names.emplace_back(name);
  cmd.add_option("PROJECT", args.project, "Output name or project name")->required();
  cmd.add_option("TARGET", args.target, "Build target")->required();
  cmd.add_option("FILE", args.file, "The file, as `files` lists it, or its path")->required();
  cmd.add_option("SETTING", args.setting,
                 "nobuild (1: not built), custombuild (non-zero: built by its custom build "
                 "step), compile (own options), temp (own directory), nolcf (1: a link "
                 "command file not used)")
      ->required()
      ->check(CLI::IsMember(names));
  cmd.add_option("VALUE", args.value, "The new value (may be empty)")->required();
}

const CommandEntry kFileCommands[] = {
    {.name = "files",
     .help = "List a project's files in project order: relative path, tool kind, object, "
             "folder, and for the target NoBuild, CustomBuild, COMPILE and TEMP",
     .set_up = SetUp(FilesOptions,
                     [](const GlobalOptions& globals, const FilesArgs& args) {
                       return RunFiles(globals, args.project, args.target, args.json);
                     })},
    {.name = "add-file",
     .help = "Add files to a project; each goes into the folder that takes its extension",
     .set_up = SetUp(AddFileOptions,
                     [](const GlobalOptions& globals, const ProjectFilesArgs& args) {
                       return RunAddFile(globals, args.project, args.files);
                     })},
    {.name = "remove-file",
     .help = "Take files out of a project (the files themselves stay on disk)",
     .set_up = SetUp(RemoveFileOptions,
                     [](const GlobalOptions& globals, const ProjectFilesArgs& args) {
                       return RunRemoveFile(globals, args.project, args.files);
                     })},
    {.name = "file-set",
     .help = "Change a setting of a project's file for a target",
     .set_up = SetUp(FileSetOptions, RunFileSet)},
};

}  // namespace

void RegisterFileCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kFileCommands);
}

}  // namespace zelvan::cli

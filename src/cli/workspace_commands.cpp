// The workspace commands: create a workspace, list its projects, add and
// activate projects, add and remove targets and links, read and change
// per-target settings. Each command opens the workspace, runs one
// operation, saves when it changed something, and closes.
#include <CLI/CLI.hpp>

#include <iostream>

#include "cli/cli_command.h"
#include "cli/workspace_session.h"
#include "model/one_project_data.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/process_tag.h"
#include "platform/system_services.h"
#include "platform/win_path.h"
#include "storage/project_files.h"

namespace zelvan::cli {

namespace {

std::string JoinOrDash(const std::vector<std::string>& items) {
  if (items.empty()) return "-";
  std::string text;
  for (const std::string& item : items) {
    if (!text.empty()) text += ';';
    text += item;
  }
  return text;
}

// The stored spelling of a target name given in any letter case.
std::string TargetName(COneProjectData& project, std::string_view name) {
  for (const std::string& target : project.Targets()) {
    if (EqualsNoCase(target, name)) return target;
  }
  return std::string(name);
}

// Per-target settings by their short names, read and written through the
// project's operations; any other name is a raw key of the target section.
enum class Setting { kRaw, kCompile, kLink, kConvert, kOutput, kWork, kTemp, kDebug };

Setting SettingOf(std::string_view name) {
  static const std::pair<const char*, Setting> kNames[] = {
      {"compile", Setting::kCompile}, {"link", Setting::kLink}, {"convert", Setting::kConvert},
      {"output", Setting::kOutput},   {"work", Setting::kWork}, {"temp", Setting::kTemp},
      {"debug", Setting::kDebug},
  };
  for (const auto& [text, setting] : kNames) {
    if (name == text) return setting;
  }
  return Setting::kRaw;
}

bool GetSetting(COneProjectData& project, std::string_view target, std::string_view name,
                std::string* value) {
  switch (SettingOf(name)) {
    case Setting::kCompile:
      return project.GetCompileOptions(target, value);
    case Setting::kLink:
      return project.GetLinkOptions(target, value);
    case Setting::kConvert:
      return project.GetConvertOptions(target, value);
    case Setting::kOutput:
      return project.GetOutputDir(target, value);
    case Setting::kWork:
      return project.GetWorkDir(target, value);
    case Setting::kTemp:
      return project.GetTempDir(target, value);
    case Setting::kDebug:
      return project.GetDebugFile(target, value);
    case Setting::kRaw:
      return project.GetTargetValue(target, name, value);
  }
  return false;
}

bool SetSetting(COneProjectData& project, std::string_view target, std::string_view name,
                std::string_view value) {
  switch (SettingOf(name)) {
    case Setting::kCompile:
      return project.SetProjectCompile(target, value);
    case Setting::kLink:
      return project.SetProjectLink(target, value);
    case Setting::kConvert:
      return project.SetProjectConvert(target, value);
    case Setting::kOutput:
      return project.SetOutputDir(target, value);
    case Setting::kWork:
      return project.SetWorkDir(target, value);
    case Setting::kTemp:
      return project.SetTempDir(target, value);
    case Setting::kDebug:
      return project.SetDebugFilePath(target, value);
    case Setting::kRaw:
      return project.SetTargetValue(target, name, value);
  }
  return false;
}

// A raw key must read back as the key it was written as.
bool IsUsableKey(std::string_view key) {
  if (key.empty() || TrimBlanks(key).size() != key.size()) return false;
  if (key.front() == ';' || key.front() == '[') return false;
  for (char c : key) {
    if (c == '=' || c == '\r' || c == '\n') return false;
  }
  return true;
}

struct ProjectTargetArgs {
  std::string project;
  std::string target;
};

int CheckTarget(WorkspaceSession& session, COneProjectData& project, std::string_view target) {
  if (project.HasTarget(target)) return kExitOk;
  session.workspace().SetStatus(kStatusTargetNotFound, kMsgTargetNotFound);
  return session.Failed();
}

// --- The commands.

int RunInit(const GlobalOptions& globals, const std::string& workspace_arg,
            const std::vector<std::string>& project_args) {
  WorkspaceSession session(globals);
  session.Start();
  FileSystem& fs = session.fs();
  std::string workspace = session.SystemPath(workspace_arg);
  PathParts parts = SplitPath(workspace);
  if (parts.extension.empty()) workspace += ".kws";
  if (!EqualsNoCase(SplitPath(workspace).extension, ".kws")) {
    return session.Failed("a workspace file has the extension .kws: " + workspace);
  }
  std::string settings, options;
  ChangeExtension(fs, workspace, kWorkspaceSettingsExtension, &settings);
  ChangeExtension(fs, workspace, kWorkspaceOptionsExtension, &options);
  bool had_settings = FileExists(fs, settings);
  bool had_options = FileExists(fs, options);

  std::string error;
  if (!HeadlessHost::CreateWorkspaceFile(fs, workspace, {}, &error)) {
    return session.Failed(error);
  }
  int status = kExitOk;
  if (!session.OpenWorkspaceFile(workspace)) {
    status = kExitFailed;
  } else {
    for (const std::string& arg : project_args) {
      if (!session.AddProject(arg)) {
        status = kExitFailed;
        break;
      }
    }
  }
  session.workspace().CloseWorkspace();
  if (status != kExitOk) {
    // A workspace that could not take all its projects is not left half made.
    fs.DeleteFile(workspace);
    if (!had_settings) fs.DeleteFile(settings);
    if (!had_options) fs.DeleteFile(options);
  }
  return status;
}

int RunProjects(const GlobalOptions& globals) {
  WorkspaceSession session(globals);
  if (!session.Open()) return kExitFailed;
  for (const auto& project : session.workspace().Projects()) {
    std::cout << project->OutputName() << '\t' << project->RelativePath() << '\t'
              << (project->Cpu().empty() ? "-" : project->Cpu()) << '\t'
              << JoinOrDash(project->Targets()) << '\t' << JoinOrDash(project->LinkList()) << '\n';
  }
  return kExitOk;
}

int RunAddProject(const GlobalOptions& globals, const std::string& project_arg) {
  WorkspaceSession session(globals);
  if (!session.Open()) return kExitFailed;
  if (!session.AddProject(project_arg)) return kExitFailed;
  return session.Save();
}

int RunActivate(const GlobalOptions& globals, const std::string& project_arg,
                const std::string& target_arg) {
  WorkspaceSession session(globals);
  if (!session.Open()) return kExitFailed;
  CProjectData& workspace = session.workspace();
  COneProjectData* project = session.FindProject(project_arg);
  if (project == nullptr) return kExitFailed;
  if (!target_arg.empty() && CheckTarget(session, *project, target_arg) != kExitOk) {
    return kExitFailed;
  }
  std::string error;
  if (!session.host().SetActiveProject(project->ProjectFilePath(), &error)) {
    return session.Failed(error);
  }
  if (!workspace.ActiveProjectChanged()) return session.Failed();
  if (!target_arg.empty()) workspace.ChangeCurrentTarget(TargetName(*project, target_arg));
  int status = session.Save();
  if (status == kExitOk) {
    std::cout << workspace.CurrentProjectName() << " (" << workspace.CurrentTarget() << ")\n";
  }
  return status;
}

int RunTargetAdd(const GlobalOptions& globals, const std::string& project_arg,
                 const std::string& existing, const std::string& new_target) {
  WorkspaceSession session(globals);
  if (!session.Open()) return kExitFailed;
  COneProjectData* project = session.FindProject(project_arg);
  if (project == nullptr) return kExitFailed;
  if (!session.workspace().AddTarget(project->OutputName(), existing, new_target)) {
    return session.Failed();
  }
  return session.Save();
}

int RunTargetRemove(const GlobalOptions& globals, const std::string& project_arg,
                    const std::string& target) {
  WorkspaceSession session(globals);
  if (!session.Open()) return kExitFailed;
  COneProjectData* project = session.FindProject(project_arg);
  if (project == nullptr) return kExitFailed;
  if (!session.workspace().RemoveTarget(project->OutputName(), target)) return session.Failed();
  return session.Save();
}

int RunLink(const GlobalOptions& globals, bool add, const std::string& project_arg,
            const std::string& linked_arg) {
  WorkspaceSession session(globals);
  if (!session.Open()) return kExitFailed;
  COneProjectData* project = session.FindProject(project_arg);
  if (project == nullptr) return kExitFailed;
  // A linked project is named like any other; an entry of a project that
  // left the workspace can still be removed by the name it was linked as.
  COneProjectData* linked = session.workspace().FindProject(linked_arg);
  std::string linked_name = linked ? linked->OutputName() : linked_arg;
  CProjectData& workspace = session.workspace();
  bool ok = add ? workspace.AddLinkProject(project->OutputName(), linked_name)
                : workspace.RemoveLinkProject(project->OutputName(), linked_name);
  if (!ok) return session.Failed();
  return session.Save();
}

int RunGet(const GlobalOptions& globals, const ProjectTargetArgs& args, const std::string& name) {
  WorkspaceSession session(globals);
  if (!session.Open()) return kExitFailed;
  COneProjectData* project = session.FindProject(args.project);
  if (project == nullptr) return kExitFailed;
  if (CheckTarget(session, *project, args.target) != kExitOk) return kExitFailed;
  if (SettingOf(name) == Setting::kRaw && !IsUsableKey(name)) {
    session.workspace().SetStatus(kStatusBadArgument, kMsgBadArgument);
    return session.Failed();
  }
  std::string value;
  GetSetting(*project, args.target, name, &value);
  std::cout << value << '\n';
  return kExitOk;
}

int RunSet(const GlobalOptions& globals, const ProjectTargetArgs& args, const std::string& name,
           const std::string& value) {
  WorkspaceSession session(globals);
  if (!session.Open()) return kExitFailed;
  COneProjectData* project = session.FindProject(args.project);
  if (project == nullptr) return kExitFailed;
  if (CheckTarget(session, *project, args.target) != kExitOk) return kExitFailed;
  bool raw = SettingOf(name) == Setting::kRaw;
  if ((raw && !IsUsableKey(name)) || value.find_first_of("\r\n") != std::string::npos) {
    session.workspace().SetStatus(kStatusBadArgument, kMsgBadArgument);
    return session.Failed();
  }
  if (!SetSetting(*project, TargetName(*project, args.target), name, value)) {
    return session.Failed("the setting could not be written to the working copy of " +
                          project->ProjectFilePath());
  }
  return session.Save();
}

// A session is named "<start stamp>-<process tag>" (StopObjectName): the
// request reaches that session only, and only while it runs.
int RunStop(const GlobalOptions& globals, const std::string& name) {
  WorkspaceSession session(globals);
  session.Start();
  size_t dash = name.find('-');
  std::string_view stamp = std::string_view(name).substr(0, dash);
  std::string_view tag =
      dash == std::string::npos ? std::string_view() : std::string_view(name).substr(dash + 1);
  if (stamp.empty() || stamp.find_first_not_of("0123456789") != std::string::npos ||
      !IsProcessTag(tag)) {
    return session.Failed("a session is named like 2024379-4711-93215, as --verbose prints it");
  }
  if (!IsProcessTagAlive(tag)) return session.Failed("no zelvan session " + name + " is running");
  SystemServices& system = *session.platform().system;
  if (!system.NamedObjectExists(name) && !system.CreateNamedObject(name)) {
    return session.Failed("the stop request could not be made");
  }
  return kExitOk;
}

}  // namespace

void RegisterWorkspaceCommands(const CommandRegistry& registry) {
  CLI::App& app = *registry.app;
  const GlobalOptions& globals = *registry.globals;
  CommandFunction& selected = *registry.selected;

  {
    auto* cmd = app.add_subcommand("init", "Create a workspace file with the given projects");
    auto workspace = std::make_shared<std::string>();
    auto projects = std::make_shared<std::vector<std::string>>();
    cmd->add_option("WORKSPACE", *workspace, "The new workspace file (.kws)")->required();
    cmd->add_option("PROJECTS", *projects, "Project files (.kbp), the first one active");
    cmd->callback([&, workspace, projects] {
      selected = [&globals, workspace, projects] {
        return RunInit(globals, *workspace, *projects);
      };
    });
  }
  {
    auto* cmd = app.add_subcommand(
        "projects", "List the projects: output, project file, CPU, targets, linked projects");
    cmd->callback([&] { selected = [&globals] { return RunProjects(globals); }; });
  }
  {
    auto* cmd = app.add_subcommand("add-project", "Add a project file to the workspace");
    auto project = std::make_shared<std::string>();
    cmd->add_option("PROJECT", *project, "The project file (.kbp)")->required();
    cmd->callback([&, project] {
      selected = [&globals, project] { return RunAddProject(globals, *project); };
    });
  }
  {
    auto* cmd = app.add_subcommand("activate", "Make a project (and a target) current");
    auto project = std::make_shared<std::string>();
    auto target = std::make_shared<std::string>();
    cmd->add_option("PROJECT", *project, "Output name or project name")->required();
    cmd->add_option("TARGET", *target, "Build target to make current");
    cmd->callback([&, project, target] {
      selected = [&globals, project, target] { return RunActivate(globals, *project, *target); };
    });
  }
  {
    auto* cmd = app.add_subcommand("target", "Add or remove a build target of a project");
    cmd->require_subcommand(1);
    auto* add = cmd->add_subcommand("add", "Add a target as a copy of an existing one");
    auto project = std::make_shared<std::string>();
    auto existing = std::make_shared<std::string>();
    auto added = std::make_shared<std::string>();
    add->add_option("PROJECT", *project, "Output name or project name")->required();
    add->add_option("EXISTING", *existing, "The target to copy")->required();
    add->add_option("NEW", *added, "The new target's name")->required();
    add->callback([&, project, existing, added] {
      selected = [&globals, project, existing, added] {
        return RunTargetAdd(globals, *project, *existing, *added);
      };
    });
    auto* remove = cmd->add_subcommand("remove", "Remove a target with its settings");
    auto target = std::make_shared<std::string>();
    remove->add_option("PROJECT", *project, "Output name or project name")->required();
    remove->add_option("TARGET", *target, "The target to remove")->required();
    remove->callback([&, project, target] {
      selected = [&globals, project, target] {
        return RunTargetRemove(globals, *project, *target);
      };
    });
  }
  {
    auto* cmd = app.add_subcommand("link", "Add or remove a linked project");
    cmd->require_subcommand(1);
    auto project = std::make_shared<std::string>();
    auto linked = std::make_shared<std::string>();
    for (bool add : {true, false}) {
      auto* sub =
          cmd->add_subcommand(add ? "add" : "remove", add ? "PROJECT links LINKED from now on"
                                                          : "PROJECT no longer links LINKED");
      sub->add_option("PROJECT", *project, "Output name or project name")->required();
      sub->add_option("LINKED", *linked, "The linked project")->required();
      sub->callback([&, add, project, linked] {
        selected = [&globals, add, project, linked] {
          return RunLink(globals, add, *project, *linked);
        };
      });
    }
  }
  const char* kSettingHelp =
      "compile, link, convert, output, work, temp or debug (effective values), or a key of "
      "the target's section";
  {
    auto* cmd = app.add_subcommand("get", "Print a per-target setting of a project");
    auto args = std::make_shared<ProjectTargetArgs>();
    auto name = std::make_shared<std::string>();
    cmd->add_option("PROJECT", args->project, "Output name or project name")->required();
    cmd->add_option("TARGET", args->target, "Build target")->required();
    cmd->add_option("SETTING", *name, kSettingHelp)->required();
    cmd->callback([&, args, name] {
      selected = [&globals, args, name] { return RunGet(globals, *args, *name); };
    });
  }
  {
    auto* cmd = app.add_subcommand("set", "Change a per-target setting of a project");
    auto args = std::make_shared<ProjectTargetArgs>();
    auto name = std::make_shared<std::string>();
    auto value = std::make_shared<std::string>();
    cmd->add_option("PROJECT", args->project, "Output name or project name")->required();
    cmd->add_option("TARGET", args->target, "Build target")->required();
    cmd->add_option("SETTING", *name, kSettingHelp)->required();
    cmd->add_option("VALUE", *value, "The new value (may be empty)")->required();
    cmd->callback([&, args, name, value] {
      selected = [&globals, args, name, value] { return RunSet(globals, *args, *name, *value); };
    });
  }
  {
    auto* cmd = app.add_subcommand(
        "stop", "Ask a running zelvan session to stop its long work (see --verbose)");
    auto stamp = std::make_shared<std::string>();
    cmd->add_option("SESSION", *stamp, "The session's name, as --verbose prints it")->required();
    cmd->callback(
        [&, stamp] { selected = [&globals, stamp] { return RunStop(globals, *stamp); }; });
  }
}

}  // namespace zelvan::cli

// The workspace commands: create a workspace, list its projects, add and
// activate projects, add and remove targets and links, read and change
// per-target settings. Each command opens the workspace, runs one
// operation, saves when it changed something, and closes.
//
// They call the methods of the session's Service and Project objects:
// every one but the per-target settings that no method reads or changes
// (get compile, convert, temp, debug; set compile, work, temp, debug and
// raw keys), which work on the workspace directly, and stop, which needs
// no workspace.
#include <CLI/CLI.hpp>

#include <iostream>
#include <optional>

#include "cli/cli_command.h"
#include "cli/cli_toolchain.h"
#include "cli/closest_name.h"
#include "cli/json_output.h"
#include "cli/session.h"
#include "cli/session_files.h"
#include "cli/workspace_commands_internal.h"
#include "com/bstr.h"
#include "dependencies/dependency_staleness.h"
#include "makefile/kmake_file.h"
#include "model/path_functions.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/process_tag.h"
#include "platform/system_services.h"
#include "platform/win_path.h"
#include "service/project_info_kind.h"
#include "storage/profile_functions.h"
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

// --- The commands.

int RunInit(const GlobalOptions& globals, const std::string& workspace_arg,
            const std::vector<std::string>& project_args) {
  Session session(globals);
  if (!session.StartForOpening()) return kExitFailed;
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
  session.CloseWorkspace();
  if (status != kExitOk) {
    // A workspace that could not take all its projects is not left half made.
    fs.DeleteFile(workspace);
    if (!had_settings) fs.DeleteFile(settings);
    if (!had_options) fs.DeleteFile(options);
  }
  return status;
}

// A list of the workspace or of a project (kInfoProjects or kInfoTargets).
bool ProjectInfoList(Session& session, ProjectInfoKind kind, std::string_view project,
                     std::vector<std::string>* items) {
  VariantArgs args;
  ScopedBstr text;
  if (session.service().GetProjectInfo(kind, args.Text(project), args.Empty(), text.Receive()) !=
      S_OK) {
    return false;
  }
  SplitList(text.Text(), items);
  return true;
}

}  // namespace

// The targets of a project, after the checks of a command that names a
// project and a target; false after printing why.
bool CheckProjectTarget(Session& session, std::string_view project, std::string_view target,
                        std::vector<std::string>* targets) {
  if (!ProjectInfoList(session, kInfoTargets, project, targets))
    return session.FailedWith(project), false;
  for (std::string& name : *targets) {
    if (EqualsNoCase(name, target)) return true;
  }
  return session.FailedWithStatus(kStatusTargetNotFound, kMsgTargetNotFound,
                                  TargetsSubject(target, *targets)),
         false;
}

// The stored spelling of a target given in any letter case.
std::string TargetName(const std::vector<std::string>& targets, std::string_view name) {
  for (const std::string& target : targets) {
    if (EqualsNoCase(target, name)) return target;
  }
  return std::string(name);
}

namespace {

// One line per project: output, project file (relative to the workspace,
// host form), CPU, targets, linked projects, and the current target for the
// active project ("-" for the others). --json:
//   {"projects": [{"output": "Motor.abs", "file": "Motor/Motor.kbp", "cpu": "MX-520",
//                  "targets": ["Debug", "Release"], "links": ["MathLib.lib"],
//                  "active": true, "target": "Debug"}, ...]}
// ("cpu" is null when the project names none, "target" for the others).
int RunProjects(const GlobalOptions& globals, bool json) {
  Session session(globals);
  session.SetReadOnly();
  if (!session.Open()) return kExitFailed;
  IService& service = session.service();
  std::vector<std::string> names;
  if (!ProjectInfoList(session, kInfoProjects, "", &names)) return session.Failed();
  VariantArgs info;
  ScopedBstr active, active_target;
  service.GetProjectInfo(kInfoCurrentProject, info.Text(""), info.Empty(), active.Receive());
  service.GetProjectInfo(kInfoCurrentTarget, info.Text(""), info.Empty(), active_target.Receive());
  // A list that lacks a project is no answer: the text form lists the
  // others first, the JSON form prints nothing.
  const std::vector<std::string> unread = session.UnreadProjects();
  const char* kIncomplete = "the list lacks the projects that could not be read";
  if (json && !unread.empty()) return FailedForUnread(std::cerr, kIncomplete, unread);
  JsonDocument list = JsonDocument::array();
  for (const std::string& name : names) {
    VariantArgs args;
    VARIANT* file = args.Out();
    VARIANT* cpu = args.Out();
    std::vector<std::string> targets;
    if (service.Method14(args.Text(name), file, args.Text(kProjectSection), args.Out(),
                         args.Text(kCpuKey), cpu) != S_OK ||
        !ProjectInfoList(session, kInfoTargets, name, &targets)) {
      return session.FailedWith(name);
    }
    // The link list holds projects of the workspace; an entry of one that
    // left it names no project and is not shown.
    LONG count = 0;
    service.GetLinkProjectCount(args.Text(name), &count);
    std::vector<std::string> links;
    for (LONG i = 0; i < count; ++i) {
      ScopedBstr link;
      if (service.GetLinkProjectByIndex(args.Text(name), i, link.Receive()) == S_OK) {
        links.push_back(link.Text());
      }
    }
    std::string relative;
    MakeRelativePath(session.host().WorkspacePath(), VariantText(*file), &relative);
    relative = ForwardSlashes(relative);
    const std::string cpu_name = VariantText(*cpu);
    const bool is_active = EqualsNoCase(name, active.Text());
    const std::string target = is_active ? active_target.Text() : std::string();
    if (json) {
      list.push_back({{"output", name},
                      {"file", relative},
                      {"cpu", TextOrNull(cpu_name)},
                      {"targets", targets},
                      {"links", links},
                      {"active", is_active},
                      {"target", TextOrNull(target)}});
      continue;
    }
    std::cout << name << '\t' << relative << '\t' << (cpu_name.empty() ? "-" : cpu_name) << '\t'
              << JoinOrDash(targets) << '\t' << JoinOrDash(links) << '\t'
              << (target.empty() ? "-" : target) << '\n';
  }
  if (json) PrintJson({{"projects", std::move(list)}});
  if (!unread.empty()) return FailedForUnread(std::cerr, kIncomplete, unread);
  return kExitOk;
}

// What a user asks before building: the active project and target, the
// makefiles that differ from what would be generated now, and how many
// dependency lists (one per source and target) are stale. Reads only; the
// makefiles are compared with the dependencies as a refresh would leave
// them. Text:
//   active project: Motor.abs (Debug)
//   makefiles out of date: MathLib.lib Motor.abs
//   stale dependency lists: 3 of 26
// --json:
//   {"project": "Motor.abs", "target": "Debug", "makefiles_out_of_date": ["MathLib.lib"],
//    "stale_dependency_lists": 3, "dependency_lists": 26}
int RunStatus(const GlobalOptions& globals, bool json) {
  Session session(globals);
  session.SetReadOnly();
  if (!session.Open()) return kExitFailed;
  Workspace& workspace = session.workspace();
  if (!session.AllProjectsRead("the status would be incomplete")) return kExitFailed;
  size_t lists = 0;
  size_t stale = 0;
  ModificationTimeCache times(session.fs());
  for (const auto& project : workspace.projects().All()) {
    times.SetBaseDirectory(project->paths().project_directory);
    for (const std::string& target : project->targets().List()) {
      for (const auto& file : project->sources().Files()) {
        ++lists;
        if (IsDependencyStale(file->dependencies().records, target, file->FullPath(), times))
          ++stale;
      }
    }
  }
  if (stale != 0) {
    workspace.ClearStatus();
    session.dependencies().UpdateDependencies(workspace, DependencyMode::kModifiedFiles, nullptr,
                                              nullptr);
  }
  std::vector<std::string> out_of_date;
  for (const auto& project : workspace.projects().All()) {
    bool current = false;
    if (!IsKmakeFileCurrent(workspace, session.make_states(), &session.cpus(), *project,
                            &current)) {
      return session.FailedWith(project->paths().output_name);
    }
    if (!current) out_of_date.push_back(project->paths().output_name);
  }
  const std::string& active = workspace.selection().CurrentProjectName();
  const std::string& target = workspace.selection().CurrentTarget();
  if (json) {
    PrintJson({{"project", TextOrNull(active)},
               {"target", TextOrNull(active.empty() ? std::string() : target)},
               {"makefiles_out_of_date", out_of_date},
               {"stale_dependency_lists", stale},
               {"dependency_lists", lists}});
    return kExitOk;
  }
  std::cout << "active project: " << (active.empty() ? "none" : active + " (" + target + ")")
            << "\nmakefiles out of date:";
  if (out_of_date.empty()) std::cout << " none";
  for (const std::string& name : out_of_date)
    std::cout << ' ' << name;
  std::cout << "\nstale dependency lists: " << stale << " of " << lists << '\n';
  return kExitOk;
}

int RunAddProject(const GlobalOptions& globals, const std::string& project_arg) {
  Session session(globals);
  if (!session.Open()) return kExitFailed;
  if (!session.AddProject(project_arg)) return kExitFailed;
  return session.Save();
}

// The project leaves the workspace file; its files stay on disk. When it
// was the active project, the first one left takes its place.
int RunRemoveProject(const GlobalOptions& globals, const std::string& project_arg) {
  Session session(globals);
  session.SetRefreshDependenciesOnOpen(false);
  if (!session.Open()) return kExitFailed;
  Project* project = session.FindProject(project_arg);
  if (project == nullptr) return kExitFailed;
  Workspace& workspace = session.workspace();
  Project* successor = nullptr;
  for (const auto& other : workspace.projects().All()) {
    if (other.get() != project) {
      successor = other.get();
      break;
    }
  }
  const std::string file = project->paths().project_file;
  const bool was_active = PathEquals(workspace.selection().ActiveProjectFile(), file);
  std::string error;
  if (!session.host().RemoveWorkspaceProject(file, &error)) return session.Failed(error);
  workspace.RemoveProject(project, successor);
  if (was_active && successor != nullptr &&
      !session.host().SetActiveProject(successor->paths().project_file, &error)) {
    return session.Failed(error);
  }
  return session.Save();
}

int RunActivate(const GlobalOptions& globals, const std::string& project_arg,
                const std::string& target_arg) {
  Session session(globals);
  if (!session.Open()) return kExitFailed;
  IService& service = session.service();
  VariantArgs args;
  VARIANT* file = args.Out();
  if (service.Method14(args.Text(project_arg), file, args.Text(kProjectSection), args.Out(),
                       args.Text(kCpuKey), args.Out()) != S_OK) {
    return session.FailedWith(project_arg);
  }
  std::vector<std::string> targets;
  if (!target_arg.empty() && !CheckProjectTarget(session, project_arg, target_arg, &targets)) {
    return kExitFailed;
  }
  // The host keeps the active project; the service hears that it changed.
  std::string error;
  if (!session.host().SetActiveProject(VariantText(*file), &error)) return session.Failed(error);
  if (service.ActiveProjectChanged(args.Empty()) != S_OK) return session.Failed();
  if (!target_arg.empty()) {
    service.SetProjectInfo(1, args.Text(""), args.Empty(),
                           BstrFromText(TargetName(targets, target_arg)));
  }
  int status = session.Save();
  if (status == kExitOk) {
    ScopedBstr project;
    ScopedBstr target;
    service.GetProjectInfo(kInfoCurrentProject, args.Text(""), args.Empty(), project.Receive());
    service.GetProjectInfo(kInfoCurrentTarget, args.Text(""), args.Empty(), target.Receive());
    std::cout << project.Text() << " (" << target.Text() << ")\n";
  }
  return status;
}

// The end of a command that changed the workspace with `hr`: saved, or
// the failure printed (naming the project when it was not found).
// A failure names the project when it was not found, the target asked for
// (with the project's) when that was not.
int SavedUnless(Session& session, HRESULT hr, std::string_view project,
                std::string_view target = {}) {
  if (hr == S_OK) return session.Save();
  const uint32_t status = session.LastStatus();
  if (status == kStatusTargetNotFound && !target.empty()) {
    std::vector<std::string> targets;
    ProjectInfoList(session, kInfoTargets, project, &targets);
    return session.FailedWithStatus(status, kMsgTargetNotFound, TargetsSubject(target, targets));
  }
  return session.FailedWith(status == kStatusProjectNotFound ? project : "");
}

int RunTargetAdd(const GlobalOptions& globals, const std::string& project_arg,
                 const std::string& existing, const std::string& new_target) {
  Session session(globals);
  if (!session.Open()) return kExitFailed;
  VariantArgs args;
  return SavedUnless(session,
                     session.service().AddTarget(args.Text(project_arg), args.Text(existing),
                                                 args.Text(new_target)),
                     project_arg, existing);
}

int RunTargetRemove(const GlobalOptions& globals, const std::string& project_arg,
                    const std::string& target) {
  Session session(globals);
  if (!session.Open()) return kExitFailed;
  VariantArgs args;
  return SavedUnless(session,
                     session.service().RemoveTarget(args.Text(project_arg), args.Text(target)),
                     project_arg, target);
}

// An entry of a project that left the workspace can still be removed by the
// name it was linked as.
int RunLink(const GlobalOptions& globals, bool add, const std::string& project_arg,
            const std::string& linked_arg) {
  Session session(globals);
  if (!session.Open()) return kExitFailed;
  VariantArgs args;
  IService& service = session.service();
  // When the project is there, a project not found is the linked one.
  std::vector<std::string> targets;
  const bool project_known = ProjectInfoList(session, kInfoTargets, project_arg, &targets);
  return SavedUnless(session,
                     add ? service.AddLinkProject(args.Text(project_arg), args.Text(linked_arg))
                         : service.RemoveLinkProject(args.Text(project_arg), args.Text(linked_arg)),
                     project_known ? linked_arg : project_arg);
}

// `complete KIND [PROJECT]`: the words the shell's completion offers, one
// a line. Nothing when the workspace or the installation cannot be read.
int RunComplete(const GlobalOptions& globals, const std::string& kind, const std::string& project) {
  std::vector<std::string> words;
  if (kind == "settings") {
    for (const auto& [text, setting] : kSettingNames)
      words.push_back(text);
  } else if (kind == "cpus") {
    ToolchainSession toolchain;
    std::string error;
    if (!OpenToolchain(globals, &toolchain, &error)) return kExitFailed;
    for (const auto& info : toolchain.cpus->Cpus())
      words.push_back(info->CpuName);
  } else {
    Session session(globals);
    if (!session.Open()) return kExitFailed;
    std::string owner = project;
    if (kind == "targets" && owner.empty()) {  // the active project's
      VariantArgs args;
      ScopedBstr active;
      session.service().GetProjectInfo(kInfoCurrentProject, args.Text(""), args.Empty(),
                                       active.Receive());
      owner = active.Text();
    }
    if (!ProjectInfoList(session, kind == "projects" ? kInfoProjects : kInfoTargets, owner, &words))
      return kExitFailed;
  }
  for (const std::string& word : words)
    std::cout << word << '\n';
  return kExitOk;
}

// A session is named "<start stamp>-<process tag>" (StopObjectName): the
// request reaches that session only, and only while it runs.
int RunStop(const GlobalOptions& globals, const std::string& name) {
  Session session(globals);
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
  if (!system.NamedObjectExists(name) && !system.CreateNamedObjectFor(name, tag)) {
    return session.Failed("the stop request could not be made");
  }
  // A session that ended meanwhile took no request: none is left behind.
  if (!IsProcessTagAlive(tag)) {
    system.RemoveNamedObject(name);
    return session.Failed("no zelvan session " + name + " is running");
  }
  return kExitOk;
}

// The words the workspace's commands take, each filling what it names.
struct WorkspaceArgs {
  std::string workspace;              // init
  std::vector<std::string> projects;  // init
  std::string project;
  std::string target;  // activate, target remove
  std::string existing;
  std::string added;
  std::string linked;
  std::string kind;   // complete
  std::string stamp;  // stop
  bool json = false;
};

// `get` and `set`.
struct SettingArgs {
  ProjectTargetArgs target;
  std::string name;
  std::string value;
};

const char* const kSettingHelp =
    "compile, link, convert, output, work, temp or debug (the effective value); with --raw, "
    "a key of the target's section";
const char* const kRawHelp =
    "SETTING is a key of the target's section, read or written as it stands";
const char* const kProjectHelp = "Output name or project name";

void InitOptions(CLI::App& cmd, WorkspaceArgs& args) {
  cmd.add_option("WORKSPACE", args.workspace, "The new workspace file (.kws)")->required();
  cmd.add_option("PROJECTS", args.projects, "Project files (.kbp), the first one active");
}

void JsonOptions(CLI::App& cmd, WorkspaceArgs& args) {
  AddJsonFlag(&cmd, &args.json);
}

void AddProjectOptions(CLI::App& cmd, WorkspaceArgs& args) {
  cmd.add_option("PROJECT", args.project, "The project file (.kbp)")->required();
}

void ProjectOptions(CLI::App& cmd, WorkspaceArgs& args) {
  cmd.add_option("PROJECT", args.project, kProjectHelp)->required();
}

void ActivateOptions(CLI::App& cmd, WorkspaceArgs& args) {
  ProjectOptions(cmd, args);
  cmd.add_option("TARGET", args.target, "Build target to make current");
}

void TargetAddOptions(CLI::App& cmd, WorkspaceArgs& args) {
  ProjectOptions(cmd, args);
  cmd.add_option("EXISTING", args.existing, "The target to copy")->required();
  cmd.add_option("NEW", args.added, "The new target's name")->required();
}

void TargetRemoveOptions(CLI::App& cmd, WorkspaceArgs& args) {
  ProjectOptions(cmd, args);
  cmd.add_option("TARGET", args.target, "The target to remove")->required();
}

void LinkOptions(CLI::App& cmd, WorkspaceArgs& args) {
  ProjectOptions(cmd, args);
  cmd.add_option("LINKED", args.linked, "The linked project")->required();
}

void GetOptions(CLI::App& cmd, SettingArgs& args) {
  cmd.add_option("PROJECT", args.target.project, kProjectHelp)->required();
  cmd.add_option("TARGET", args.target.target, "Build target")->required();
  cmd.add_option("SETTING", args.name, kSettingHelp)->required();
  cmd.add_flag("--raw", args.target.raw, kRawHelp);
  AddJsonFlag(&cmd, &args.target.json);
}

void SetOptions(CLI::App& cmd, SettingArgs& args) {
  cmd.add_option("PROJECT", args.target.project, kProjectHelp)->required();
  cmd.add_option("TARGET", args.target.target, "Build target")->required();
  cmd.add_option("SETTING", args.name, kSettingHelp)->required();
  cmd.add_option("VALUE", args.value,
                 "The new value (may be empty; -- before one that starts with -)")
      ->required();
  cmd.add_flag("--raw", args.target.raw, kRawHelp);
}

void CompleteOptions(CLI::App& cmd, WorkspaceArgs& args) {
  cmd.add_option("KIND", args.kind, "What to list")
      ->required()
      ->check(CLI::IsMember({"projects", "targets", "cpus", "settings"}));
  cmd.add_option("PROJECT", args.project, "The project whose targets to list (default: active)");
}

void StopOptions(CLI::App& cmd, WorkspaceArgs& args) {
  cmd.add_option("SESSION", args.stamp, "The session's name, as --verbose prints it")->required();
}

using Globals = const GlobalOptions&;
using Args = const WorkspaceArgs&;

const CommandEntry kTargetCommands[] = {
    {.name = "add",
     .help = "Add a target as a copy of an existing one",
     .set_up = SetUp(TargetAddOptions,
                     [](Globals globals, Args args) {
                       return RunTargetAdd(globals, args.project, args.existing, args.added);
                     })},
    {.name = "remove",
     .help = "Remove a target with its settings",
     .set_up = SetUp(TargetRemoveOptions,
                     [](Globals globals, Args args) {
                       return RunTargetRemove(globals, args.project, args.target);
                     })},
};

const CommandEntry kLinkCommands[] = {
    {.name = "add",
     .help = "PROJECT links LINKED from now on",
     .set_up = SetUp(LinkOptions,
                     [](Globals globals, Args args) {
                       return RunLink(globals, true, args.project, args.linked);
                     })},
    {.name = "remove",
     .help = "PROJECT no longer links LINKED",
     .set_up = SetUp(LinkOptions,
                     [](Globals globals, Args args) {
                       return RunLink(globals, false, args.project, args.linked);
                     })},
};

const CommandEntry kWorkspaceCommands[] = {
    {.name = "init",
     .help = "Create a workspace file with the given projects",
     .set_up = SetUp(InitOptions,
                     [](Globals globals, Args args) {
                       return RunInit(globals, args.workspace, args.projects);
                     })},
    {.name = "projects",
     .help = "List the projects: output, project file, CPU, targets, linked projects",
     .set_up = SetUp(JsonOptions,
                     [](Globals globals, Args args) { return RunProjects(globals, args.json); })},
    {.name = "status",
     .help = "Show the active project and target, stale makefiles and dependency lists",
     .set_up = SetUp(JsonOptions,
                     [](Globals globals, Args args) { return RunStatus(globals, args.json); })},
    {.name = "add-project",
     .help = "Add a project file to the workspace",
     .set_up =
         SetUp(AddProjectOptions,
               [](Globals globals, Args args) { return RunAddProject(globals, args.project); })},
    {.name = "remove-project",
     .help = "Take a project out of the workspace (its files stay on disk)",
     .set_up =
         SetUp(ProjectOptions,
               [](Globals globals, Args args) { return RunRemoveProject(globals, args.project); })},
    {.name = "activate",
     .help = "Make a project (and a target) current",
     .set_up = SetUp(ActivateOptions,
                     [](Globals globals, Args args) {
                       return RunActivate(globals, args.project, args.target);
                     })},
    {.name = "target",
     .help = "Add or remove a build target of a project",
     .commands = kTargetCommands},
    {.name = "link", .help = "Add or remove a linked project", .commands = kLinkCommands},
    {.name = "get",
     .help = "Print a per-target setting of a project",
     .set_up = SetUp(GetOptions,
                     [](Globals globals, const SettingArgs& args) {
                       return RunGet(globals, args.target, args.name);
                     })},
    {.name = "set",
     .help = "Change a per-target setting of a project",
     .set_up = SetUp(SetOptions,
                     [](Globals globals, const SettingArgs& args) {
                       return RunSet(globals, args.target, args.name, args.value);
                     })},
    {.name = "complete",
     .help = "Print the words the shell's completion offers",
     .set_up = SetUp(
         CompleteOptions,
         [](Globals globals, Args args) { return RunComplete(globals, args.kind, args.project); }),
     .hidden = true},
    {.name = "stop",
     .help = "Ask a running zelvan session to stop its long work (see --verbose)",
     .set_up = SetUp(StopOptions,
                     [](Globals globals, Args args) { return RunStop(globals, args.stamp); })},
};

}  // namespace

void RegisterWorkspaceCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kWorkspaceCommands);
}

}  // namespace zelvan::cli

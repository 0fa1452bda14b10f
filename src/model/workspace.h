// The workspace: the open workspace with its projects in workspace order,
// the current project and target, and the status of the last operation.
//
// One instance serves a whole session; the host creates it with the platform,
// the service settings, the IDE services and the hooks of the layers above,
// all of which must outlive it. The IDE owns the workspace file and its list
// of projects; the workspace asks for that list when it opens and keeps its
// own workspace-level values in the IDE's per-workspace settings file:
//
//   [Builder]
//   Composition=Debug              the current build target
//   LinkProject=2                  number of numbered entries below
//   LinkProject0=MathLib.lib;      per project in workspace order: its output
//   LinkProject1=Motor.abs;MathLib.lib;   name, then the projects it links
//
// Beside the workspace file it writes the workspace options file (.kop):
//
//   [OpenProjectFolder]
//   Motor\Motor.kbp=Sources;       folders shown open, by project path
//   [OpenProjectExpand]
//   Motor\Motor.kbp=2              the project's expand state
//
// Operations return true on success. A failing operation leaves a status
// code and a message (status_codes.h) for GetLastStatus and GetLastMessage;
// every operation that can fail starts by setting the status to 0.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ide_services.h"
#include "model/project.h"
#include "model/project_environment.h"
#include "model/tree_node_table.h"
#include "platform/ansi_text.h"
#include "platform/platform.h"
#include "storage/text_table.h"

namespace zelvan {

class LanguageTable;
class SourceFile;
class ServiceSettings;
class WorkspaceHooks;

// An argument that should hold a string; nullopt when the caller's argument
// held something else (the operation then fails with kStatusBadArgument).
using ArgText = std::optional<std::string_view>;

class Workspace {
 public:
  // Reads the user and computer names, TEMP, TMP and PATH, and forms the
  // start stamp. `hooks` may be null; without `languages` the workspace
  // keeps the fixed language tables of its own.
  Workspace(const Platform& platform, ServiceSettings& settings, IdeServices& ide,
            WorkspaceHooks* hooks, const LanguageTable* languages = nullptr);
  // Destroys the projects (deleting their working copies) and restores PATH.
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // --- The workspace.

  // Opens the projects the IDE lists for `workspace_path`. Project files
  // that do not exist are skipped without a message.
  bool OpenWorkspace(ArgText workspace_path);
  // Discards unsaved changes with the working copies. Always true.
  bool CloseWorkspace();
  // Saves the modified projects. A read-only project file is never
  // overwritten: with `ask` the user may cancel the whole save, without it
  // he is told. False when a change did not reach its project file.
  bool SaveWorkspace(bool ask);
  // Adds a project file to the workspace (and to the IDE's).
  bool AddProject(ArgText project_file);
  // Re-reads the IDE's active project and chooses the current project and target.
  bool ActiveProjectChanged();
  // Makes `target` the workspace's current target (no check against the
  // current project's targets).
  bool ChangeCurrentTarget(std::string_view target);
  // Makes the project of that name (FindProject) the active and current
  // project and chooses its target, as ActiveProjectChanged does for the
  // project the IDE names. Fails with kStatusProjectNotFound.
  bool SetActiveProject(std::string_view name);
  // The current project name becomes `name` (no look-up) when it differs
  // without regard to case.
  void SetCurrentProjectName(std::string_view name);

  bool AddLinkProject(ArgText project, ArgText linked);
  bool RemoveLinkProject(ArgText project, ArgText linked);
  // Adds an existing file (a full path) to a project: it goes into the
  // folder its extension belongs to (ProjectSources::Add), and
  // its include dependencies are computed at once. Fails, changing nothing,
  // for a path that is no valid full path or cannot be stored (5055), a file
  // that does not exist (kStatusFileNotFound), a file the project has
  // (kStatusFileInProject), or a project file that cannot take it
  // (kStatusFileNotAdded).
  bool AddFile(ArgText project, ArgText file);
  // Adds `new_target` to a project as a copy of `existing`.
  bool AddTarget(ArgText project, ArgText existing, ArgText new_target);
  bool RemoveTarget(ArgText project, ArgText target);

  void SaveTargetSetting();
  // Writes the numbered LinkProject entries of the workspace settings when
  // they changed. False when the IDE did not take one of them; the lists
  // then count as unsaved, so the next call writes them again.
  bool SaveLinkLists();

  // --- Projects put in and taken out by the project commands (new, rename).

  // Loads `project_file` (a full path) and puts it into the workspace
  // directly before `before` (at the end when null) with the workspace's
  // current target. Null, with the reason in `error` and the workspace
  // unchanged, when its working copy cannot be made.
  Project* InsertProject(std::string_view project_file, const Project* before, std::string* error);
  // Takes `project` out of the workspace and destroys it with its working
  // copy. When it was the active or current project, `successor` (none when
  // null) takes its place.
  void RemoveProject(const Project* project, Project* successor);

  // --- Look-ups.

  // The project a name given by a user or a caller names, letter case
  // ignored: the first whose output name is `name`, else the first whose
  // output name without its extension is, else the first whose project file
  // has that base name. Every look-up by name follows this one rule.
  Project* FindNamedProject(std::string_view name) const;
  // FindNamedProject, then among the conversion projects by output name.
  Project* FindProject(std::string_view name);
  // By project file, then by working copy, then among the conversion projects.
  Project* FindProjectByFile(std::string_view path);
  // The project file of FindNamedProject(name).
  bool ResolveProjectFile(std::string_view name, std::string* project_file);
  Project* CurrentProject();

  // --- Status of the last operation.
  uint32_t GetLastStatus() const { return last_status_; }
  const std::string& GetLastMessage() const { return last_message_; }
  void ClearStatus();
  // Empties LastMessage as well (the Project object's methods start so).
  void ClearStatusAndMessage() {
    ClearStatus();
    last_message_.clear();
  }
  // Sets the status and loads the message text, formatted with `args`.
  void SetStatus(uint32_t code, unsigned message_id,
                 std::initializer_list<std::string_view> args = {});
  // The start of an operation on the open workspace: clears the status, then
  // fails with "no workspace" or "bad argument" (an argument that is no text).
  bool BeginOperation(std::initializer_list<ArgText> args);

  // --- Stop requests from other processes.

  // True when another process has created the stop object of this session.
  bool IsStopRequested();
  const std::string& StartStamp() const { return start_stamp_; }
  // The name of the session's stop object: the start stamp, then the tag of
  // this process ("2024379-4711-93215"). The stamp alone is no name: two
  // sessions started in one second share it, and its digits without
  // leading zeros can stand for two different times.
  const std::string& StopObjectName() const { return stop_object_name_; }

  // --- State.
  bool IsOpen() const { return !workspace_path_.empty(); }
  const std::string& WorkspacePath() const { return workspace_path_; }
  const std::string& WorkspaceOptionsPath() const { return workspace_options_path_; }
  const std::string& WorkspaceArchivePath() const { return workspace_archive_path_; }
  const std::string& CurrentProjectName() const { return current_project_name_; }
  const std::string& CurrentTarget() const { return current_target_; }
  const std::string& ActiveProjectFile() const { return active_project_file_; }
  const std::vector<std::unique_ptr<Project>>& Projects() const { return projects_; }
  // The project files the workspace lists that the last OpenWorkspace left
  // out (missing, unreadable, no project file, an output name taken), with why.
  struct UnreadProject {
    std::string file;
    std::string reason;
  };
  const std::vector<UnreadProject>& UnreadProjects() const { return unread_projects_; }
  // The paths that the dependency records of every project refer to by id
  // (model/dependency_record.h): each distinct path once, for the
  // workspace object's whole life.
  TextTable& dependency_paths() { return dependency_paths_; }
  bool IsModified() const { return modified_; }
  void SetModified() { modified_ = true; }
  bool SaveViewState() const { return save_view_state_; }
  void SetSaveViewState(bool save) { save_view_state_ = save; }
  const std::string& UserName() const { return user_name_; }
  const std::string& ComputerName() const { return computer_name_; }
  const std::string& TempDirectory() const { return temp_dir_; }
  const std::string& SecondTempDirectory() const { return tmp_dir_; }
  int32_t UpdateDependencyFile() const { return update_dependency_file_; }

  // The view trees of the IDE; the current one is 1 or 2.
  TreeNodeTable& TreeTable(int index) { return index == 2 ? tree_tables_[1] : tree_tables_[0]; }
  int CurrentTreeIndex() const { return current_tree_; }
  void SetCurrentTreeIndex(int index) { current_tree_ = index == 2 ? 2 : 1; }
  // The text of one node, looked up in both trees in order.
  bool GetTreeNodeText(uint32_t handle, std::string* text);
  // The texts of several nodes of the current tree, each followed by `;`.
  void GetTreeNodeTexts(const std::vector<uint32_t>& handles, std::string* text);

  // Projects that a conversion is building; searched after the workspace's own.
  void AddConversionProject(std::unique_ptr<Project> project);
  void ClearConversionProjects();

  const Platform& platform() const { return platform_; }
  IdeServices& ide() { return ide_; }
  ServiceSettings& settings() { return settings_; }
  WorkspaceHooks& hooks() { return *hooks_; }
  ProgressWriter& progress() { return progress_; }
  const LanguageTable& languages() const { return *environment_.languages; }
  // Extensions (without dot) whose files get the ListedExtension flag; a
  // host may supply them before the workspace opens.
  void SetListedExtensions(std::vector<std::string> extensions) {
    environment_.listed_extensions = std::move(extensions);
  }

 private:
  using ProjectMap = std::map<std::string, Project*, NoCaseLess>;

  // Makes, opens and loads one project; null (reported) when its working copy cannot be made.
  std::unique_ptr<Project> LoadProject(const std::string& project_file, std::string* error);
  // Appends the project, or puts it before `before`, and enters it in the maps.
  void Register(std::unique_ptr<Project> project, const Project* before = nullptr);
  Project* FindByOutputName(std::string_view output_name);
  // The project a name argument names, through ResolveProjectFile; sets the status when none.
  Project* ProjectArgument(ArgText name);
  void LoadLinkLists();
  std::vector<std::string> LinkListValues() const;
  void ReadArchiveSettings();
  void WriteViewTrees();
  void WriteViewState(bool replace);
  void SetCurrentTargetOfProject(Project& project);
  // SetCurrentTargetOfProject for the project becoming the active one; a
  // change of the current target leaves every makefile out of date.
  void ActivateProject(Project& project);
  void DestroyProjects();

  Platform platform_;
  ServiceSettings& settings_;
  IdeServices& ide_;
  WorkspaceHooks* hooks_;
  std::unique_ptr<LanguageTable> own_languages_;
  ProjectEnvironment environment_;

  uint32_t last_status_ = 0;
  std::string user_name_;
  std::string computer_name_;
  std::string temp_dir_;
  std::string tmp_dir_;
  std::string last_message_;
  std::string workspace_path_;
  std::string workspace_options_path_;
  std::string workspace_archive_path_;
  std::string current_project_name_;
  std::string current_target_;
  std::string saved_target_;
  std::vector<std::string> saved_link_values_;
  bool link_lists_known_ = false;
  std::string active_project_file_;
  std::optional<std::string> saved_path_;
  TreeNodeTable tree_tables_[2];
  int current_tree_ = 1;
  bool modified_ = false;
  // Before the projects: their records refer to it.
  TextTable dependency_paths_;
  std::vector<std::unique_ptr<Project>> projects_;
  std::vector<UnreadProject> unread_projects_;
  ProjectMap projects_by_file_;
  ProjectMap projects_by_working_copy_;
  std::vector<std::unique_ptr<Project>> conversion_projects_;
  std::string start_stamp_;
  std::string stop_object_name_;
  int32_t update_dependency_file_ = 0;
  bool save_view_state_ = true;
  ProgressWriter progress_;
};

}  // namespace zelvan

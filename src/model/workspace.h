// The workspace: the session's one object that composes the open
// workspace's parts (its projects, the active selection, the open/save
// sequence, the IDE's view trees) and keeps the status of the last operation.
//
// One instance serves a whole session; the host creates it with the platform,
// the service settings, the IDE services and the hooks of the layers above,
// all of which must outlive it.
//
// Operations return a Status: a failure carries the code and message
// (status_codes.h, operation_status.h) it is reported under. They leave the
// last status (GetLastStatus, GetLastMessage) to their callers, the
// component and the command line, which clear it when an operation begins
// and set it from the failure (ReportStatus in the service).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/ide_services.h"
#include "model/project.h"
#include "model/project_environment.h"
#include "model/project_list.h"
#include "model/tree_node_table.h"
#include "model/workspace_document.h"
#include "model/workspace_selection.h"
#include "platform/ansi_text.h"
#include "platform/platform.h"
#include "platform/status.h"
#include "storage/text_table.h"

namespace zelvan {

class LanguageTable;
class SourceFile;
class ServiceSettings;
class WorkspaceHooks;

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

  // Adds a project file to the workspace (and to the IDE's).
  // A failure without a code: the IDE refused it.
  Status AddProject(ArgText project_file);
  // Makes the project of that name (ProjectList::Find) the active and
  // current project and chooses its target, as ActiveProjectChanged does for
  // the project the IDE names. Fails with kStatusProjectNotFound.
  Status SetActiveProject(std::string_view name);

  Status AddLinkProject(ArgText project, ArgText linked);
  Status RemoveLinkProject(ArgText project, ArgText linked);
  // Adds an existing file (a full path) to a project: it goes into the
  // folder its extension belongs to (ProjectSources::Add), and
  // its include dependencies are computed at once. Fails, changing nothing,
  // for a path that is no valid full path or cannot be stored (5055), a file
  // that does not exist (kStatusFileNotFound), a file the project has
  // (kStatusFileInProject), or a project file that cannot take it
  // (kStatusFileNotAdded).
  Status AddFile(ArgText project, ArgText file);
  // Adds `new_target` to a project as a copy of `existing`.
  Status AddTarget(ArgText project, ArgText existing, ArgText new_target);
  Status RemoveTarget(ArgText project, ArgText target);

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
  // Sets the status and a message already made (from a Status, say).
  void SetStatusMessage(uint32_t code, std::string message) {
    last_status_ = code;
    last_message_ = std::move(message);
  }

  // --- Stop requests from other processes.

  // True when another process has created the stop object of this session.
  bool IsStopRequested();
  const std::string& StartStamp() const { return start_stamp_; }
  // The name of the session's stop object: the start stamp, then the tag of
  // this process ("2024379-4711-93215"). The stamp alone is no name: two
  // sessions started in one second share it, and its digits without
  // leading zeros can stand for two different times.
  const std::string& StopObjectName() const { return stop_object_name_; }

  // The paths that the dependency records of every project refer to by id
  // (model/dependency_record.h): each distinct path once, for the
  // workspace object's whole life.
  TextTable& dependency_paths() { return dependency_paths_; }
  const std::string& UserName() const { return user_name_; }
  const std::string& ComputerName() const { return computer_name_; }
  const std::string& TempDirectory() const { return temp_dir_; }
  const std::string& SecondTempDirectory() const { return tmp_dir_; }
  int32_t UpdateDependencyFile() const { return update_dependency_file_; }

  // --- The parts.
  ProjectList& projects() { return projects_; }
  const ProjectList& projects() const { return projects_; }
  WorkspaceSelection& selection() { return selection_; }
  const WorkspaceSelection& selection() const { return selection_; }
  WorkspaceDocument& document() { return document_; }
  const WorkspaceDocument& document() const { return document_; }
  ViewTrees& view_trees() { return view_trees_; }

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
  friend class WorkspaceDocument;  // loads projects with the environment

  // The project a name argument names, through ResolveFile; null when none.
  Project* ProjectArgument(ArgText name);

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
  std::optional<std::string> saved_path_;
  ViewTrees view_trees_;
  // Before the projects: their records refer to it.
  TextTable dependency_paths_;
  ProjectList projects_;
  WorkspaceSelection selection_;
  WorkspaceDocument document_;
  std::string start_stamp_;
  std::string stop_object_name_;
  int32_t update_dependency_file_ = 0;
  ProgressWriter progress_;
};

}  // namespace zelvan

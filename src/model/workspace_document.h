// The open/save sequence of the workspace: opening the projects the IDE
// lists, saving them with the workspace-level values, closing.
//
// The IDE owns the workspace file and its list of projects; the workspace
// asks for that list when it opens and keeps its own workspace-level values
// in the IDE's per-workspace settings file:
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
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace zelvan {

class Project;
class Workspace;

// An argument that should hold a string; nullopt when the caller's argument
// held something else (the operation then fails with kStatusBadArgument).
using ArgText = std::optional<std::string_view>;

class WorkspaceDocument {
 public:
  // A part of `workspace`. Open and Save return their failure (a Status with
  // its code and message); the caller makes it the workspace's last status.
  explicit WorkspaceDocument(Workspace& workspace) : workspace_(workspace) {}
  WorkspaceDocument(const WorkspaceDocument&) = delete;
  WorkspaceDocument& operator=(const WorkspaceDocument&) = delete;

  // Opens the projects the IDE lists for `workspace_path`. Project files
  // that do not exist are skipped without a message.
  Status Open(ArgText workspace_path);
  // Discards unsaved changes with the working copies. Always true.
  bool Close();
  // Saves the modified projects. A read-only project file is never
  // overwritten: with `ask` the user may cancel the whole save, without it
  // he is told. Fails when a change did not reach its project file, with
  // kStatusNoWorkspace when none is open (which the component reports as
  // done), and without a code when a makefile was not written (the hooks
  // set its status).
  Status Save(bool ask);
  // Writes the current target to the workspace settings when it changed.
  void SaveTargetSetting();
  // Writes the numbered LinkProject entries of the workspace settings when
  // they changed. False when the IDE did not take one of them; the lists
  // then count as unsaved, so the next call writes them again.
  bool SaveLinkLists();
  // Makes, opens and loads one project; null, with the reason in `error`,
  // when its working copy cannot be made.
  std::unique_ptr<Project> LoadProject(const std::string& project_file, std::string* error);

  bool IsOpen() const { return !path_.empty(); }
  const std::string& Path() const { return path_; }
  const std::string& OptionsPath() const { return options_path_; }
  const std::string& ArchivePath() const { return archive_path_; }
  bool IsModified() const { return modified_; }
  void SetModified() { modified_ = true; }
  bool SaveViewState() const { return save_view_state_; }
  void SetSaveViewState(bool save) { save_view_state_ = save; }

 private:
  void LoadLinkLists();
  std::vector<std::string> LinkListValues() const;
  void ReadArchiveSettings();
  void WriteViewTrees();
  void WriteViewState(bool replace);

  Workspace& workspace_;
  std::string path_;
  std::string options_path_;
  std::string archive_path_;
  std::vector<std::string> saved_link_values_;
  bool link_lists_known_ = false;
  bool modified_ = false;
  bool save_view_state_ = true;
};

}  // namespace zelvan

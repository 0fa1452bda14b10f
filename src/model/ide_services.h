// What the project model needs from the IDE that hosts it.
//
// The IDE owns the workspace file and its list of projects, the per-workspace
// settings file, the output window and the message boxes. The model reaches
// all of them through this interface, which a host implements: the headless
// host of the command line (src/host), and the connection to a real IDE.
// Every call runs on the caller's thread and reports failure by its result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class UiHooks;

// Kinds of output-window lines.
inline constexpr int kOutputWarning = 17;
inline constexpr int kOutputInformation = 18;

class IdeServices {
 public:
  virtual ~IdeServices() = default;

  // --- The IDE's workspace object.

  // The project files of the workspace `workspace_path`, full paths in
  // workspace order. False when the IDE cannot give them.
  virtual bool GetWorkspaceProjectFiles(std::string_view workspace_path,
                                        std::vector<std::string>* project_files) = 0;
  // The project file the IDE shows as active; empty when there is none.
  virtual std::string GetActiveProjectFile() = 0;
  // A value of the per-workspace settings file, kept by the IDE. A value
  // longer than `buffer_size` - 1 characters is cut, as the IDE's buffer would.
  virtual std::string ReadWorkspaceSetting(std::string_view section, std::string_view key,
                                           size_t buffer_size) = 0;
  virtual bool WriteWorkspaceSetting(std::string_view section, std::string_view key,
                                     std::string_view value) = 0;
  // Asks the IDE to add the project whose IDE project file (.kpr) is
  // `ide_project_file` to the workspace; false when the IDE refuses.
  virtual bool AddProjectToWorkspace(std::string_view ide_project_file,
                                     std::string_view workspace_path) = 0;
  // Tells the IDE that a project file joined the workspace.
  virtual void ProjectFileAdded(std::string_view project_file) = 0;
  // Tells the IDE the workspace's current build target.
  virtual void CurrentTargetChanged(std::string_view target) = 0;
  // Asks the IDE to redraw the tree of one project.
  virtual void RefreshProjectView(std::string_view project_file) = 0;
  // Asks the IDE to refresh the source-control state of every project.
  virtual void RefreshSourceControlStatus() = 0;

  // The IDE's own record of the workspace, which new, copy and rename keep
  // in step (see projects/project_services.h). An IDE that keeps no record
  // of its own refuses the changes and names no files.
  virtual bool ReplaceWorkspaceProject(std::string_view /*old_project_file*/,
                                       std::string_view /*new_project_file*/, std::string* error) {
    *error = "the IDE keeps no list of projects";
    return false;
  }
  virtual bool RemoveWorkspaceProject(std::string_view /*project_file*/, std::string* error) {
    *error = "the IDE keeps no list of projects";
    return false;
  }
  virtual std::vector<std::string> WorkspaceRecordFiles() { return {}; }

  // --- The error-message service.

  // Shows a message box (style: platform/ui_hooks.h) and returns the button pressed.
  virtual int ShowMessage(std::string_view caption, std::string_view text, unsigned style,
                          unsigned message_id) = 0;

  // --- The output window.

  // Reports an error the user must see; `code` is 16 bits, the IDE receives
  // 0x40040000 + code.
  virtual void ReportError(uint32_t code, std::string_view message) = 0;
  // One line in the system's output pane; `kind` is kOutputWarning or kOutputInformation.
  virtual void WriteOutputLine(std::string_view text, int kind) = 0;
  // One line that refers to a line of a file, so the IDE can open it.
  virtual void WriteOutputLineAt(std::string_view file, int line, std::string_view text,
                                 int kind) = 0;
  virtual void ClearOutputPane() = 0;
  virtual void ShowOutputPane() = 0;
};

// Reporting helpers built on the interface, so every host gets the same texts.

// ReportError with the text of message `message_id`.
void ReportErrorById(IdeServices& ide, UiHooks& ui, uint32_t code, unsigned message_id);

// The line "<prefix><file>(<line>):<text>", handed over with its file and line.
void WriteOutputFileLine(IdeServices& ide, std::string_view prefix, std::string_view file, int line,
                         std::string_view text, int kind);

// Progress of a long operation in the output pane, one line per percent
// step: nothing for a total of 0 or a percentage already written.
class ProgressWriter {
 public:
  void Write(IdeServices& ide, UiHooks& ui, std::string_view name, uint32_t done, uint32_t total);
  // Forgets the last percentage, so the next call writes.
  void Reset() { last_percentage_ = -1; }

 private:
  int64_t last_percentage_ = -1;
};

}  // namespace zelvan

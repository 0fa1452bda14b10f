#include "service/ide_bridge.h"

#include <limits>

#include "com/bstr.h"
#include "com/variant.h"
#include "service/ide_connection.h"

namespace zelvan {

// Line kinds pass to the output window unchanged.
static_assert(kOutputWarning == kOutputLineWarning && kOutputInformation == kOutputLineInformation);

bool IdeBridge::GetWorkspaceProjectFiles(std::string_view workspace_path,
                                         std::vector<std::string>* project_files) {
  IKovaWorkspace* workspace = connection_.Workspace();
  if (workspace == nullptr || project_files == nullptr) return false;
  ScopedBstr path(workspace_path);
  VARIANT files;
  VariantInit(&files);
  std::vector<std::string> list;
  const bool ok =
      workspace->GetProjectFiles(path.Get(), &files) == S_OK && StringsFromVariant(files, &list);
  VariantClear(&files);
  if (ok) *project_files = std::move(list);
  return ok;
}

std::string IdeBridge::GetActiveProjectFile() {
  IKovaWorkspace* workspace = connection_.Workspace();
  if (workspace == nullptr) return std::string();
  ScopedBstr file;
  if (FAILED(workspace->GetActiveProject(file.Receive()))) return std::string();
  return file.Text();
}

std::string IdeBridge::ReadWorkspaceSetting(std::string_view section, std::string_view key,
                                            size_t buffer_size) {
  IKovaWorkspace* workspace = connection_.Workspace();
  if (workspace == nullptr) return std::string();
  ScopedBstr section_text(section);
  ScopedBstr key_text(key);
  ScopedBstr value;
  const LONG size = buffer_size > static_cast<size_t>(std::numeric_limits<LONG>::max())
                        ? std::numeric_limits<LONG>::max()
                        : static_cast<LONG>(buffer_size);
  if (FAILED(workspace->GetSetting(section_text.Get(), key_text.Get(), size, value.Receive()))) {
    return std::string();
  }
  std::string text = value.Text();
  // The buffer the caller asked for bounds the value, whatever the IDE returned.
  if (buffer_size > 0 && text.size() >= buffer_size) text.resize(buffer_size - 1);
  return text;
}

bool IdeBridge::WriteWorkspaceSetting(std::string_view section, std::string_view key,
                                      std::string_view value) {
  IKovaWorkspace* workspace = connection_.Workspace();
  if (workspace == nullptr) return false;
  ScopedBstr section_text(section);
  ScopedBstr key_text(key);
  ScopedBstr value_text(value);
  return workspace->WriteSetting(section_text.Get(), key_text.Get(), value_text.Get()) == S_OK;
}

bool IdeBridge::AddProjectToWorkspace(std::string_view ide_project_file,
                                      std::string_view workspace_path) {
  IKovaWorkspace* workspace = connection_.Workspace();
  if (workspace == nullptr) return false;
  ScopedBstr file(ide_project_file);
  ScopedBstr path(workspace_path);
  return workspace->AddProject(file.Get(), path.Get()) == S_OK;
}

void IdeBridge::ProjectFileAdded(std::string_view project_file) {
  if (IKovaWorkspace* workspace = connection_.Workspace()) {
    ScopedBstr file(project_file);
    workspace->ProjectAdded(file.Get());
  }
}

void IdeBridge::CurrentTargetChanged(std::string_view target) {
  if (IKovaWorkspace* workspace = connection_.Workspace()) {
    ScopedBstr name(target);
    workspace->SetCurrentTarget(name.Get());
  }
}

void IdeBridge::RefreshProjectView(std::string_view project_file) {
  if (IKovaWorkspace* workspace = connection_.Workspace()) {
    ScopedBstr file(project_file);
    workspace->RefreshProject(file.Get());
  }
}

void IdeBridge::RefreshSourceControlStatus() {
  if (IKovaWorkspace* workspace = connection_.Workspace()) workspace->RefreshSourceControl();
}

bool IdeBridge::ReplaceWorkspaceProject(std::string_view old_project_file,
                                        std::string_view new_project_file, std::string* error) {
  IKovaWorkspace* workspace = connection_.Workspace();
  ScopedBstr old_file(old_project_file);
  ScopedBstr new_file(new_project_file);
  if (workspace != nullptr && workspace->ReplaceProject(old_file.Get(), new_file.Get()) == S_OK) {
    return true;
  }
  *error = "the IDE did not take the project's new name into its workspace";
  return false;
}

bool IdeBridge::RemoveWorkspaceProject(std::string_view project_file, std::string* error) {
  IKovaWorkspace* workspace = connection_.Workspace();
  ScopedBstr file(project_file);
  if (workspace != nullptr && workspace->RemoveProject(file.Get()) == S_OK) return true;
  *error = "the IDE did not take the project out of its workspace";
  return false;
}

std::vector<std::string> IdeBridge::WorkspaceRecordFiles() {
  std::vector<std::string> files;
  IKovaWorkspace* workspace = connection_.Workspace();
  VARIANT list;
  VariantInit(&list);
  if (workspace != nullptr && workspace->GetRecordFiles(&list) == S_OK) {
    StringsFromVariant(list, &files);
  }
  VariantClear(&list);
  return files;
}

int IdeBridge::ShowMessage(std::string_view caption, std::string_view text, unsigned style,
                           unsigned message_id) {
  return connection_.ShowMessage(caption, text, style, message_id);
}

void IdeBridge::ReportError(uint32_t code, std::string_view message) {
  connection_.ReportError(code, message);
}

void IdeBridge::WriteOutputLine(std::string_view text, int kind) {
  connection_.WriteOutputLine(text, kind);
}

void IdeBridge::WriteOutputLineAt(std::string_view file, int line, std::string_view text,
                                  int kind) {
  connection_.WriteOutputLineAt(file, line, text, kind);
}

void IdeBridge::ClearOutputPane() {
  connection_.ClearOutputPane();
}

void IdeBridge::ShowOutputPane() {
  connection_.ShowOutputPane();
}

}  // namespace zelvan

#include "tests/support/recording_ide_services.h"

#include "model/message_texts.h"

namespace zelvan::testing {

void RecordingIdeServices::Record(std::string_view name,
                                  std::initializer_list<std::string_view> args) {
  std::string line(name);
  line += ' ';
  bool first = true;
  for (std::string_view arg : args) {
    if (!first) line += '|';
    line.append(arg);
    first = false;
  }
  calls.push_back(std::move(line));
}

std::vector<std::string> RecordingIdeServices::Calls(std::string_view name) const {
  std::vector<std::string> out;
  std::string prefix = std::string(name) + " ";
  for (const std::string& call : calls) {
    if (call.compare(0, prefix.size(), prefix) == 0) out.push_back(call.substr(prefix.size()));
  }
  return out;
}

std::string RecordingIdeServices::Setting(std::string_view section, std::string_view key) const {
  auto it = settings.find(std::string(section) + "|" + std::string(key));
  return it == settings.end() ? std::string() : it->second;
}

bool RecordingIdeServices::GetWorkspaceProjectFiles(std::string_view workspace_path,
                                                    std::vector<std::string>* files) {
  Record("GetWorkspaceProjectFiles", {workspace_path});
  if (fail_project_list) return false;
  *files = project_files;
  return true;
}

std::string RecordingIdeServices::ReadWorkspaceSetting(std::string_view section,
                                                       std::string_view key, size_t buffer_size) {
  std::string value = Setting(section, key);
  if (buffer_size > 0 && value.size() >= buffer_size) value.resize(buffer_size - 1);
  return value;
}

bool RecordingIdeServices::WriteWorkspaceSetting(std::string_view section, std::string_view key,
                                                 std::string_view value) {
  Record("WriteWorkspaceSetting", {section, key, value});
  settings[std::string(section) + "|" + std::string(key)] = std::string(value);
  return true;
}

bool RecordingIdeServices::AddProjectToWorkspace(std::string_view ide_project_file,
                                                 std::string_view workspace_path) {
  Record("AddProjectToWorkspace", {ide_project_file, workspace_path});
  if (refuse_add) return false;
  std::string project(ide_project_file);
  project.replace(project.size() - 3, 3, "kbp");
  project_files.push_back(project);
  return true;
}

bool RecordingIdeServices::ReplaceWorkspaceProject(std::string_view old_project_file,
                                                   std::string_view new_project_file,
                                                   std::string* error) {
  Record("ReplaceWorkspaceProject", {old_project_file, new_project_file});
  if (refuse_add) *error = "refused";
  return !refuse_add;
}

bool RecordingIdeServices::RemoveWorkspaceProject(std::string_view project_file,
                                                  std::string* error) {
  Record("RemoveWorkspaceProject", {project_file});
  if (refuse_add) *error = "refused";
  return !refuse_add;
}

std::vector<std::string> RecordingIdeServices::WorkspaceRecordFiles() {
  Record("WorkspaceRecordFiles", {});
  return {"C:\\ws\\ws.kws", "C:\\ws\\ws.kwa"};
}

int RecordingIdeServices::ShowMessage(std::string_view caption, std::string_view text,
                                      unsigned style, unsigned message_id) {
  Record("ShowMessage", {caption, text, std::to_string(style), std::to_string(message_id)});
  return answer;
}

void RecordingIdeServices::WriteOutputLineAt(std::string_view file, int line, std::string_view text,
                                             int kind) {
  Record("WriteOutputLineAt", {file, std::to_string(line), std::to_string(kind), text});
}

int RecordingIdeServices::MessageBox(std::string_view caption, std::string_view text,
                                     unsigned style) {
  Record("MessageBox", {caption, text, std::to_string(style)});
  return answer;
}

std::string RecordingIdeServices::LoadString(unsigned id) {
  auto it = strings.find(id);
  if (it != strings.end()) return it->second;
  const char* text = DefaultMessageText(id);
  return text ? text : "";
}

}  // namespace zelvan::testing

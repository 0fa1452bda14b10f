#include "host/workspace_file.h"

#include <algorithm>
#include <cstdlib>

#include "platform/ansi_text.h"
#include "platform/profile_text.h"

namespace zelvan {

namespace {

constexpr const char* kWorkspaceSection = "Workspace";
constexpr const char* kProjectsSection = "Projects";
constexpr const char* kNewFileHeader = "; Zelvan workspace\r\n";

std::string ProjectKey(size_t index) {
  return "Project" + std::to_string(index);
}

// A path as a profile line holds it: one with blanks at either end, or
// quotes around it, would read back trimmed or unquoted, so it is quoted.
std::string Stored(const std::string& path) {
  return ProfileText::ReadValue(path) == path ? path : "\"" + path + "\"";
}

}  // namespace

bool ParseWorkspaceFile(std::string_view text, WorkspaceFile* workspace, std::string* error) {
  ProfileText file(text);
  if (!file.HasSection(kWorkspaceSection) && !file.HasSection(kProjectsSection)) {
    *error = "not a workspace file (it has no [Workspace] or [Projects] section)";
    return false;
  }
  std::string format;
  if (file.Lookup(kWorkspaceSection, "Format", &format)) {
    char* end = nullptr;
    long number = std::strtol(format.c_str(), &end, 10);
    if (format.empty() || *end != '\0' || number < 1) {
      *error = "the workspace file has an unreadable Format \"" + format + "\"";
      return false;
    }
    if (number > kWorkspaceFileFormat) {
      *error = "the workspace file has format " + format + ", newer than this program reads";
      return false;
    }
  }
  WorkspaceFile result;
  file.Lookup(kWorkspaceSection, "Active", &result.active);
  std::string count_text;
  file.Lookup(kProjectsSection, "Count", &count_text);
  char* end = nullptr;
  unsigned long count = std::strtoul(count_text.c_str(), &end, 10);
  if (!count_text.empty() && (*end != '\0' || count_text[0] == '-')) {
    *error = "the workspace file has an unreadable project Count \"" + count_text + "\"";
    return false;
  }
  // No more entries than the section has lines, whatever Count claims.
  size_t limit = file.KeyNames(kProjectsSection).size();
  for (size_t i = 0; i < count && i < limit; ++i) {
    std::string project;
    if (file.Lookup(kProjectsSection, ProjectKey(i), &project) && !project.empty()) {
      result.projects.push_back(project);
    }
  }
  *workspace = std::move(result);
  return true;
}

bool UpdateWorkspaceFileText(std::string_view old_text, const WorkspaceFile& workspace,
                             std::string* text, std::string* error) {
  for (const std::string& path : workspace.projects) {
    if (!ProfileText::WriteRefusal(kProjectsSection, "Project0", path).empty()) {
      *error = "a workspace file cannot hold the path \"" + path + "\"";
      return false;
    }
  }
  if (!ProfileText::WriteRefusal(kWorkspaceSection, "Active", workspace.active).empty()) {
    *error = "a workspace file cannot hold the path \"" + workspace.active + "\"";
    return false;
  }
  ProfileText file(old_text.empty() ? std::string_view(kNewFileHeader) : old_text);
  file.Set(kWorkspaceSection, "Format", std::to_string(kWorkspaceFileFormat));
  file.Set(kWorkspaceSection, "Active", Stored(workspace.active));
  // Entries beyond the new count go, so the file never lists a project twice.
  for (const std::string& key : file.KeyNames(kProjectsSection)) {
    std::string_view digits = std::string_view(key).substr(std::min<size_t>(key.size(), 7));
    if (!StartsWithNoCase(key, "Project") || digits.empty() ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
      continue;
    }
    if (digits.size() > 9 || std::stoul(std::string(digits)) >= workspace.projects.size()) {
      file.DeleteKey(kProjectsSection, key);
    }
  }
  file.Set(kProjectsSection, "Count", std::to_string(workspace.projects.size()));
  for (size_t i = 0; i < workspace.projects.size(); ++i) {
    file.Set(kProjectsSection, ProjectKey(i), Stored(workspace.projects[i]));
  }
  *text = file.Render();
  return true;
}

}  // namespace zelvan

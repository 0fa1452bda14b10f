#include "model/project_list.h"

#include <iterator>

#include "platform/win_path.h"

namespace zelvan {

namespace {

std::string StripExtension(std::string_view name) {
  size_t dot = name.rfind('.');
  return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

}  // namespace

Project* ProjectList::FindByOutputName(std::string_view output_name) const {
  for (const auto& project : projects_) {
    if (EqualsNoCase(project->paths().output_name, output_name)) return project.get();
  }
  return nullptr;
}

Project* ProjectList::FindNamed(std::string_view name) const {
  // Every command names projects by this one rule. An output name is
  // matched before a shortened one or a file name, so that a name never
  // reaches another project than the one whose output it is.
  if (Project* project = FindByOutputName(name)) return project;
  for (const auto& project : projects_) {
    if (EqualsNoCase(StripExtension(project->paths().output_name), name)) return project.get();
  }
  for (const auto& project : projects_) {
    if (EqualsNoCase(project->paths().base_name, name)) return project.get();
  }
  return nullptr;
}

Project* ProjectList::Find(std::string_view name) const {
  if (name.empty()) return nullptr;
  if (Project* project = FindNamed(name)) return project;
  for (const auto& project : conversion_projects_) {
    if (EqualsNoCase(project->paths().output_name, name)) return project.get();
  }
  return nullptr;
}

Project* ProjectList::FindByFile(std::string_view path) const {
  if (auto it = by_file_.find(path); it != by_file_.end()) return it->second;
  if (auto it = by_working_copy_.find(path); it != by_working_copy_.end()) return it->second;
  for (const auto& project : conversion_projects_) {
    if (PathEquals(project->paths().project_file, path)) return project.get();
  }
  return nullptr;
}

bool ProjectList::ResolveFile(std::string_view name, std::string* project_file) const {
  const Project* project = name.empty() ? nullptr : FindNamed(name);
  if (project == nullptr) return false;
  *project_file = project->paths().project_file;
  return true;
}

void ProjectList::Insert(std::unique_ptr<Project> project, const Project* before) {
  by_file_[project->paths().project_file] = project.get();
  by_working_copy_[project->paths().working_copy] = project.get();
  auto position = projects_.begin();
  while (position != projects_.end() && position->get() != before)
    ++position;
  projects_.insert(position, std::move(project));
}

std::unique_ptr<Project> ProjectList::Take(const Project* project) {
  auto it = projects_.begin();
  while (it != projects_.end() && it->get() != project)
    ++it;
  if (it == projects_.end()) return nullptr;
  for (ProjectMap* map : {&by_file_, &by_working_copy_}) {
    for (auto entry = map->begin(); entry != map->end();) {
      entry = entry->second == project ? map->erase(entry) : std::next(entry);
    }
  }
  std::unique_ptr<Project> taken = std::move(*it);
  projects_.erase(it);
  return taken;
}

void ProjectList::Clear() {
  by_file_.clear();
  by_working_copy_.clear();
  // Each project deletes its working copy as it goes.
  projects_.clear();
}

void ProjectList::AddConversionProject(std::unique_ptr<Project> project) {
  conversion_projects_.push_back(std::move(project));
}

}  // namespace zelvan

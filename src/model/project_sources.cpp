#include "model/project_sources.h"

#include <algorithm>
#include <functional>
#include <set>

#include "model/path_functions.h"
#include "model/project.h"
#include "model/source_file.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/profile_text.h"
#include "platform/win_path.h"
#include "storage/profile_data.h"
#include "storage/project_files.h"
#include "storage/project_folders.h"

namespace zelvan {

ProjectSources::ProjectSources(Project& project) : project_(project) {}

ProjectSources::~ProjectSources() {
  Clear();
}

void ProjectSources::Clear() {
  by_path_.clear();
  by_relative_path_.clear();
  files_.clear();
}

void ProjectSources::Load(const ProfileData& whole_file) {
  std::vector<std::string> source_folders;
  ListFolders(whole_file, &folders_, &entries_, &source_folders);
  Clear();
  const std::string& directory = project_.paths().project_directory;
  for (size_t i = 0; i < entries_.size(); ++i) {
    std::string full;
    // An entry that names no path stays in the file, but no record can stand for it.
    if (!GetFullPathName(entries_[i], directory, &full)) continue;
    // Two spellings of one file ("a.c", "..c") make one record.
    if (Find(full) != nullptr) continue;
    auto file = std::make_unique<SourceFile>(std::move(full), project_, false);
    file->SetFolderName(source_folders[i]);
    for (const std::string& target : project_.targets().List())
      file->settings().LoadFromSection(target);
    Register(std::move(file));
  }
}

void ProjectSources::Register(std::unique_ptr<SourceFile> file) {
  by_path_.emplace(file->FullPath(), file.get());
  by_relative_path_.emplace(file->RelativePath(), file.get());
  files_.push_back(std::move(file));
}

SourceFile* ProjectSources::Find(std::string_view full_path) const {
  auto it = by_path_.find(full_path);
  return it == by_path_.end() ? nullptr : it->second;
}

SourceFile* ProjectSources::FindByRelativePath(std::string_view relative_path) const {
  auto it = by_relative_path_.find(relative_path);
  return it == by_relative_path_.end() ? nullptr : it->second;
}

const SourceFile* ProjectSources::FindLinkCommandFile(std::string_view target) const {
  for (const auto& file : files_) {
    if (file->settings().IsLcfUsed(target)) return file.get();
  }
  return nullptr;
}

void ProjectSources::ListFolders(const ProfileData& file, std::vector<std::string>* folders,
                                 std::vector<std::string>* sources,
                                 std::vector<std::string>* source_folders) {
  folders->clear();
  sources->clear();
  if (source_folders) source_folders->clear();
  std::set<std::string, NoCaseLess> seen_folders;
  std::set<std::string, NoCaseLess> seen_sources;
  // Depth first from the outermost folders, as files are placed into them.
  std::function<void(std::string_view, int)> visit = [&](std::string_view list, int depth) {
    std::vector<std::string> names;
    SplitList(list, &names);
    for (const std::string& folder : names) {
      // A folder that lists itself or an ancestor is visited once.
      if (depth > 64 || !seen_folders.insert(folder).second) continue;
      folders->push_back(folder);
      std::string count_text;
      file.GetValue(folder, kSourceCountKey, &count_text);
      long count = std::strtol(count_text.c_str(), nullptr, 10);
      // No more entries than the folder's sections have lines, whatever the count says.
      size_t lines = 0;
      for (const auto& section : file.sections()) {
        if (EqualsNoCase(section->name(), folder)) lines += section->values().size();
      }
      for (long i = 0; i < count && static_cast<size_t>(i) < lines; ++i) {
        std::string source;
        if (!file.GetValue(folder, SourceKey(static_cast<int>(i)), &source) || source.empty()) {
          continue;
        }
        if (seen_sources.insert(source).second) {
          sources->push_back(source);
          if (source_folders) source_folders->push_back(folder);
        }
      }
      std::string sub;
      if (file.GetValue(folder, kFolderKey, &sub)) visit(sub, depth + 1);
    }
  };
  std::string top;
  file.GetValue(kProjectSection, kFolderKey, &top);
  visit(top, 0);
}

// --- Adding files.

namespace {

// The folder a project without folders gets for its first file.
constexpr std::string_view kDefaultSourceFolder = "Source Files";

// The SOURCECOUNT of a folder: a decimal number (absent or empty: 0), no
// more than the folder's keys. False for anything else.
bool ReadSourceCount(PrivateProfile& profile, std::string_view file, std::string_view folder,
                     int* count) {
  std::string text;
  profile.Lookup(folder, kSourceCountKey, file, &text);
  if (text.empty()) {
    *count = 0;
    return true;
  }
  if (text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  long value = std::strtol(text.c_str(), nullptr, 10);
  // Every entry is a key of its own: a count beyond the keys is damaged,
  // and loading would not reach an entry written behind it.
  if (static_cast<size_t>(value) > profile.GetKeyNames(folder, file).size()) return false;
  *count = static_cast<int>(value);
  return true;
}

}  // namespace

bool ProjectSources::ListsSource(std::string_view folder, std::string_view entry) {
  const std::string& working_copy = project_.paths().working_copy;
  std::string text;
  if (!project_.store().Fs().ReadFile(working_copy, &text)) return false;
  ProfileData file;
  file.Parse(text);
  std::vector<std::string> folders, sources, source_folders;
  ListFolders(file, &folders, &sources, &source_folders);
  for (size_t i = 0; i < sources.size(); ++i) {
    if (EqualsNoCase(sources[i], entry)) return EqualsNoCase(source_folders[i], folder);
  }
  return false;
}

std::string ProjectSources::FolderForNewFile(std::string_view extension, bool* created) {
  const std::string& working_copy = project_.paths().working_copy;
  *created = false;
  std::string folder;
  if (FindFolderForExtension(project_.store().Profile(), working_copy, extension, &folder))
    return folder;
  std::vector<std::string> top;
  SplitList(project_.store().ReadKey(kProjectSection, kFolderKey), &top);
  if (!top.empty()) return top.front();
  *created = true;
  return std::string(kDefaultSourceFolder);
}

ProjectSources::AddFileResult ProjectSources::Add(std::string_view full_path, SourceFile** added,
                                                  std::string* detail) {
  const std::string& working_copy = project_.paths().working_copy;
  *added = nullptr;
  auto fail = [&](AddFileResult result, std::string reason) {
    if (detail) *detail = std::move(reason);
    return result;
  };
  if (working_copy.empty()) return fail(AddFileResult::kNotWritten, "the project is not open");
  std::string relative;
  MakeRelativePath(project_.paths().project_file, full_path, &relative);
  if (Find(full_path) != nullptr || FindByRelativePath(relative) != nullptr) {
    return fail(AddFileResult::kAlreadyInProject, "the project has this file");
  }
  // The name must read back as written, as an entry and in the name of the
  // file's settings sections.
  for (char c : relative) {
    if (static_cast<unsigned char>(c) < 0x20 || c == ']') {
      return fail(AddFileResult::kInvalidName,
                  "the name holds a control character or `]`, which the project file cannot keep");
    }
  }
  if (ProfileText::ReadValue(relative) != relative) {
    return fail(AddFileResult::kInvalidName,
                "the name begins or ends with a blank or quote, which the project file drops");
  }
  if (std::string reason = UnbuildableNameReason(relative); !reason.empty()) {
    return fail(AddFileResult::kInvalidName, std::move(reason));
  }

  PrivateProfile& profile = project_.store().Profile();
  // The working copy as it was, to go back to when the file would not be
  // found where it was put.
  std::string before;
  if (!project_.store().Flush() || !project_.store().Fs().ReadFile(working_copy, &before)) {
    return fail(AddFileResult::kNotWritten, "the working copy cannot be read");
  }
  bool new_folder = false;
  std::string folder = FolderForNewFile(SplitPath(full_path).extension, &new_folder);
  int count = 0;
  std::string entry_key;
  std::string entry;
  if (!ReadSourceCount(profile, working_copy, folder, &count) ||
      (profile.Lookup(folder, SourceKey(count), working_copy, &entry) && !entry.empty())) {
    return fail(AddFileResult::kFolderDamaged,
                "the SOURCECOUNT of the folder [" + folder + "] disagrees with its entries");
  }
  entry_key = SourceKey(count);
  bool written =
      profile.WriteString(folder, entry_key, relative, working_copy) &&
      profile.WriteString(folder, kSourceCountKey, StringPrintf("%d", count + 1), working_copy);
  if (written && new_folder) {
    std::string list(kDefaultSourceFolder);
    list += ';';
    written = profile.WriteString(kProjectSection, kFolderKey, list, working_copy);
  }
  if (!written) {
    // An entry of this call still pending goes before anything reaches the file.
    std::string reason = profile.LastError();
    profile.DeleteKey(folder, entry_key, working_copy);
    return fail(AddFileResult::kNotWritten, "the working copy cannot be written: " + reason);
  }
  if (!project_.store().Flush()) {
    return fail(AddFileResult::kNotWritten,
                "the working copy cannot be written: " + profile.LastError());
  }
  // Opening reads the folders from the whole file, which a folder written
  // oddly (blanks in keys, repeated sections, nesting beyond reach) can
  // hide the new entry from. Such a project gets no entry that would be lost.
  if (!ListsSource(folder, relative)) {
    // Best effort: the failure already reported is the one that counts.
    (void)WriteFileAtomic(project_.store().Fs(), working_copy, before, Durability::kScratch);
    profile.Forget(working_copy);
    return fail(AddFileResult::kFolderDamaged,
                "the project file, read anew, would not list it in the folder [" + folder + "]");
  }

  entries_.push_back(relative);
  if (new_folder) folders_.push_back(folder);
  auto file = std::make_unique<SourceFile>(std::string(full_path), project_, false);
  file->SetFolderName(folder);
  // A section left by an earlier file of that name holds its settings.
  for (const std::string& target : project_.targets().List())
    file->settings().Reload(target);
  *added = file.get();
  Register(std::move(file));
  return AddFileResult::kAdded;
}

bool ProjectSources::Remove(const SourceFile* file, std::string* detail) {
  const std::string& working_copy = project_.paths().working_copy;
  const std::string& project_directory = project_.paths().project_directory;
  auto owned = std::find_if(files_.begin(), files_.end(),
                            [file](const auto& own) { return own.get() == file; });
  if (owned == files_.end()) return *detail = "the project has no such file", false;
  if (working_copy.empty()) return *detail = "the project is not open", false;
  PrivateProfile& profile = project_.store().Profile();
  const std::string folder = file->FolderName();
  std::string before;
  int count = 0;
  if (!project_.store().Flush() || !project_.store().Fs().ReadFile(working_copy, &before) ||
      !ReadSourceCount(profile, working_copy, folder, &count)) {
    return *detail = "the working copy cannot be read", false;
  }
  std::vector<std::string> entries;
  int index = -1;
  for (int i = 0; i < count; ++i) {
    std::string entry, full;
    profile.Lookup(folder, SourceKey(i), working_copy, &entry);
    if (index < 0 && GetFullPathName(entry, project_directory, &full) &&
        PathEquals(full, file->FullPath())) {
      index = i;
      continue;
    }
    entries.push_back(std::move(entry));
  }
  if (index < 0) {
    return *detail = "the folder [" + folder + "] does not list " + file->RelativePath(), false;
  }
  bool written = true;
  for (int i = index; i < count - 1 && written; ++i)
    written =
        profile.WriteString(folder, SourceKey(i), entries[static_cast<size_t>(i)], working_copy);
  written =
      written && profile.DeleteKey(folder, SourceKey(count - 1), working_copy) &&
      profile.WriteString(folder, kSourceCountKey, StringPrintf("%d", count - 1), working_copy) &&
      project_.store().Flush();
  if (!written) {
    std::string reason = profile.LastError();
    // Best effort: the failure already reported is the one that counts.
    (void)WriteFileAtomic(project_.store().Fs(), working_copy, before, Durability::kScratch);
    profile.Forget(working_copy);
    return *detail = "the working copy cannot be written: " + reason, false;
  }
  std::string relative = file->RelativePath();
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [&](const std::string& entry) {
                                  std::string full;
                                  return GetFullPathName(entry, project_directory, &full) &&
                                         PathEquals(full, file->FullPath());
                                }),
                 entries_.end());
  by_path_.erase(file->FullPath());
  by_relative_path_.erase(relative);
  files_.erase(owned);
  return true;
}

}  // namespace zelvan

// A project's source tree: the folder sections and their SOURCE entries, the
// folders the IDE shows open, and a SourceFile for every file the folders
// list, in project order: the folders depth first from PROJECT/Folder, each
// folder's SOURCE entries in index order. That order is the order of every
// makefile list, so it is kept exactly as the file gives it. The folder sections are shown in
// project.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/ansi_text.h"

namespace zelvan {

class Project;
class ProfileData;
class SourceFile;

class ProjectSources {
 public:
  // `project` (kept) owns the tree and gives the working copy and the targets.
  explicit ProjectSources(Project& project);
  ~ProjectSources();
  ProjectSources(const ProjectSources&) = delete;
  ProjectSources& operator=(const ProjectSources&) = delete;

  // The folder sections of a project file, depth first from PROJECT/Folder
  // (a folder listed again, under itself or elsewhere, is taken once), and
  // their non-empty SOURCE entries in that order, each once; with
  // `source_folders` also the folder of each entry.
  static void ListFolders(const ProfileData& file, std::vector<std::string>* folders,
                          std::vector<std::string>* sources,
                          std::vector<std::string>* source_folders = nullptr);

  // Loads the folders, their entries and the source files with their
  // settings of every target from the whole working copy.
  void Load(const ProfileData& whole_file);
  // Destroys the source files (they refer to the project).
  void Clear();

  const std::vector<std::string>& Folders() const { return folders_; }
  const std::vector<std::string>& Entries() const { return entries_; }
  const std::vector<std::string>& OpenFolders() const { return open_folders_; }
  void SetOpenFolders(std::vector<std::string> folders) { open_folders_ = std::move(folders); }
  int32_t ExpandState() const { return expand_state_; }
  void SetExpandState(int32_t state) { expand_state_ = state; }

  // The source files, in project order.
  const std::vector<std::unique_ptr<SourceFile>>& Files() const { return files_; }
  // By full path, or by the path relative to the project directory (letter
  // case ignored); null when the project has no such file.
  SourceFile* Find(std::string_view full_path) const;
  SourceFile* FindByRelativePath(std::string_view relative_path) const;
  // The link command file that `target` links with: the first file, in
  // project order, that is a link command file in use for the target; null
  // when there is none.
  const SourceFile* FindLinkCommandFile(std::string_view target) const;

  enum class AddFileResult {
    kAdded,
    kAlreadyInProject,  // the project has a file of that path
    kInvalidName,       // the name cannot be stored (line breaks, `]`, blanks around it)
    kFolderDamaged,     // the folder's SOURCECOUNT disagrees with its entries
    kNotWritten,        // the working copy cannot be written
  };
  // Adds an existing file (a full path in canonical form) to the project:
  // the first folder, depth first, whose FILTER holds its extension takes it;
  // when none does, the first outermost folder; a project without folders
  // gets the folder "Source Files". The file becomes the folder's next
  // SOURCE entry, SOURCECOUNT is raised and the working copy flushed. On
  // failure nothing is changed and `detail` (when given) says why.
  AddFileResult Add(std::string_view full_path, SourceFile** added, std::string* detail = nullptr);

  // Takes `file` (one of Files) out of its folder: the SOURCE entries
  // after it move up one, SOURCECOUNT is lowered and the working copy
  // flushed; `file` is destroyed. Its settings sections stay, as they stay
  // for a file added again. False, with nothing changed and the reason in
  // `detail`, when the folder does not list it as opening read it or the
  // working copy cannot be written.
  bool Remove(const SourceFile* file, std::string* detail);

 private:
  void Register(std::unique_ptr<SourceFile> file);
  // The folder a new file of that extension goes into; `created` when the
  // project has no folder and the folder is to be made.
  std::string FolderForNewFile(std::string_view extension, bool* created);
  // True when the working copy, read whole as opening reads it, lists
  // `entry` in `folder`.
  bool ListsSource(std::string_view folder, std::string_view entry);

  Project& project_;
  std::vector<std::string> folders_;
  std::vector<std::string> entries_;
  std::vector<std::string> open_folders_;
  int32_t expand_state_ = 2;
  std::vector<std::unique_ptr<SourceFile>> files_;
  using SourceMap = std::unordered_map<std::string, SourceFile*, NoCaseHash, NoCaseEqual>;
  SourceMap by_path_;
  SourceMap by_relative_path_;
};

}  // namespace zelvan

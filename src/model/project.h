// One project of the workspace: its files, its build targets and the
// per-target settings that makefile generation and the IDE's dialogs read
// and change.
//
// While the workspace is open every read and write of project settings goes
// to the project's working copy, a private copy of the project file in the
// temporary directory; the project file itself changes only when the project
// is saved, by copying the working copy over it. Destroying the project
// deletes the working copy, which discards unsaved changes.
//
// Project file (profile syntax, CR LF line ends), the parts read here:
//
//   [PROJECT]
//   OUTPUT=Motor.abs            output file; identifies the project in the workspace
//   CPU=MX-520                  CPU and CPU family
//   CPUFAMILY=MX-520
//   TARGET=Debug;Release;       build targets in order (empty pieces skipped)
//   Folder=Sources;Headers;     outermost folders
//   LinkProject=MathLib.lib;    link list of an earlier layout (read when the
//                               workspace settings hold none; removed on save)
//   [Sources]                   a folder section
//   FILTER=c;asm                extensions that go into this folder
//   Folder=Startup;             sub-folders
//   SOURCECOUNT=2
//   SOURCE0=main.c              paths relative to the project directory
//   SOURCE1=..\common\util.c
//   [PROJECT!MACRO!Debug]       one section per target; keys below
//   ProjectCompile=-g -I..\include
//   DefaultCompile=-g
//   OUTPUT=.\Debug
//   DefaultLink=-o .\Debug\Motor.abs
//
// Per-target keys: a project value, when not empty, takes the place of the
// default value (ProjectCompile/DefaultCompile, ProjectLink/DefaultLink,
// ProjectConvert/DefaultConvert, OUTPUT/DefaultOUTPUT, WORK/DefaultWORK,
// TEMP/DefaultTEMP, DEBUG/DefaultDEBUG); BlankCompileOption and
// BlankLinkOption "1" mean "no options, not the default"; UPDATE and
// UPDATECONVERT "1" mark a target whose makefile must be regenerated.
// Per-target values of a folder stand in the section "<target>!<folder>",
// those of a source file in "<target>!<relative path>" (source_file.h).
//
// The project owns a SourceFile for every file its folders list, in
// project order: the folders depth first from PROJECT/Folder, each folder's
// SOURCE entries in index order. That order is the order of every makefile
// list, so it is kept exactly as the file gives it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/project_environment.h"
#include "platform/ansi_text.h"
#include "platform/platform.h"
#include "storage/target_value_cache.h"

namespace zelvan {

class CpuTable;
class LanguageTable;
class SourceFile;
class ProfileData;

// Per-target keys.
inline constexpr const char* kKeyProjectCompile = "ProjectCompile";
inline constexpr const char* kKeyDefaultCompile = "DefaultCompile";
inline constexpr const char* kKeyBlankCompileOption = "BlankCompileOption";
inline constexpr const char* kKeyProjectLink = "ProjectLink";
inline constexpr const char* kKeyDefaultLink = "DefaultLink";
inline constexpr const char* kKeyBlankLinkOption = "BlankLinkOption";
inline constexpr const char* kKeyProjectConvert = "ProjectConvert";
inline constexpr const char* kKeyDefaultConvert = "DefaultConvert";
inline constexpr const char* kKeyOutput = "OUTPUT";
inline constexpr const char* kKeyDefaultOutput = "DefaultOUTPUT";
inline constexpr const char* kKeyWork = "WORK";
inline constexpr const char* kKeyDefaultWork = "DefaultWORK";
inline constexpr const char* kKeyTemp = "TEMP";
inline constexpr const char* kKeyDefaultTemp = "DefaultTEMP";
inline constexpr const char* kKeyDebug = "DEBUG";
inline constexpr const char* kKeyDefaultDebug = "DefaultDEBUG";
inline constexpr const char* kKeyUpdate = "UPDATE";
inline constexpr const char* kKeyUpdateConvert = "UPDATECONVERT";

class Project {
 public:
  // `project_file` is the full path of the .kbp file, `relative_path` its
  // path relative to the workspace directory. Nothing is read or made until
  // Open. `environment` (kept, not copied) serves the project's source files;
  // without one the project uses the fixed language tables and nothing else.
  Project(const Platform& platform, std::string project_file, std::string relative_path,
          const ProjectEnvironment* environment = nullptr);
  // Deletes the working copy.
  ~Project();
  Project(const Project&) = delete;
  Project& operator=(const Project&) = delete;

  // Reads the project's identity from the project file and makes the
  // working copy. False, with a reason in `error` and no working copy left,
  // when the working copy cannot be made.
  bool Open(std::string* error);

  // While the workspace opens: reads the whole working copy once and loads
  // the settings that need many values of it (link list of the earlier
  // layout, folders and their sources, and the source files with their
  // settings of every target). ReleaseWholeFile frees it again.
  bool LoadWholeFile();
  void LoadSettings();
  void ReleaseWholeFile();
  const ProfileData* WholeFile() const { return whole_file_.get(); }

  // Deletes the working copy; the project is unusable afterwards.
  void DeleteWorkingCopy();

  const Platform& platform() const { return platform_; }
  const ProjectEnvironment& Environment() const { return *environment_; }

  // --- Identity and companion files.
  const std::string& ProjectFilePath() const { return project_file_; }
  const std::string& RelativePath() const { return relative_path_; }
  const std::string& WorkingCopyPath() const { return working_copy_; }
  const std::string& DependencyFilePath() const { return dependency_file_; }
  const std::string& MakefilePath() const { return makefile_; }
  const std::string& IdeProjectFilePath() const { return ide_project_file_; }
  const std::string& ArchiveSettingsPath() const { return archive_settings_; }
  const std::string& ArchivePath() const { return archive_path_; }
  const std::string& CompilerSettingsPath() const { return compiler_settings_; }
  const std::string& OptionsPath() const { return options_path_; }
  const std::string& FunctionDatabasePath() const { return function_database_; }
  // "tempmake.mak", "tempmake.falmak", "tempmakeabs.mak", "tempmakepre.mak" in the project
  // directory.
  const std::string& TempMakefilePath(int index) const { return temp_makefiles_[index]; }
  const std::string& ProjectDirectory() const { return project_directory_; }
  const std::string& Drive() const { return drive_; }
  const std::string& Directory() const { return directory_; }
  const std::string& BaseName() const { return base_name_; }
  const std::string& Extension() const { return extension_; }
  const std::string& OutputName() const { return output_name_; }
  const std::string& Cpu() const { return cpu_; }
  const std::string& CpuFamily() const { return cpu_family_; }
  bool IsLibrary() const { return is_library_; }

  // --- Targets.
  const std::vector<std::string>& Targets() const { return targets_; }
  // Re-reads the target list from the working copy.
  void ReloadTargets();
  // Letter case of the name is ignored.
  bool HasTarget(std::string_view target) const;
  // The target's name as the project spells it; `target` itself when the
  // project does not have it.
  std::string_view TargetSpelling(std::string_view target) const;
  const std::string& CurrentTarget() const { return current_target_; }
  // The target a build takes when none is named: the current one when the
  // project has it, else the first; empty when the project has no target.
  std::string_view CurrentOrFirstTarget() const;
  // Makes `target` current and loads its settings into the cache.
  void SetCurrentTarget(std::string_view target);
  // Re-reads the cached settings of `target` from the working copy.
  void ReloadTargetCache(std::string_view target);

  // --- Per-target settings.

  // A per-target value: the cached one, else the working copy's. Always true.
  bool GetTargetValue(std::string_view target, std::string_view key, std::string* value);
  // Writes a per-target value, flushes and caches it; false for an unknown
  // target, or when the working copy cannot take it.
  bool SetTargetValue(std::string_view target, std::string_view key, std::string_view value);
  // A counted per-target list ("<base>Count", then "<base>-0" onward, as
  // the build events and the project custom build keep theirs): the
  // non-empty entries in index order, read through the cache.
  bool GetTargetList(std::string_view target, std::string_view base,
                     std::vector<std::string>* items);
  // Writes a counted list whole (count and entries, removing the entries
  // of a longer list before it) and flushes. False for an unknown target,
  // or when the working copy cannot take it.
  bool SetTargetList(std::string_view target, std::string_view base,
                     const std::vector<std::string>& items);
  // The effective options: the project value; empty when its blank mark is
  // "1"; else the default. False for an unknown target.
  bool GetCompileOptions(std::string_view target, std::string* options);
  bool GetLinkOptions(std::string_view target, std::string* options);
  // Project convert options when set, else the default ones.
  bool GetConvertOptions(std::string_view target, std::string* options);
  // Directory settings: the project value, else the default value (cached reads).
  bool GetOutputDir(std::string_view target, std::string* dir);
  bool GetWorkDir(std::string_view target, std::string* dir);
  bool GetTempDir(std::string_view target, std::string* dir);
  bool GetDebugFile(std::string_view target, std::string* path);
  // The output directory read straight from the working copy; false for an unknown target.
  bool GetOutputDirDirect(std::string_view target, std::string* dir);
  bool GetProjectConvert(std::string_view target, std::string* options);

  bool SetDefaultCompile(std::string_view target, std::string_view options);  // no target check
  bool SetDefaultLink(std::string_view target, std::string_view options);
  bool SetDefaultConvert(std::string_view target, std::string_view options);
  bool SetProjectConvert(std::string_view target, std::string_view options);
  // Writes the options, marks the target for update, and marks for update
  // every source file without options of its own.
  bool SetProjectCompile(std::string_view target, std::string_view options);
  // Writes the options; an "-o" path among them sets OUTPUT to its directory. No target check.
  bool SetProjectLink(std::string_view target, std::string_view options);
  // Writes OUTPUT (DefaultOUTPUT) and moves the "-o" file of ProjectLink
  // (DefaultLink) into the new directory, marking the target for update.
  bool SetOutputDir(std::string_view target, std::string_view dir);
  bool SetDefaultOutputDir(std::string_view target, std::string_view dir);
  bool SetWorkDir(std::string_view target, std::string_view dir);
  bool SetTempDir(std::string_view target, std::string_view dir);
  bool SetDefaultTempDir(std::string_view target, std::string_view dir);
  // DEBUG (DefaultDEBUG) := "<output directory>\<output name>".
  bool SetDebugFile(std::string_view target);
  bool SetDefaultDebugFile(std::string_view target);
  bool SetDebugFilePath(std::string_view target, std::string_view path);
  // UPDATE := "1" (left for the next flush).
  bool MarkUpdate(std::string_view target);
  // UPDATE or UPDATECONVERT of the target is set, or a source file is marked for update.
  bool NeedsUpdate(std::string_view target);

  // Cache refreshes from the working copy.
  void RefreshTempDir(std::string_view target);
  void RefreshDefaultTempDir(std::string_view target);
  void RefreshDefaultCompile(std::string_view target);
  void RefreshProjectCompile(std::string_view target);
  void RemoveTargetCache(std::string_view target);

  // --- System directories of the project's CPU, as make variable lines.

  // "SysLibraryPath=" followed by " -L <dir>" for each library directory of
  // the CPU, and two line feeds; empty when the CPU has none. A directory
  // holding a blank is given in its short form, and left out when the system
  // has none. False for a CPU that `cpus` does not know (the text is empty).
  bool GetSystemLibraryOption(const CpuTable& cpus, std::string* text);
  // The same with " -I " and "SysIncludePath" for the include directories.
  bool GetSystemIncludeOption(const CpuTable& cpus, std::string* text);

  // --- Targets added and removed (the workspace checks names and reports).

  // Copies `existing` to `new_target` with its per-file and per-folder
  // sections, appends it to TARGET, makes it current and gives it its own
  // ".\<name>" directories. The caller has checked both names.
  bool CopyTarget(std::string_view existing, std::string_view new_target);
  // Removes `target` from TARGET with its own, per-file and per-folder sections.
  bool DeleteTarget(std::string_view target);

  // --- Folders and sources (as listed in the folder sections).

  // The folder sections of a project file, depth first from PROJECT/Folder
  // (a folder listed again, under itself or elsewhere, is taken once), and
  // their non-empty SOURCE entries in that order, each once; with
  // `source_folders` also the folder of each entry.
  static void ListFolders(const ProfileData& file, std::vector<std::string>* folders,
                          std::vector<std::string>* sources,
                          std::vector<std::string>* source_folders = nullptr);
  const std::vector<std::string>& FolderSections() const { return folders_; }
  const std::vector<std::string>& SourceEntries() const { return sources_; }
  const std::vector<std::string>& OpenFolders() const { return open_folders_; }
  void SetOpenFolders(std::vector<std::string> folders) { open_folders_ = std::move(folders); }
  int32_t ExpandState() const { return expand_state_; }
  void SetExpandState(int32_t state) { expand_state_ = state; }

  // --- Source files, in project order.
  const std::vector<std::unique_ptr<SourceFile>>& SourceFiles() const { return source_files_; }
  // By full path, or by the path relative to the project directory (letter
  // case ignored); null when the project has no such file.
  SourceFile* FindSourceFile(std::string_view full_path) const;
  SourceFile* FindSourceFileByRelativePath(std::string_view relative_path) const;
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
  AddFileResult AddSourceFile(std::string_view full_path, SourceFile** added,
                              std::string* detail = nullptr);

  // Takes `file` (one of SourceFiles) out of its folder: the SOURCE entries
  // after it move up one, SOURCECOUNT is lowered and the working copy
  // flushed; `file` is destroyed. Its settings sections stay, as they stay
  // for a file added again. False, with nothing changed and the reason in
  // `detail`, when the folder does not list it as opening read it or the
  // working copy cannot be written.
  bool RemoveSourceFile(const SourceFile* file, std::string* detail);

  // The project's macro table, filled by the makefile generator.
  std::vector<std::string>& MacroNames() { return macro_names_; }
  std::vector<std::string>& MacroValues() { return macro_values_; }

  // --- Link list: output names of the projects this one links.
  const std::vector<std::string>& LinkList() const { return links_; }
  // Each name followed by `;`.
  void GetLinkList(std::string* text) const;
  // False when the name is present already (letter case ignored).
  bool AddLink(std::string_view name);
  // False when absent.
  bool RemoveLink(std::string_view name);
  // Renames an entry in place, keeping the order of the list; false when absent.
  bool ReplaceLink(std::string_view name, std::string_view new_name);
  // Deletes PROJECT/LinkProject from the working copy when it is there.
  void RemoveLinkProjectKey();

  // --- Saving.

  // True when the working copy differs from the project file as it was
  // copied or last saved.
  bool IsModified();
  // Saves the source files' data (the hooks' SaveSourceFileData), then
  // copies a modified working copy over the project file. The copy is made
  // only when the project file is still what was copied at open or last
  // saved (size and contents): a file that another program changed
  // meanwhile is kept, and the working copy goes beside it as
  // "<project file>.unsaved-XXXXXX". False when anything was not written
  // (the project file is then as it was); SaveFailures says what.
  bool Save();
  // The files the last Save did not write, each with the reason when it is
  // not plain ("C:\wpp.kbp: changed by another program ...").
  const std::vector<std::string>& SaveFailures() const { return save_failures_; }
  bool ProjectFileIsReadOnly();

  bool MakefileOutOfDate() const { return makefile_out_of_date_; }
  void SetMakefileOutOfDate(bool out_of_date) { makefile_out_of_date_ = out_of_date; }

 private:
  PrivateProfile& Profile() const { return *platform_.profile; }
  FileSystem& Fs() const { return *platform_.fs; }
  // PROJECT keys of the project file itself, read before the working copy exists.
  std::string ReadProjectFileKey(std::string_view key) const;
  std::string ReadKey(std::string_view section, std::string_view key) const;
  std::string ReadTargetKey(std::string_view target, std::string_view key) const;
  bool WriteTargetKey(std::string_view target, std::string_view key, std::string_view value,
                      bool flush);
  bool Flush();
  // The count of a counted per-target list, held to the section's keys.
  int64_t TargetListCount(std::string_view target, std::string_view count_key);
  bool EffectiveOptions(std::string_view target, const char* project_key, const char* blank_key,
                        const char* default_key, bool direct, std::string* options);
  std::string ProjectOrDefault(std::string_view target, const char* project_key,
                               const char* default_key);
  bool MoveOutputFile(std::string_view target, std::string_view dir, const char* dir_key,
                      const char* link_key);
  bool RecordWorkingCopyState();
  void LoadSourceFiles(const std::vector<std::string>& folders);
  void RegisterSourceFile(std::unique_ptr<SourceFile> file);
  // The folder a new file of that extension goes into; `created` when the
  // project has no folder and the folder is to be made.
  std::string FolderForNewFile(std::string_view extension, bool* created);
  // True when the working copy, read whole as opening reads it, lists
  // `entry` in `folder`.
  bool ListsSource(std::string_view folder, std::string_view entry);
  std::string SystemDirectoryOption(const std::vector<std::string>& dirs, const char* variable,
                                    const char* option);
  std::string DebugFileFor(std::string_view target, bool default_dir);

  Platform platform_;
  const ProjectEnvironment* environment_;
  // The environment of a project made without one.
  std::unique_ptr<LanguageTable> own_languages_;
  ProjectEnvironment own_environment_;
  // Fingerprint of the working copy as made or last saved (see IsModified).
  uint64_t recorded_size_ = 0;
  size_t recorded_hash_ = 0;
  std::vector<std::string> save_failures_;
  bool is_library_ = false;
  std::string drive_, directory_, base_name_, extension_;
  std::string project_file_;
  std::string relative_path_;
  std::string dependency_file_;
  std::string makefile_;
  std::string ide_project_file_;
  std::string working_copy_;
  std::string output_name_;
  std::string cpu_, cpu_family_;
  std::vector<std::string> links_;
  std::vector<std::string> folders_;
  std::vector<std::string> sources_;
  std::vector<std::string> open_folders_;
  int32_t expand_state_ = 2;
  std::vector<std::string> targets_;
  std::string current_target_;
  TargetValueCache target_cache_;
  std::string archive_settings_, archive_path_;
  std::string compiler_settings_;
  std::string options_path_;
  std::string temp_makefiles_[4];
  bool makefile_out_of_date_ = true;
  std::string project_directory_;
  std::string function_database_;
  std::unique_ptr<ProfileData> whole_file_;
  std::vector<std::unique_ptr<SourceFile>> source_files_;
  using SourceMap = std::unordered_map<std::string, SourceFile*, NoCaseHash, NoCaseEqual>;
  SourceMap sources_by_path_;
  SourceMap sources_by_relative_path_;
  std::vector<std::string> macro_names_, macro_values_;
};

}  // namespace zelvan

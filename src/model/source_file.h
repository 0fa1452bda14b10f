// One file of a project: its path parts, the tool kind its extension gives
// it, the names the build rules need, and its settings per build target.
//
// A file is classified once, when its record is made; a file whose
// extension changes is a new record. Its settings live in the project's
// working copy, one section per target named "<target>!<relative path>":
//
//   [Debug!src\main.c]
//   NoBuild=1                   "1" (the integer 1): not built for the target
//   CustomBuild=0               non-zero: built by its custom build step
//   COMPILE=-g -O0              own compile options (empty: the project's)
//   BlankCompileOption=1        with COMPILE empty: no options at all
//   TEMP=.\Debug\obj            own intermediate directory (empty: the project's)
//   UPDATE=1                    options changed since the last build
//   CBuildComment=Generating tables
//   CBuildCommandCount=1        counted lists: "<base>-<index>" from 0;
//   CBuildCommand-0=gen $(InputPath)      empty entries are skipped
//   CBuildOutputCount=1
//   CBuildOutput-0=$(IntDir)\tables.c
//   CBuildDependencyCount=1
//   CBuildDependency-0=tables.def
//   [Debug!boot.lcf]
//   NoLCF=1                     a link command file not used for the link
//
// Reads go to the file's settings cache first, then to the working copy.
// Every change writes the working copy, flushes it, and then caches the value
// written; a change that cannot be written is reported by a false result and
// leaves the cache as it was.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "model/builder_file_info.h"
#include "model/dependency_record.h"
#include "model/function_database_entry.h"
#include "storage/target_value_cache.h"

namespace zelvan {

class Project;

// Per-file keys (BlankCompileOption, TEMP and UPDATE are spelled as the
// per-target keys of project.h).
inline constexpr const char* kKeyNoBuild = "NoBuild";
inline constexpr const char* kKeyCustomBuild = "CustomBuild";
inline constexpr const char* kKeyCompile = "COMPILE";
inline constexpr const char* kKeyNoLcf = "NoLCF";
inline constexpr const char* kKeyCBuildComment = "CBuildComment";
inline constexpr const char* kKeyCBuildCommand = "CBuildCommand";
inline constexpr const char* kKeyCBuildOutput = "CBuildOutput";
inline constexpr const char* kKeyCBuildDependency = "CBuildDependency";

// What the include-dependency analysis keeps on a file between its steps.
struct DependencyScanState {
  int32_t status = 0;
  std::array<std::string, 3> texts;
};

class SourceFile {
 public:
  // Flags.
  static constexpr uint32_t kHeader = 1;            // an include file (INCS of the makefile)
  static constexpr uint32_t kLinkCommandFile = 2;   // LINK kind with extension ".lcf"
  static constexpr uint32_t kConsumedOutput = 4;    // set per target by the makefile generator
  static constexpr uint32_t kConfigFile = 8;        // extension ".cfg"
  static constexpr uint32_t kListedExtension = 16;  // extension in the host's list

  // `full_path` is a full path in Windows form. Classifies the file with the
  // project's language tables and tests whether it exists. With
  // `skip_dependency_state` the dependency-scan state is left as made.
  SourceFile(std::string full_path, Project& project, bool skip_dependency_state);
  ~SourceFile();
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;

  // --- What the file is.
  const std::string& FullPath() const { return full_path_; }
  const std::string& Drive() const { return drive_; }
  const std::string& Directory() const { return directory_; }  // ends in `\`
  const std::string& Title() const { return title_; }
  const std::string& Extension() const { return extension_; }  // with its dot
  const std::string& FileName() const { return file_name_; }
  // Relative to the project directory where it can be (see MakeRelativePath);
  // names the file's settings sections and most makefile lines.
  const std::string& RelativePath() const { return relative_path_; }
  // "CC", "AS", "MAC", "APP", "CCL", "MPP" or "LINK"; empty for an unknown extension.
  const std::string& ToolKindName() const { return tool_kind_name_; }
  // Index of ToolKindName in that order, or -1.
  int32_t ToolKind() const { return tool_kind_; }
  // Title + ".rel" for the compiled kinds 0 to 5; empty otherwise.
  const std::string& ObjectName() const { return object_name_; }
  uint32_t Flags() const { return flags_; }
  bool HasFlag(uint32_t flag) const { return (flags_ & flag) != 0; }
  void SetConsumedOutput(bool consumed);
  // 6 for an extension of the service settings' source list, else 8.
  int32_t ImageBase() const { return image_base_; }
  const BuilderFileInfo& FileInfo() const { return file_info_; }
  Project& OwnerProject() const { return *project_; }
  // The folder section that lists the file.
  const std::string& FolderName() const { return folder_; }
  void SetFolderName(std::string folder) { folder_ = std::move(folder); }

  // --- Data that other layers keep on the file.

  // One dependency record per target (FindDependencyRecord by target name).
  std::vector<DependencyRecord>& TargetEntries() { return target_entries_; }
  const std::vector<DependencyRecord>& TargetEntries() const { return target_entries_; }
  // Filled per target by the makefile generator.
  std::vector<std::string>& Outputs() { return outputs_; }
  std::vector<std::string>& Inputs() { return inputs_; }
  std::vector<std::string>& MacroNames() { return macro_names_; }
  std::vector<std::string>& MacroValues() { return macro_values_; }
  std::vector<std::string>& ImsMoveSteps() { return ims_move_steps_; }
  const TargetValueCache& SettingsCache() const { return settings_cache_; }
  DependencyScanState& ScanState() { return scan_state_; }
  // The functions the file defines, in the order they were found
  // (analysis/function_database.h), and the file's modification time when
  // they were found, as "%04d%02d%02d%02d%02d%02d"; empty when there is none.
  std::vector<FunctionDatabaseEntry>& Functions() { return functions_; }
  const std::vector<FunctionDatabaseEntry>& Functions() const { return functions_; }
  std::string& FunctionTime() { return function_time_; }
  const std::string& FunctionTime() const { return function_time_; }

  // --- Settings of a target.

  // "<target>!<relative path>"; false for a target the project does not have.
  bool GetFileSection(std::string_view target, std::string* section) const;
  // The cached value, else the working copy's (empty when absent). Always true.
  bool ReadFileSetting(std::string_view target, std::string_view key, std::string* value) const;
  // Re-tests whether the file exists.
  void RefreshExists();
  // False exactly when NoBuild reads as the integer 1.
  bool IsBuilt(std::string_view target) const;
  // CustomBuild as an integer (text that is no number counts 0).
  int32_t GetCustomBuild(std::string_view target) const;
  // COMPILE; when empty, nothing if BlankCompileOption is "1", else the
  // project's compile options of the target (false when the project lacks it).
  bool GetCompileOptions(std::string_view target, std::string* options) const;
  // The file's own TEMP.
  bool GetTempDir(std::string_view target, std::string* dir) const;
  // The file's own TEMP, else the project's TEMP directory of the target.
  bool GetEffectiveTempDir(std::string_view target, std::string* dir) const;
  // UPDATE reads as the integer 1.
  bool IsUpdate(std::string_view target) const;
  // A link command file is used for the link unless NoLCF reads as non-zero;
  // false for every other file.
  bool IsLcfUsed(std::string_view target) const;

  // Custom build settings as stored; lists are emptied first and receive the
  // non-empty entries in index order.
  bool GetCBuildComment(std::string_view target, std::string* text) const;
  bool GetCBuildCommands(std::string_view target, std::vector<std::string>* commands) const;
  bool GetCBuildOutputs(std::string_view target, std::vector<std::string>* outputs) const;
  // With `existing_only` entries that name no existing file (relative ones
  // taken against the project directory) are left out; with `quote` an
  // entry holding a blank is put in double quotes.
  bool GetCBuildDependencies(std::string_view target, std::vector<std::string>* dependencies,
                             bool quote, bool existing_only) const;
  // The outputs on one line, each substituted with the file's macro table and
  // then the project's; with `create_dirs` the directory of an output left
  // without `$` is created. Quote mode 1: `"output" ` for each; other
  // modes: joined by single blanks.
  bool GetCBuildOutputText(std::string_view target, std::string* text, int quote_mode,
                           bool create_dirs = true) const;
  // The relative path and each existing dependency, quoted where they hold a
  // blank, each followed by a blank.
  bool GetCBuildDependencyText(std::string_view target, std::string* text) const;

  // For the kinds MAC, APP and MPP: the project directory + Title + ".eas"
  // (CPU family MR44A) or ".asm". False and empty for other kinds.
  bool GetPreprocessedName(std::string_view target, std::string* path) const;
  // Appends RelativePath to `list` for a built LINK-kind file that is no
  // link command file; false (nothing appended) otherwise.
  bool AddToLibraryList(std::string_view target, std::vector<std::string>* list) const;
  // The file's image in the IDE's tree for the target (the project's first
  // target when it lacks this one).
  bool GetImageIndex(std::string_view target, int32_t* index) const;
  // "Custom Build", "Lang Tool", or empty for a file no tool takes.
  bool GetToolLabel(std::string_view target, std::string* label) const;

  // --- Changes. Each is false for a target the project does not have, and
  // when the working copy cannot take the value (nothing changed then).

  // NoBuild := value as given.
  bool SetNoBuild(std::string_view target, std::string_view value);
  // CustomBuild := value as given.
  bool SetCustomBuild(std::string_view target, std::string_view value);
  // COMPILE := options, and the file is marked for update.
  bool SetCompileOptions(std::string_view target, std::string_view options);
  bool SetTempDir(std::string_view target, std::string_view dir);
  // UPDATE := "1", or the key is deleted (the cache then holds "0").
  bool SetUpdate(std::string_view target, bool on);
  // Marks the file for update when its own COMPILE (in the working copy) is
  // empty: the project's options, which it follows, changed. Without `flush`
  // the write waits for the caller's flush of the working copy.
  bool MarkUpdateIfNoOwnOptions(std::string_view target, bool flush = true);
  // NoLCF := "0" or "1"; only for a link command file.
  bool SetLcfUsed(std::string_view target, bool used);

  // Re-reads UPDATE, NoBuild, CustomBuild, TEMP, COMPILE and
  // BlankCompileOption from the working copy into the cache.
  void ReloadSettings(std::string_view target);
  // Caches the same six keys from the project's whole-file copy of the
  // file's section (empty when the copy or the section lacks them).
  void LoadSettingsFromSection(std::string_view target);
  // Forgets the cached settings and the dependency record of a target that
  // is removed.
  void ForgetTarget(std::string_view target);

 private:
  std::string SectionOf(std::string_view target) const;
  // Integer value of a setting (see ReadsAsInteger).
  int64_t ReadInteger(std::string_view target, std::string_view key) const;
  struct Setting {
    const char* key;
    std::string_view value;
  };
  // Writes the values to the target's section and, unless `flush` is off,
  // flushes the working copy; then caches them. Without `flush` the values
  // are cached at once and the caller flushes (and reloads when that fails).
  bool WriteSettings(std::string_view target, std::initializer_list<Setting> settings, bool flush);
  bool ReadList(std::string_view target, const char* base, std::vector<std::string>* items) const;

  Project* project_;
  std::string full_path_;
  std::string drive_, directory_, title_, extension_;
  std::string file_name_;
  std::string relative_path_;
  std::string tool_kind_name_;
  int32_t tool_kind_ = -1;
  std::string object_name_;
  uint32_t flags_ = 0;
  int32_t image_base_ = 8;
  BuilderFileInfo file_info_;
  std::string folder_;
  std::vector<DependencyRecord> target_entries_;
  std::vector<std::string> outputs_, inputs_;
  std::vector<std::string> macro_names_, macro_values_;
  std::vector<std::string> ims_move_steps_;
  TargetValueCache settings_cache_;
  DependencyScanState scan_state_;
  std::vector<FunctionDatabaseEntry> functions_;
  std::string function_time_;
};

// The integer at the start of a setting's text (blanks, an optional sign,
// decimal digits), held to the 32-bit range; text that is no number reads 0.
int64_t ReadsAsInteger(std::string_view text);

}  // namespace zelvan

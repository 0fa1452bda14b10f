// One file of a project: its path parts, the tool kind its extension gives
// it, the names the build rules need, its settings per build target
// (source_file_settings.h), and what the other layers keep on it: the
// dependency records, the function list, the makefile generator's lists.
//
// A file is classified once, when its record is made; a file whose
// extension changes is a new record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/builder_file_info.h"
#include "model/dependency_record.h"
#include "model/function_database_entry.h"
#include "model/source_file_settings.h"

namespace zelvan {

class Project;

// What the makefile generator keeps on a file while it writes one target.
struct SourceMakeLists {
  // The file's own macro table, for its custom build step.
  std::vector<std::string> macro_names;
  std::vector<std::string> macro_values;
  std::vector<std::string> ims_move_steps;
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

  // The dependency records and the scan state (dependency_record.h).
  SourceDependencies& dependencies() { return dependencies_; }
  const SourceDependencies& dependencies() const { return dependencies_; }
  // Filled per target by the makefile generator.
  SourceMakeLists& make_lists() { return make_lists_; }
  // The functions the file defines (function_database_entry.h).
  FunctionListState& function_list() { return function_list_; }
  const FunctionListState& function_list() const { return function_list_; }

  // --- Settings of a target.
  SourceFileSettings& settings() { return settings_; }
  const SourceFileSettings& settings() const { return settings_; }

  // Re-tests whether the file exists.
  void RefreshExists();

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

  // Forgets the cached settings and the dependency record of a target that
  // is removed.
  void ForgetTarget(std::string_view target);

 private:
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
  SourceMakeLists make_lists_;
  SourceFileSettings settings_;
  SourceDependencies dependencies_;
  FunctionListState function_list_;
};

}  // namespace zelvan

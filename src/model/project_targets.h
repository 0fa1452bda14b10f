// A project's build targets and their settings: the target list of
// PROJECT/TARGET, the current target, and the per-target values of the
// "PROJECT!MACRO!<target>" sections, read through a cache.
//
// Per-target keys: a project value, when not empty, takes the place of the
// default value (ProjectCompile/DefaultCompile, ProjectLink/DefaultLink,
// ProjectConvert/DefaultConvert, OUTPUT/DefaultOUTPUT, WORK/DefaultWORK,
// TEMP/DefaultTEMP, DEBUG/DefaultDEBUG); BlankCompileOption and
// BlankLinkOption "1" mean "no options, not the default"; UPDATE and
// UPDATECONVERT "1" mark a target whose makefile must be regenerated.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "storage/target_value_cache.h"

namespace zelvan {

class Project;

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

// The directory settings of a target (OUTPUT, WORK, TEMP) and its debug file (DEBUG).
enum class TargetDir { kOutput, kWork, kTemp, kDebug };
// The option texts of a target.
enum class TargetOptions { kCompile, kLink, kConvert };

class ProjectTargets {
 public:
  // `project` (kept) gives the working copy and the source files.
  explicit ProjectTargets(Project& project);
  ProjectTargets(const ProjectTargets&) = delete;
  ProjectTargets& operator=(const ProjectTargets&) = delete;

  const std::vector<std::string>& List() const { return targets_; }
  // Takes the list from a TARGET value ("Debug;Release;").
  void SetList(std::string_view text);
  // Re-reads the target list from the working copy.
  void Reload();
  // Letter case of the name is ignored.
  bool Has(std::string_view target) const;
  // The target's name as the project spells it; `target` itself when the
  // project does not have it.
  std::string_view Spelling(std::string_view target) const;
  const std::string& Current() const { return current_; }
  // The target a build takes when none is named: the current one when the
  // project has it, else the first; empty when the project has no target.
  std::string_view CurrentOrFirst() const;
  // Makes `target` current and loads its settings into the cache.
  void SetCurrent(std::string_view target);
  // Re-reads the cached settings of `target` from the working copy.
  void ReloadCache(std::string_view target);
  // Re-reads the cached TEMP of `target` from the working copy.
  void RefreshTempDir(std::string_view target);

  // A per-target value: the cached one, else the working copy's. Always true.
  bool GetValue(std::string_view target, std::string_view key, std::string* value);
  // Writes a per-target value, flushes and caches it; false for an unknown
  // target, or when the working copy cannot take it.
  bool SetValue(std::string_view target, std::string_view key, std::string_view value);
  // A counted per-target list ("<base>Count", then "<base>-0" onward, as
  // the build events and the project custom build keep theirs): the
  // non-empty entries in index order, read through the cache.
  bool GetCountedList(std::string_view target, std::string_view base,
                      std::vector<std::string>* items);
  // Writes a counted list whole (count and entries, removing the entries
  // of a longer list before it) and flushes. False for an unknown target,
  // or when the working copy cannot take it.
  bool SetCountedList(std::string_view target, std::string_view base,
                      const std::vector<std::string>& items);

  // The effective options. Compile and link: the project value; empty when
  // its blank mark is "1"; else the default (link options are read straight
  // from the working copy). Convert: the project value when set, else the
  // default. False for an unknown target.
  bool GetOptions(std::string_view target, TargetOptions which, std::string* options);
  // The project convert options read straight from the working copy; false
  // for an unknown target.
  bool GetProjectConvert(std::string_view target, std::string* options);
  // Writes the default options. The compile options are written for any target name.
  bool SetDefaultOptions(std::string_view target, TargetOptions which, std::string_view options);
  // Writes the project options. Compile: also marks the target for update,
  // and every source file without options of its own. Link (written for any
  // target name): an "-o" path among them sets OUTPUT to its directory.
  bool SetProjectOptions(std::string_view target, TargetOptions which, std::string_view options);

  // The project value, else the default value (cached reads). Always true.
  bool GetDir(std::string_view target, TargetDir which, std::string* dir);
  // The output directory read straight from the working copy; false for an unknown target.
  bool GetOutputDirDirect(std::string_view target, std::string* dir);
  // Writes the project value (the default value). The output directory
  // also moves the "-o" file of ProjectLink (DefaultLink) into the new
  // directory, marking the target for update.
  bool SetDir(std::string_view target, TargetDir which, std::string_view dir);
  bool SetDefaultDir(std::string_view target, TargetDir which, std::string_view dir);
  // DEBUG (DefaultDEBUG) := "<output directory>\<output name>".
  bool SetDebugFile(std::string_view target);
  bool SetDefaultDebugFile(std::string_view target);

  // UPDATE := "1" (left for the next flush).
  bool MarkUpdate(std::string_view target);
  // UPDATE or UPDATECONVERT of the target is set, or a source file is marked for update.
  bool NeedsUpdate(std::string_view target);

  // Copies `existing` to `new_target` with its per-file and per-folder
  // sections, appends it to TARGET, makes it current and gives it its own
  // ".\<name>" directories. The caller has checked both names.
  bool Copy(std::string_view existing, std::string_view new_target);
  // Removes `target` from TARGET with its own, per-file and per-folder sections.
  bool Delete(std::string_view target);

 private:
  std::string ReadKey(std::string_view target, std::string_view key) const;
  bool WriteKey(std::string_view target, std::string_view key, std::string_view value, bool flush);
  void Refresh(std::string_view target, const char* key);
  // The count of a counted per-target list, held to the section's keys.
  int64_t CountedListCount(std::string_view target, std::string_view count_key);
  bool EffectiveOptions(std::string_view target, const char* project_key, const char* blank_key,
                        const char* default_key, bool direct, std::string* options);
  std::string ProjectOrDefault(std::string_view target, const char* project_key,
                               const char* default_key);
  bool SetProjectCompile(std::string_view target, std::string_view options);
  bool SetProjectLink(std::string_view target, std::string_view options);
  bool MoveOutputFile(std::string_view target, std::string_view dir, const char* dir_key,
                      const char* link_key);
  std::string DebugFileFor(std::string_view target, bool default_dir);

  Project& project_;
  std::vector<std::string> targets_;
  std::string current_;
  TargetValueCache cache_;
};

}  // namespace zelvan

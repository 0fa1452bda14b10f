// The settings of one project file per build target. They live in the
// project's working copy, one section per target named
// "<target>!<relative path>":
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

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "storage/target_value_cache.h"

namespace zelvan {

class Project;
class SourceFile;

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

// The counted lists of a custom build step.
enum class CBuildList { kCommands, kOutputs, kDependencies };

class SourceFileSettings {
 public:
  // The settings of `file`, which must outlive them.
  explicit SourceFileSettings(SourceFile& file) : file_(file) {}
  SourceFileSettings(const SourceFileSettings&) = delete;
  SourceFileSettings& operator=(const SourceFileSettings&) = delete;

  // "<target>!<relative path>"; false for a target the project does not have.
  bool GetFileSection(std::string_view target, std::string* section) const;
  // The cached value, else the working copy's (empty when absent). Always true.
  bool Read(std::string_view target, std::string_view key, std::string* value) const;
  const TargetValueCache& Cache() const { return cache_; }

  // False exactly when NoBuild reads as the integer 1.
  bool IsBuilt(std::string_view target) const;
  // CustomBuild as an integer (text that is no number counts 0).
  int32_t GetCustomBuild(std::string_view target) const;
  // The file's own COMPILE, empty when it follows the project.
  bool GetOwnCompileOptions(std::string_view target, std::string* options) const;
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

  // Custom build settings as stored; a list is emptied first and receives
  // the non-empty entries in index order.
  bool GetCBuildComment(std::string_view target, std::string* text) const;
  bool GetCBuildList(std::string_view target, CBuildList list,
                     std::vector<std::string>* items) const;
  // With `existing_only` entries that name no existing file (relative ones
  // taken against the project directory) are left out; with `quote` an
  // entry holding a blank is put in double quotes.
  bool GetCBuildDependencies(std::string_view target, std::vector<std::string>* dependencies,
                             bool quote, bool existing_only) const;
  // The relative path and each existing dependency, quoted where they hold a
  // blank, each followed by a blank.
  bool GetCBuildDependencyText(std::string_view target, std::string* text) const;

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
  void Reload(std::string_view target);
  // Caches the same six keys from the project's whole-file copy of the
  // file's section (empty when the copy or the section lacks them).
  void LoadFromSection(std::string_view target);
  // Forgets the cached settings of a target that is removed.
  void Forget(std::string_view target) { cache_.RemoveSection(target); }

 private:
  Project& project() const;
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

  SourceFile& file_;
  TargetValueCache cache_;
};

// The integer at the start of a setting's text (blanks, an optional sign,
// decimal digits), held to the 32-bit range; text that is no number reads 0.
int64_t ReadsAsInteger(std::string_view text);

}  // namespace zelvan

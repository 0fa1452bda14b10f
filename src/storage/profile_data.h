// A whole profile file in memory: read in one pass, looked up many times,
// and (for the function database) written back whole.
//
// Reading rules of this class (they differ from the private-profile
// functions on purpose, and the files the system keeps rely on them):
//   - a line ends at LF; a CR just before it belongs to the line end;
//   - a line whose first character is `[` and whose last is `]` opens a
//     section named by the text between them, unchanged (not trimmed);
//   - empty lines and lines whose first character is `#` are skipped;
//   - key=value: the key is everything before the first `=`, the value
//     everything after it; neither is trimmed; the key is stored upper-cased;
//   - in one section the first line of a key wins;
//   - lines before the first header and lines without `=` are skipped;
//   - a repeated header opens another section of the same name.
// Save writes every section in order, its keys upper-cased in the order
// they were first stored, each line ended by CR LF, no blank lines:
//
//   [src\main.c]
//   NAME=main
//   KIND=C
//   [src\util.c]
//   NAME=util
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ansi_text.h"

namespace zelvan {

class FileSystem;

// One section of a ProfileData. Keys are upper-cased on the way in, so
// lookups ignore case.
class ProfileSection {
 public:
  explicit ProfileSection(std::string name);
  virtual ~ProfileSection();

  const std::string& name() const { return name_; }
  bool GetValue(std::string_view key, std::string* value) const;
  // Stores the value, replacing an earlier one.
  void SetValue(std::string_view key, std::string_view value);
  // Stores the value unless the key is held already (the first line wins).
  bool AddValue(std::string_view key, std::string_view value);
  // Room for `count` more values, so that adding them allocates no more lists.
  void Reserve(size_t count);
  // Upper-cased keys and their values, in the order they were first stored.
  const std::vector<std::pair<std::string, std::string>>& values() const { return values_; }

 private:
  std::string name_;
  std::vector<std::pair<std::string, std::string>> values_;
  std::unordered_map<std::string, size_t> index_;  // upper-cased key -> position in values_
};

class ProfileData {
 public:
  ProfileData();
  ~ProfileData();
  ProfileData(const ProfileData&) = delete;
  ProfileData& operator=(const ProfileData&) = delete;

  // Clears the file's read-only attribute and adds its sections to the ones
  // held (callers Clear first). A file that cannot be read changes nothing
  // and gives false. The path is remembered after a successful load.
  bool Load(FileSystem& fs, std::string_view path);
  // Clears the file's read-only attribute and replaces the file with
  // Render(), atomically: on failure the old file stays whole, and the
  // reason goes to `error` (when given).
  bool Save(FileSystem& fs, std::string_view path, std::string* error = nullptr) const;

  // Adds the sections of `text`, read by the rules above.
  void Parse(std::string_view text);
  // The file Save writes.
  std::string Render() const;

  void Clear();
  // The first section of that name (case ignored), or null.
  ProfileSection* FindSection(std::string_view name) const;
  // The value from the first section of that name that holds the key.
  bool GetValue(std::string_view section, std::string_view key, std::string* value) const;
  // Stores into the first section of that name, or a new one at the end.
  // False, with nothing stored, when the text would not read back as
  // written (see WriteRefusal).
  bool SetValue(std::string_view section, std::string_view key, std::string_view value);

  // Why SetValue refuses these arguments, or empty: a CR or LF anywhere, a
  // key holding `=` or starting with `#` or `[`.
  static std::string WriteRefusal(std::string_view section, std::string_view key,
                                  std::string_view value);

  const std::string& path() const { return path_; }
  const std::vector<std::unique_ptr<ProfileSection>>& sections() const { return sections_; }

 private:
  ProfileSection* AddSection(std::string_view name);

  std::string path_;
  std::vector<std::unique_ptr<ProfileSection>> sections_;
  // Positions in sections_ of every section of a name, in order.
  std::unordered_map<std::string, std::vector<size_t>, NoCaseHash, NoCaseEqual> by_name_;
};

}  // namespace zelvan

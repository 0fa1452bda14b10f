#include "projects/builder_files.h"

#include <vector>

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/profile_text.h"
#include "platform/win_path.h"
#include "projects/file_transaction.h"
#include "projects/project_name.h"
#include "storage/profile_functions.h"
#include "storage/project_files.h"
#include "toolchain/option_text.h"

namespace zelvan {

namespace {

constexpr std::string_view kIdeProfileSection = "PROFILE.KBP";
// Keys of a target section that hold a path named after the project.
constexpr const char* kTargetPathKeys[] = {"DefaultDEBUG", "DEBUG", "TARGET", "TARGET_NAME",
                                           "LibraryOutput"};
constexpr const char* kTargetLinkKeys[] = {"DefaultLink", "ProjectLink"};

void RenamePathValue(ProfileText& file, std::string_view section, std::string_view key,
                     std::string_view new_base_name) {
  std::string value;
  if (!file.Lookup(section, key, &value) || value.empty()) return;
  file.Set(section, key, ReplaceBaseName(value, new_base_name));
}

}  // namespace

bool BuilderFile::Exists(FileReader& fs) const {
  return FileExists(fs, path_);
}

bool BuilderFile::CopyTo(std::string_view new_base_name, FileReader& fs, FileTransaction& files,
                         std::string* error) {
  std::string text;
  FileStatus status;
  if (!fs.Stat(path_, &status) || status.is_directory || !fs.ReadFile(path_, &text)) {
    *error = path_ + " cannot be read";
    return false;
  }
  std::string new_path = ReplaceBaseName(path_, new_base_name);
  std::string why;
  if (!files.WriteNewFile(new_path, Rewrite(text, SplitPath(path_).title, new_base_name), &why,
                          status.read_only, path_)) {
    *error = new_path + ": " + why;
    return false;
  }
  path_ = std::move(new_path);
  return true;
}

std::string BuilderFile::Rewrite(std::string_view text, std::string_view /*old_base_name*/,
                                 std::string_view /*new_base_name*/) const {
  return std::string(text);
}

std::string ProjectFile::Rewrite(std::string_view text, std::string_view old_base_name,
                                 std::string_view new_base_name) const {
  ProfileText file(text);
  std::string old_key = std::string(old_base_name) + ".KBP";
  std::string value;
  if (!file.Lookup(kIdeProfileSection, old_key, &value)) return std::string(text);
  file.DeleteKey(kIdeProfileSection, old_key);
  file.Set(kIdeProfileSection, std::string(new_base_name) + ".KBP", value);
  return file.Render();
}

std::string BuilderProfile::Rewrite(std::string_view text, std::string_view /*old_base_name*/,
                                    std::string_view new_base_name) const {
  ProfileText file(text);
  RenamePathValue(file, kProjectSection, kNameKey, new_base_name);
  RenamePathValue(file, kProjectSection, kOutputKey, new_base_name);
  std::string target_list;
  file.Lookup(kProjectSection, kTargetKey, &target_list);
  std::vector<std::string> targets;
  SplitList(target_list, &targets);
  for (const std::string& target : targets) {
    std::string section = TargetSectionName(target);
    for (const char* key : kTargetPathKeys)
      RenamePathValue(file, section, key, new_base_name);
    for (const char* key : kTargetLinkKeys) {
      std::string options;
      if (file.Lookup(section, key, &options) && FindOutputOption(options) >= 0) {
        file.Set(section, key, RenameOutputOption(options, new_base_name));
      }
    }
  }
  return file.Render();
}

std::string RenameOutputOption(std::string_view options, std::string_view new_base_name) {
  std::ptrdiff_t at = FindOutputOption(options);
  if (at < 0) return std::string(options);
  size_t begin = static_cast<size_t>(at) + 2;
  std::string path;
  size_t consumed = ReadFirstArgument(options.substr(begin), &path);
  if (path.empty()) return std::string(options);
  std::string_view argument = options.substr(begin, consumed);
  size_t blanks = argument.size() - TrimLeftBlanks(argument).size();
  std::string renamed = ReplaceBaseName(path, new_base_name);
  bool quoted =
      argument.find('"') != std::string_view::npos || renamed.find(' ') != std::string::npos;
  if (quoted) renamed = "\"" + renamed + "\"";
  return std::string(options.substr(0, begin + blanks)) + renamed +
         std::string(options.substr(begin + consumed));
}

}  // namespace zelvan

#include "model/source_file.h"

#include <algorithm>
#include <limits>

#include "model/path_functions.h"
#include "model/project.h"
#include "model/project_environment.h"
#include "model/service_settings.h"
#include "model/substitute_macros.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/profile_text.h"
#include "platform/win_path.h"
#include "storage/profile_data.h"
#include "toolchain/language_table.h"

namespace zelvan {

namespace {

// The six keys a file caches, in the order a whole-file load takes them.
constexpr const char* kCachedKeys[] = {kKeyNoBuild, kKeyCustomBuild,        kKeyTemp,
                                       kKeyCompile, kKeyBlankCompileOption, kKeyUpdate};

// A count of a numbered list above this is checked against the keys the
// section really has, so a damaged count costs no more than the section.
constexpr int64_t kTrustedListCount = 64;

}  // namespace

int64_t ReadsAsInteger(std::string_view text) {
  text = TrimLeftBlanks(text);
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  constexpr int64_t kLimit = std::numeric_limits<int32_t>::max();
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min<int64_t>(value * 10 + (c - '0'), kLimit + 1);
  }
  if (negative) return -value;
  return std::min(value, kLimit);
}

SourceFile::SourceFile(std::string full_path, Project& project, bool skip_dependency_state)
    : project_(&project), full_path_(std::move(full_path)) {
  PathParts parts = SplitPath(full_path_);
  drive_ = std::move(parts.drive);
  directory_ = std::move(parts.directory);
  title_ = std::move(parts.title);
  extension_ = std::move(parts.extension);
  file_name_ = title_ + extension_;
  MakeRelativePath(project.paths().project_file, full_path_, &relative_path_);

  const ProjectEnvironment& environment = project.Environment();
  const LanguageTable& languages = *environment.languages;
  std::string_view bare = extension_;
  if (!bare.empty()) bare.remove_prefix(1);
  if (!bare.empty()) languages.GetToolKeyByExt(bare, &tool_kind_name_);
  tool_kind_ = ToolIndex(tool_kind_name_);
  if (tool_kind_ < 0) tool_kind_name_.clear();
  object_name_ = ObjectNameFor(title_, tool_kind_);

  if (!bare.empty() && languages.IsHeaderExt(bare)) flags_ |= kHeader;
  if (tool_kind_ == kToolIndexLink && EqualsNoCase(extension_, ".lcf")) flags_ |= kLinkCommandFile;
  if (EqualsNoCase(extension_, ".cfg")) flags_ |= kConfigFile;
  for (const std::string& listed : environment.listed_extensions) {
    if (!bare.empty() && EqualsNoCase(listed, bare)) flags_ |= kListedExtension;
  }
  if (environment.settings != nullptr && environment.settings->IsSpecialExtension(bare)) {
    image_base_ = 6;
  }

  file_info_.Set(BuilderFileInfo::kLibrary, EqualsNoCase(extension_, ".lib"));
  file_info_.Set(BuilderFileInfo::kObject, EqualsNoCase(extension_, ".rel"));
  RefreshExists();
  // The analysis layer starts every file's scan state from the default; it
  // sets it itself when it first takes the file.
  (void)skip_dependency_state;
}

SourceFile::~SourceFile() = default;

void SourceFile::SetConsumedOutput(bool consumed) {
  flags_ = consumed ? (flags_ | kConsumedOutput) : (flags_ & ~kConsumedOutput);
}

// --- Settings.

std::string SourceFile::SectionOf(std::string_view target) const {
  // A new section takes the target's name as the project spells it.
  std::string section(project_->targets().Spelling(target));
  section += '!';
  section += relative_path_;
  return section;
}

bool SourceFile::GetFileSection(std::string_view target, std::string* section) const {
  if (!project_->targets().Has(target)) return false;
  *section = SectionOf(target);
  return true;
}

bool SourceFile::ReadFileSetting(std::string_view target, std::string_view key,
                                 std::string* value) const {
  if (settings_cache_.GetValue(target, key, value)) return true;
  *value = project_->platform().profile->GetString(SectionOf(target), key, "",
                                                   project_->paths().working_copy);
  return true;
}

int64_t SourceFile::ReadInteger(std::string_view target, std::string_view key) const {
  std::string value;
  ReadFileSetting(target, key, &value);
  return ReadsAsInteger(value);
}

bool SourceFile::WriteSettings(std::string_view target, std::initializer_list<Setting> settings,
                               bool flush) {
  if (!project_->targets().Has(target)) return false;
  const std::string& file = project_->paths().working_copy;
  if (file.empty()) return false;
  std::string section = SectionOf(target);
  // Checked first, so that a refusal cannot leave half of the values pending.
  for (const Setting& setting : settings) {
    if (!ProfileText::WriteRefusal(section, setting.key, setting.value).empty()) return false;
  }
  PrivateProfile& profile = *project_->platform().profile;
  for (const Setting& setting : settings) {
    if (!profile.WriteString(section, setting.key, setting.value, file)) return false;
  }
  if (flush && !profile.Flush(file)) return false;
  for (const Setting& setting : settings) {
    settings_cache_.SetValue(target, setting.key, setting.value);
  }
  return true;
}

void SourceFile::RefreshExists() {
  file_info_.Set(BuilderFileInfo::kExists, FileExists(*project_->platform().fs, full_path_));
}

bool SourceFile::IsBuilt(std::string_view target) const {
  return ReadInteger(target, kKeyNoBuild) != 1;
}

int32_t SourceFile::GetCustomBuild(std::string_view target) const {
  return static_cast<int32_t>(ReadInteger(target, kKeyCustomBuild));
}

bool SourceFile::GetCompileOptions(std::string_view target, std::string* options) const {
  ReadFileSetting(target, kKeyCompile, options);
  if (!options->empty()) return true;
  std::string blank;
  ReadFileSetting(target, kKeyBlankCompileOption, &blank);
  if (blank == "1") return true;
  return project_->targets().GetOptions(target, TargetOptions::kCompile, options);
}

bool SourceFile::GetTempDir(std::string_view target, std::string* dir) const {
  return ReadFileSetting(target, kKeyTemp, dir);
}

bool SourceFile::GetEffectiveTempDir(std::string_view target, std::string* dir) const {
  ReadFileSetting(target, kKeyTemp, dir);
  if (dir->empty()) project_->targets().GetDir(target, TargetDir::kTemp, dir);
  return true;
}

bool SourceFile::IsUpdate(std::string_view target) const {
  return ReadInteger(target, kKeyUpdate) == 1;
}

bool SourceFile::IsLcfUsed(std::string_view target) const {
  if (!HasFlag(kLinkCommandFile)) return false;
  return ReadInteger(target, kKeyNoLcf) == 0;
}

// --- Custom build settings.

bool SourceFile::ReadList(std::string_view target, const char* base,
                          std::vector<std::string>* items) const {
  items->clear();
  int64_t count = ReadInteger(target, std::string(base) + "Count");
  if (count > kTrustedListCount) {
    // Every entry is a key of its own: a count beyond the keys is damaged.
    int64_t keys = static_cast<int64_t>(
        project_->platform()
            .profile->GetKeyNames(SectionOf(target), project_->paths().working_copy)
            .size());
    count = std::min(count, keys);
  }
  for (int64_t i = 0; i < count; ++i) {
    std::string value;
    ReadFileSetting(target, StringPrintf("%s-%d", base, static_cast<int>(i)), &value);
    if (!value.empty()) items->push_back(std::move(value));
  }
  return true;
}

bool SourceFile::GetCBuildComment(std::string_view target, std::string* text) const {
  return ReadFileSetting(target, kKeyCBuildComment, text);
}

bool SourceFile::GetCBuildCommands(std::string_view target,
                                   std::vector<std::string>* commands) const {
  return ReadList(target, kKeyCBuildCommand, commands);
}

bool SourceFile::GetCBuildOutputs(std::string_view target,
                                  std::vector<std::string>* outputs) const {
  return ReadList(target, kKeyCBuildOutput, outputs);
}

bool SourceFile::GetCBuildDependencies(std::string_view target,
                                       std::vector<std::string>* dependencies, bool quote,
                                       bool existing_only) const {
  std::vector<std::string> stored;
  ReadList(target, kKeyCBuildDependency, &stored);
  dependencies->clear();
  FileSystem& fs = *project_->platform().fs;
  for (std::string& entry : stored) {
    if (existing_only) {
      std::string full;
      if (!GetFullPathName(entry, project_->paths().project_directory, &full) ||
          !FileExists(fs, full)) {
        continue;
      }
    }
    dependencies->push_back(quote ? QuoteIfBlank(entry) : std::move(entry));
  }
  return true;
}

bool SourceFile::GetCBuildOutputText(std::string_view target, std::string* text, int quote_mode,
                                     bool create_dirs) const {
  text->clear();
  std::vector<std::string> outputs;
  GetCBuildOutputs(target, &outputs);
  FileSystem& fs = *project_->platform().fs;
  for (const std::string& output : outputs) {
    std::string path = SubstituteMacros(output, macro_names_, macro_values_);
    path = SubstituteMacros(path, project_->make_state().macro_names,
                            project_->make_state().macro_values);
    if (create_dirs && path.find('$') == std::string::npos) {
      std::string full;
      if (GetFullPathName(path, project_->paths().project_directory, &full)) {
        CreateDirectories(fs, GetFileDirectory(full));  // a failure shows when the step runs
      }
    }
    if (quote_mode == 1) {
      *text += '"' + path + "\" ";
    } else {
      if (!text->empty()) *text += ' ';
      *text += path;
    }
  }
  return true;
}

bool SourceFile::GetCBuildDependencyText(std::string_view target, std::string* text) const {
  std::vector<std::string> dependencies;
  GetCBuildDependencies(target, &dependencies, /*quote=*/true, /*existing_only=*/true);
  *text = QuoteIfBlank(relative_path_) + " ";
  for (const std::string& dependency : dependencies) {
    *text += dependency;
    *text += ' ';
  }
  return true;
}

// --- Other queries.

bool SourceFile::GetPreprocessedName(std::string_view /*target*/, std::string* path) const {
  path->clear();
  if (tool_kind_ != 2 && tool_kind_ != 3 && tool_kind_ != 5) return false;  // MAC, APP, MPP
  const char* extension = EqualsNoCase(project_->CpuFamily(), "MR44A") ? ".eas" : ".asm";
  *path = project_->paths().drive + project_->paths().directory + title_ + extension;
  return true;
}

bool SourceFile::AddToLibraryList(std::string_view target, std::vector<std::string>* list) const {
  if (tool_kind_ != kToolIndexLink || HasFlag(kLinkCommandFile) || !IsBuilt(target)) return false;
  list->push_back(relative_path_);
  return true;
}

bool SourceFile::GetImageIndex(std::string_view target, int32_t* index) const {
  std::string chosen(target);
  if (!project_->targets().Has(chosen) && !project_->targets().List().empty()) {
    chosen = project_->targets().List().front();
  }
  if (HasFlag(kLinkCommandFile)) {
    *index = IsLcfUsed(chosen) ? 22 : 16;
    return true;
  }
  *index = image_base_;
  if (!IsBuilt(chosen)) {
    *index = 16;
  } else if (GetCustomBuild(chosen) != 0 && (tool_kind_ == kToolIndexLink || tool_kind_ == -1)) {
    *index = 20;
  }
  return true;
}

bool SourceFile::GetToolLabel(std::string_view target, std::string* label) const {
  if (GetCustomBuild(target) != 0) {
    *label = "Custom Build";
  } else if (tool_kind_ == -1 && !HasFlag(kConfigFile)) {
    label->clear();
  } else {
    *label = "Lang Tool";
  }
  return true;
}

// --- Changes.

bool SourceFile::SetNoBuild(std::string_view target, std::string_view value) {
  return WriteSettings(target, {{kKeyNoBuild, value}}, true);
}

bool SourceFile::SetCustomBuild(std::string_view target, std::string_view value) {
  return WriteSettings(target, {{kKeyCustomBuild, value}}, true);
}

bool SourceFile::SetCompileOptions(std::string_view target, std::string_view options) {
  return WriteSettings(target, {{kKeyCompile, options}, {kKeyUpdate, "1"}}, true);
}

bool SourceFile::SetTempDir(std::string_view target, std::string_view dir) {
  return WriteSettings(target, {{kKeyTemp, dir}}, true);
}

bool SourceFile::SetUpdate(std::string_view target, bool on) {
  if (on) return WriteSettings(target, {{kKeyUpdate, "1"}}, true);
  if (!project_->targets().Has(target) || project_->paths().working_copy.empty()) return false;
  PrivateProfile& profile = *project_->platform().profile;
  const std::string& file = project_->paths().working_copy;
  if (!profile.DeleteKey(SectionOf(target), kKeyUpdate, file) || !profile.Flush(file)) {
    return false;
  }
  settings_cache_.SetValue(target, kKeyUpdate, "0");
  return true;
}

bool SourceFile::MarkUpdateIfNoOwnOptions(std::string_view target, bool flush) {
  std::string own = project_->platform().profile->GetString(SectionOf(target), kKeyCompile, "",
                                                            project_->paths().working_copy);
  if (!own.empty()) return true;
  return WriteSettings(target, {{kKeyUpdate, "1"}}, flush);
}

bool SourceFile::SetLcfUsed(std::string_view target, bool used) {
  if (!HasFlag(kLinkCommandFile)) return false;
  return WriteSettings(target, {{kKeyNoLcf, used ? "0" : "1"}}, true);
}

void SourceFile::ReloadSettings(std::string_view target) {
  PrivateProfile& profile = *project_->platform().profile;
  std::string section = SectionOf(target);
  for (const char* key :
       {kKeyUpdate, kKeyNoBuild, kKeyCustomBuild, kKeyTemp, kKeyCompile, kKeyBlankCompileOption}) {
    settings_cache_.SetValue(target, key,
                             profile.GetString(section, key, "", project_->paths().working_copy));
  }
}

void SourceFile::LoadSettingsFromSection(std::string_view target) {
  const ProfileData* whole = project_->store().WholeFile();
  const ProfileSection* section = whole ? whole->FindSection(SectionOf(target)) : nullptr;
  for (const char* key : kCachedKeys) {
    std::string value;
    // Values read as the profile functions read them: blanks and one pair
    // of quotes around them do not count.
    if (section != nullptr && section->GetValue(key, &value)) {
      value = std::string(ProfileText::ReadValue(value));
    }
    settings_cache_.SetValue(target, key, value);
  }
}

void SourceFile::ForgetTarget(std::string_view target) {
  settings_cache_.RemoveSection(target);
  std::erase_if(target_entries_, [&](const DependencyRecord& record) {
    return EqualsNoCase(record.target(), target);
  });
}

}  // namespace zelvan

#include "model/source_file_settings.h"

#include <algorithm>
#include <limits>

#include "model/path_functions.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/substitute_macros.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/profile_text.h"
#include "platform/win_path.h"
#include "storage/profile_data.h"

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

Project& SourceFileSettings::project() const {
  return file_.OwnerProject();
}

std::string SourceFileSettings::SectionOf(std::string_view target) const {
  // A new section takes the target's name as the project spells it.
  std::string section(project().targets().Spelling(target));
  section += '!';
  section += file_.RelativePath();
  return section;
}

bool SourceFileSettings::GetFileSection(std::string_view target, std::string* section) const {
  if (!project().targets().Has(target)) return false;
  *section = SectionOf(target);
  return true;
}

bool SourceFileSettings::Read(std::string_view target, std::string_view key,
                              std::string* value) const {
  if (cache_.GetValue(target, key, value)) return true;
  *value = project().platform().profile->GetString(SectionOf(target), key, "",
                                                   project().paths().working_copy);
  return true;
}

int64_t SourceFileSettings::ReadInteger(std::string_view target, std::string_view key) const {
  std::string value;
  Read(target, key, &value);
  return ReadsAsInteger(value);
}

bool SourceFileSettings::WriteSettings(std::string_view target,
                                       std::initializer_list<Setting> settings, bool flush) {
  if (!project().targets().Has(target)) return false;
  const std::string& file = project().paths().working_copy;
  if (file.empty()) return false;
  std::string section = SectionOf(target);
  // Checked first, so that a refusal cannot leave half of the values pending.
  for (const Setting& setting : settings) {
    if (!ProfileText::WriteRefusal(section, setting.key, setting.value).empty()) return false;
  }
  PrivateProfile& profile = *project().platform().profile;
  for (const Setting& setting : settings) {
    if (!profile.WriteString(section, setting.key, setting.value, file)) return false;
  }
  if (flush && !profile.Flush(file)) return false;
  for (const Setting& setting : settings) {
    cache_.SetValue(target, setting.key, setting.value);
  }
  return true;
}

bool SourceFileSettings::IsBuilt(std::string_view target) const {
  return ReadInteger(target, kKeyNoBuild) != 1;
}

int32_t SourceFileSettings::GetCustomBuild(std::string_view target) const {
  return static_cast<int32_t>(ReadInteger(target, kKeyCustomBuild));
}

bool SourceFileSettings::GetCompileOptions(std::string_view target, std::string* options) const {
  Read(target, kKeyCompile, options);
  if (!options->empty()) return true;
  std::string blank;
  Read(target, kKeyBlankCompileOption, &blank);
  if (blank == "1") return true;
  return project().targets().GetOptions(target, TargetOptions::kCompile, options);
}

bool SourceFileSettings::GetOwnCompileOptions(std::string_view target, std::string* options) const {
  return Read(target, kKeyCompile, options);
}

bool SourceFileSettings::GetTempDir(std::string_view target, std::string* dir) const {
  return Read(target, kKeyTemp, dir);
}

bool SourceFileSettings::GetEffectiveTempDir(std::string_view target, std::string* dir) const {
  Read(target, kKeyTemp, dir);
  if (dir->empty()) project().targets().GetDir(target, TargetDir::kTemp, dir);
  return true;
}

bool SourceFileSettings::IsUpdate(std::string_view target) const {
  return ReadInteger(target, kKeyUpdate) == 1;
}

bool SourceFileSettings::IsLcfUsed(std::string_view target) const {
  if (!file_.HasFlag(SourceFile::kLinkCommandFile)) return false;
  return ReadInteger(target, kKeyNoLcf) == 0;
}

// --- Custom build settings.

bool SourceFileSettings::GetCBuildList(std::string_view target, CBuildList list,
                                       std::vector<std::string>* items) const {
  const char* base = list == CBuildList::kCommands  ? kKeyCBuildCommand
                     : list == CBuildList::kOutputs ? kKeyCBuildOutput
                                                    : kKeyCBuildDependency;
  items->clear();
  int64_t count = ReadInteger(target, std::string(base) + "Count");
  if (count > kTrustedListCount) {
    // Every entry is a key of its own: a count beyond the keys is damaged.
    int64_t keys = static_cast<int64_t>(
        project()
            .platform()
            .profile->GetKeyNames(SectionOf(target), project().paths().working_copy)
            .size());
    count = std::min(count, keys);
  }
  for (int64_t i = 0; i < count; ++i) {
    std::string value;
    Read(target, StringPrintf("%s-%d", base, static_cast<int>(i)), &value);
    if (!value.empty()) items->push_back(std::move(value));
  }
  return true;
}

bool SourceFileSettings::GetCBuildComment(std::string_view target, std::string* text) const {
  return Read(target, kKeyCBuildComment, text);
}

bool SourceFileSettings::GetCBuildDependencies(std::string_view target,
                                               std::vector<std::string>* dependencies, bool quote,
                                               bool existing_only) const {
  std::vector<std::string> stored;
  GetCBuildList(target, CBuildList::kDependencies, &stored);
  dependencies->clear();
  FileSystem& fs = *project().platform().fs;
  for (std::string& entry : stored) {
    if (existing_only) {
      std::string full;
      if (!GetFullPathName(entry, project().paths().project_directory, &full) ||
          !FileExists(fs, full)) {
        continue;
      }
    }
    dependencies->push_back(quote ? QuoteIfBlank(entry) : std::move(entry));
  }
  return true;
}

bool SourceFileSettings::GetCBuildDependencyText(std::string_view target, std::string* text) const {
  std::vector<std::string> dependencies;
  GetCBuildDependencies(target, &dependencies, /*quote=*/true, /*existing_only=*/true);
  *text = QuoteIfBlank(file_.RelativePath()) + " ";
  for (const std::string& dependency : dependencies) {
    *text += dependency;
    *text += ' ';
  }
  return true;
}

// --- Changes.

bool SourceFileSettings::SetNoBuild(std::string_view target, std::string_view value) {
  return WriteSettings(target, {{kKeyNoBuild, value}}, true);
}

bool SourceFileSettings::SetCustomBuild(std::string_view target, std::string_view value) {
  return WriteSettings(target, {{kKeyCustomBuild, value}}, true);
}

bool SourceFileSettings::SetCompileOptions(std::string_view target, std::string_view options) {
  return WriteSettings(target, {{kKeyCompile, options}, {kKeyUpdate, "1"}}, true);
}

bool SourceFileSettings::SetTempDir(std::string_view target, std::string_view dir) {
  return WriteSettings(target, {{kKeyTemp, dir}}, true);
}

bool SourceFileSettings::SetUpdate(std::string_view target, bool on) {
  if (on) return WriteSettings(target, {{kKeyUpdate, "1"}}, true);
  if (!project().targets().Has(target) || project().paths().working_copy.empty()) return false;
  PrivateProfile& profile = *project().platform().profile;
  const std::string& file = project().paths().working_copy;
  if (!profile.DeleteKey(SectionOf(target), kKeyUpdate, file) || !profile.Flush(file)) {
    return false;
  }
  cache_.SetValue(target, kKeyUpdate, "0");
  return true;
}

bool SourceFileSettings::MarkUpdateIfNoOwnOptions(std::string_view target, bool flush) {
  std::string own = project().platform().profile->GetString(SectionOf(target), kKeyCompile, "",
                                                            project().paths().working_copy);
  if (!own.empty()) return true;
  return WriteSettings(target, {{kKeyUpdate, "1"}}, flush);
}

bool SourceFileSettings::SetLcfUsed(std::string_view target, bool used) {
  if (!file_.HasFlag(SourceFile::kLinkCommandFile)) return false;
  return WriteSettings(target, {{kKeyNoLcf, used ? "0" : "1"}}, true);
}

void SourceFileSettings::Reload(std::string_view target) {
  PrivateProfile& profile = *project().platform().profile;
  std::string section = SectionOf(target);
  for (const char* key :
       {kKeyUpdate, kKeyNoBuild, kKeyCustomBuild, kKeyTemp, kKeyCompile, kKeyBlankCompileOption}) {
    cache_.SetValue(target, key,
                    profile.GetString(section, key, "", project().paths().working_copy));
  }
}

void SourceFileSettings::LoadFromSection(std::string_view target) {
  const ProfileData* whole = project().store().WholeFile();
  const ProfileSection* section = whole ? whole->FindSection(SectionOf(target)) : nullptr;
  for (const char* key : kCachedKeys) {
    std::string value;
    // Values read as the profile functions read them: blanks and one pair
    // of quotes around them do not count.
    if (section != nullptr && section->GetValue(key, &value)) {
      value = std::string(ProfileText::ReadValue(value));
    }
    cache_.SetValue(target, key, value);
  }
}

}  // namespace zelvan

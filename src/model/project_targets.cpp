#include "model/project_targets.h"

#include <algorithm>

#include "model/path_functions.h"
#include "model/project.h"
#include "model/source_file.h"
#include "platform/ansi_text.h"
#include "platform/private_profile.h"
#include "platform/profile_text.h"
#include "platform/win_path.h"
#include "storage/profile_functions.h"
#include "storage/project_files.h"
#include "storage/target_section_key.h"
#include "toolchain/option_text.h"

namespace zelvan {

namespace {

// A list count above this is checked against the keys the section really
// has, so a damaged count costs no more than the section.
constexpr int64_t kTrustedListCount = 64;

// Per-target sections of a folder or a source file.
std::string ItemSection(std::string_view target, std::string_view item) {
  return std::string(target) + "!" + std::string(item);
}

// Where the output option and its argument stand in an option text.
struct OutputOptionSpan {
  size_t begin = 0;        // the "-o"
  size_t end = 0;          // just after the argument
  bool separated = false;  // a blank stands between "-o" and its argument
  std::string argument;    // quotes removed
};

bool FindOutputSpan(std::string_view options, OutputOptionSpan* span) {
  std::ptrdiff_t at = FindOutputOption(options);
  if (at < 0) return false;
  span->begin = static_cast<size_t>(at);
  std::string_view rest = options.substr(span->begin + 2);
  span->separated = !rest.empty() && IsBlank(rest.front());
  span->end = span->begin + 2 + ReadFirstArgument(rest, &span->argument);
  return true;
}

const char* ProjectKey(TargetDir which) {
  switch (which) {
    case TargetDir::kOutput:
      return kKeyOutput;
    case TargetDir::kWork:
      return kKeyWork;
    case TargetDir::kTemp:
      return kKeyTemp;
    case TargetDir::kDebug:
      break;
  }
  return kKeyDebug;
}

const char* DefaultKey(TargetDir which) {
  switch (which) {
    case TargetDir::kOutput:
      return kKeyDefaultOutput;
    case TargetDir::kWork:
      return kKeyDefaultWork;
    case TargetDir::kTemp:
      return kKeyDefaultTemp;
    case TargetDir::kDebug:
      break;
  }
  return kKeyDefaultDebug;
}

}  // namespace

ProjectTargets::ProjectTargets(Project& project) : project_(project) {}

// --- The list and the current target.

void ProjectTargets::SetList(std::string_view text) {
  SplitList(text, &targets_);
}

void ProjectTargets::Reload() {
  targets_.clear();
  SplitList(project_.store().ReadKey(kProjectSection, kTargetKey), &targets_);
}

bool ProjectTargets::Has(std::string_view target) const {
  for (const std::string& name : targets_) {
    if (EqualsNoCase(name, target)) return true;
  }
  return false;
}

std::string_view ProjectTargets::CurrentOrFirst() const {
  if (Has(current_)) return current_;
  return targets_.empty() ? std::string_view() : std::string_view(targets_.front());
}

std::string_view ProjectTargets::Spelling(std::string_view target) const {
  for (const std::string& name : targets_) {
    if (EqualsNoCase(name, target)) return name;
  }
  return target;
}

void ProjectTargets::SetCurrent(std::string_view target) {
  current_ = std::string(target);
  if (!current_.empty()) ReloadCache(current_);
}

void ProjectTargets::ReloadCache(std::string_view target) {
  Refresh(target, kKeyProjectCompile);
  Refresh(target, kKeyBlankCompileOption);
  Refresh(target, kKeyDefaultCompile);
  Refresh(target, kKeyTemp);
  Refresh(target, kKeyDefaultTemp);
}

void ProjectTargets::RefreshTempDir(std::string_view target) {
  Refresh(target, kKeyTemp);
}

void ProjectTargets::Refresh(std::string_view target, const char* key) {
  cache_.SetValue(target, key, ReadKey(target, key));
}

// --- Reading and writing values.

std::string ProjectTargets::ReadKey(std::string_view target, std::string_view key) const {
  return project_.store().ReadKey(TargetSectionKey(target).view(), key);
}

bool ProjectTargets::WriteKey(std::string_view target, std::string_view key, std::string_view value,
                              bool flush) {
  ProjectStore& store = project_.store();
  if (!store.HasWorkingCopy()) return false;
  if (!store.Profile().WriteString(TargetSectionName(target), key, value,
                                   project_.paths().working_copy)) {
    return false;
  }
  if (flush && !store.Flush()) return false;
  cache_.SetValue(target, key, value);
  return true;
}

bool ProjectTargets::GetValue(std::string_view target, std::string_view key, std::string* value) {
  if (cache_.GetValue(target, key, value)) return true;
  *value = ReadKey(target, key);
  return true;
}

bool ProjectTargets::SetValue(std::string_view target, std::string_view key,
                              std::string_view value) {
  if (!Has(target)) return false;
  return WriteKey(target, key, value, true);
}

int64_t ProjectTargets::CountedListCount(std::string_view target, std::string_view count_key) {
  std::string text;
  GetValue(target, count_key, &text);
  int64_t count = ReadsAsInteger(text);
  if (count <= kTrustedListCount) return count;
  // Every entry is a key of its own: a count beyond the keys is damaged.
  return std::min<int64_t>(
      count, static_cast<int64_t>(
                 project_.store()
                     .Profile()
                     .GetKeyNames(TargetSectionKey(target).view(), project_.paths().working_copy)
                     .size()));
}

bool ProjectTargets::GetCountedList(std::string_view target, std::string_view base,
                                    std::vector<std::string>* items) {
  items->clear();
  // One buffer for the names of the count and of every entry ("<base>-<i>").
  std::string key(base);
  key += "Count";
  int64_t count = CountedListCount(target, key);
  for (int64_t i = 0; i < count; ++i) {
    key.resize(base.size());
    key += '-';
    key += std::to_string(static_cast<int>(i));
    std::string value;
    GetValue(target, key, &value);
    if (!value.empty()) items->push_back(std::move(value));
  }
  return true;
}

bool ProjectTargets::SetCountedList(std::string_view target, std::string_view base,
                                    const std::vector<std::string>& items) {
  if (!Has(target) || !project_.store().HasWorkingCopy()) return false;
  std::string base_text(base);
  std::string count_key = base_text + "Count";
  for (size_t i = 0; i < items.size(); ++i) {
    std::string key = StringPrintf("%s-%d", base_text.c_str(), static_cast<int>(i));
    if (!ProfileText::WriteRefusal(TargetSectionName(target), key, items[i]).empty()) return false;
  }
  int64_t old = CountedListCount(target, count_key);
  for (size_t i = 0; i < items.size(); ++i) {
    if (!WriteKey(target, StringPrintf("%s-%d", base_text.c_str(), static_cast<int>(i)), items[i],
                  false)) {
      return false;
    }
  }
  for (int64_t i = static_cast<int64_t>(items.size()); i < old; ++i) {
    std::string key = StringPrintf("%s-%d", base_text.c_str(), static_cast<int>(i));
    project_.store().Profile().DeleteKey(TargetSectionName(target), key,
                                         project_.paths().working_copy);
    cache_.SetValue(target, key, "");
  }
  return WriteKey(target, count_key, StringPrintf("%zu", items.size()), true);
}

// --- Options.

bool ProjectTargets::EffectiveOptions(std::string_view target, const char* project_key,
                                      const char* blank_key, const char* default_key, bool direct,
                                      std::string* options) {
  options->clear();
  if (!Has(target)) return false;
  std::string value;
  if (direct) {
    value = ReadKey(target, project_key);
  } else {
    GetValue(target, project_key, &value);
  }
  if (!value.empty()) {
    *options = std::move(value);
    return true;
  }
  std::string blank;
  GetValue(target, blank_key, &blank);
  if (blank == "1") return true;
  if (direct) {
    *options = ReadKey(target, default_key);
  } else {
    GetValue(target, default_key, options);
  }
  return true;
}

std::string ProjectTargets::ProjectOrDefault(std::string_view target, const char* project_key,
                                             const char* default_key) {
  std::string value;
  GetValue(target, project_key, &value);
  if (value.empty()) GetValue(target, default_key, &value);
  return value;
}

bool ProjectTargets::GetOptions(std::string_view target, TargetOptions which,
                                std::string* options) {
  switch (which) {
    case TargetOptions::kCompile:
      return EffectiveOptions(target, kKeyProjectCompile, kKeyBlankCompileOption,
                              kKeyDefaultCompile, false, options);
    case TargetOptions::kLink:
      return EffectiveOptions(target, kKeyProjectLink, kKeyBlankLinkOption, kKeyDefaultLink, true,
                              options);
    case TargetOptions::kConvert:
      break;
  }
  options->clear();
  if (!Has(target)) return false;
  *options = ProjectOrDefault(target, kKeyProjectConvert, kKeyDefaultConvert);
  return true;
}

bool ProjectTargets::GetProjectConvert(std::string_view target, std::string* options) {
  options->clear();
  if (!Has(target)) return false;
  *options = ReadKey(target, kKeyProjectConvert);
  return true;
}

bool ProjectTargets::SetDefaultOptions(std::string_view target, TargetOptions which,
                                       std::string_view options) {
  switch (which) {
    case TargetOptions::kCompile:
      return WriteKey(target, kKeyDefaultCompile, options, true);
    case TargetOptions::kLink:
      if (!Has(target)) return false;
      return WriteKey(target, kKeyDefaultLink, options, true);
    case TargetOptions::kConvert:
      break;
  }
  if (!Has(target)) return false;
  return WriteKey(target, kKeyDefaultConvert, options, true);
}

bool ProjectTargets::SetProjectOptions(std::string_view target, TargetOptions which,
                                       std::string_view options) {
  switch (which) {
    case TargetOptions::kCompile:
      return SetProjectCompile(target, options);
    case TargetOptions::kLink:
      return SetProjectLink(target, options);
    case TargetOptions::kConvert:
      break;
  }
  if (!Has(target)) return false;
  return WriteKey(target, kKeyProjectConvert, options, true);
}

bool ProjectTargets::SetProjectCompile(std::string_view target, std::string_view options) {
  if (!Has(target)) return false;
  if (!WriteKey(target, kKeyProjectCompile, options, false)) return false;
  if (!WriteKey(target, kKeyUpdate, "1", true)) return false;
  // Files without options of their own follow the project's: they need
  // building again. One flush for all of them.
  const auto& files = project_.sources().Files();
  for (const auto& file : files)
    file->settings().MarkUpdateIfNoOwnOptions(target, /*flush=*/false);
  if (!project_.store().Flush()) {
    // The marks did not reach the file: the caches must not show them.
    for (const auto& file : files)
      file->settings().Reload(target);
    return false;
  }
  return true;
}

bool ProjectTargets::SetProjectLink(std::string_view target, std::string_view options) {
  std::string argument;
  if (ReadOutputArgument(options, &argument)) {
    PathParts parts = SplitPath(argument);
    if (!WriteKey(target, kKeyOutput, StripTrailingBackslash(parts.drive + parts.directory),
                  false)) {
      return false;
    }
  }
  return WriteKey(target, kKeyProjectLink, options, true);
}

// --- Directories.

bool ProjectTargets::GetDir(std::string_view target, TargetDir which, std::string* dir) {
  *dir = ProjectOrDefault(target, ProjectKey(which), DefaultKey(which));
  return true;
}

bool ProjectTargets::GetOutputDirDirect(std::string_view target, std::string* dir) {
  dir->clear();
  if (!Has(target)) return false;
  *dir = ReadKey(target, kKeyOutput);
  if (dir->empty()) *dir = ReadKey(target, kKeyDefaultOutput);
  return true;
}

bool ProjectTargets::MoveOutputFile(std::string_view target, std::string_view dir,
                                    const char* dir_key, const char* link_key) {
  if (!Has(target)) return false;
  if (!WriteKey(target, dir_key, dir, true)) return false;
  std::string options = ReadKey(target, link_key);
  OutputOptionSpan span;
  if (FindOutputSpan(options, &span)) {
    std::string name = FileNamePart(TrimBlanks(span.argument));
    std::string base = StripTrailingBackslash(dir);
    std::string path = base.empty() ? name : base + "\\" + name;
    std::string option = std::string("-o") + (span.separated ? " " : "") + QuoteIfBlank(path);
    options.replace(span.begin, span.end - span.begin, option);
  }
  if (!WriteKey(target, link_key, options, false)) return false;
  return WriteKey(target, kKeyUpdate, "1", true);
}

bool ProjectTargets::SetDir(std::string_view target, TargetDir which, std::string_view dir) {
  if (which == TargetDir::kOutput) return MoveOutputFile(target, dir, kKeyOutput, kKeyProjectLink);
  return SetValue(target, ProjectKey(which), dir);
}

bool ProjectTargets::SetDefaultDir(std::string_view target, TargetDir which, std::string_view dir) {
  if (which == TargetDir::kOutput) {
    return MoveOutputFile(target, dir, kKeyDefaultOutput, kKeyDefaultLink);
  }
  return SetValue(target, DefaultKey(which), dir);
}

std::string ProjectTargets::DebugFileFor(std::string_view target, bool default_dir) {
  std::string dir;
  if (default_dir) {
    GetValue(target, kKeyDefaultOutput, &dir);
  } else {
    GetDir(target, TargetDir::kOutput, &dir);
  }
  return StringPrintf("%s\\%s", StripTrailingBackslash(dir).c_str(),
                      project_.paths().output_name.c_str());
}

bool ProjectTargets::SetDebugFile(std::string_view target) {
  if (!Has(target)) return false;
  return WriteKey(target, kKeyDebug, DebugFileFor(target, false), true);
}

bool ProjectTargets::SetDefaultDebugFile(std::string_view target) {
  if (!Has(target)) return false;
  return WriteKey(target, kKeyDefaultDebug, DebugFileFor(target, true), true);
}

// --- Update marks.

bool ProjectTargets::MarkUpdate(std::string_view target) {
  if (!Has(target)) return false;
  return WriteKey(target, kKeyUpdate, "1", false);
}

bool ProjectTargets::NeedsUpdate(std::string_view target) {
  std::string update;
  GetValue(target, kKeyUpdate, &update);
  if (!update.empty()) return true;
  GetValue(target, kKeyUpdateConvert, &update);
  if (!update.empty()) return true;
  for (const auto& file : project_.sources().Files()) {
    if (file->settings().IsUpdate(target)) return true;
  }
  return false;
}

// --- Targets added and removed.

bool ProjectTargets::Copy(std::string_view existing, std::string_view new_target) {
  PrivateProfile& profile = project_.store().Profile();
  const std::string& working_copy = project_.paths().working_copy;
  const auto& files = project_.sources().Files();
  std::string from = TargetSectionName(existing);
  std::string to = TargetSectionName(new_target);
  // A section left behind by a target of that name once removed must not
  // lend the new target its values.
  profile.DeleteSection(to, working_copy);
  for (const auto& [key, value] : profile.GetSection(from, working_copy)) {
    if (!profile.WriteString(to, key, value, working_copy)) return false;
  }
  auto copy_items = [&](const std::vector<std::string>& items) {
    for (const std::string& item : items) {
      std::string item_to = ItemSection(new_target, item);
      profile.DeleteSection(item_to, working_copy);
      for (const auto& [key, value] :
           profile.GetSection(ItemSection(existing, item), working_copy)) {
        if (!profile.WriteString(item_to, key, value, working_copy)) return false;
      }
    }
    return true;
  };
  std::vector<std::string> file_names;
  for (const auto& file : files)
    file_names.push_back(file->RelativePath());
  if (!copy_items(file_names)) return false;

  std::vector<std::string> names = targets_;
  names.emplace_back(new_target);
  std::string list;
  JoinList(names, &list);
  if (!profile.WriteString(kProjectSection, kTargetKey, list, working_copy)) return false;
  if (!project_.store().Flush()) return false;
  Reload();

  if (!copy_items(project_.sources().Folders()) || !project_.store().Flush()) return false;

  // The new target's caches start from its sections, copies of the existing ones.
  ReloadCache(new_target);
  for (const auto& file : files)
    file->settings().Reload(new_target);
  current_ = std::string(new_target);

  std::string dir =
      new_target.substr(0, 1) == "." ? std::string(new_target) : ".\\" + std::string(new_target);
  return SetDir(new_target, TargetDir::kOutput, dir) && SetDir(new_target, TargetDir::kTemp, dir) &&
         SetDefaultDir(new_target, TargetDir::kOutput, dir) &&
         SetDefaultDir(new_target, TargetDir::kTemp, dir) && SetDebugFile(new_target) &&
         SetDefaultDebugFile(new_target);
}

bool ProjectTargets::Delete(std::string_view target) {
  PrivateProfile& profile = project_.store().Profile();
  const std::string& working_copy = project_.paths().working_copy;
  std::vector<std::string> remaining;
  for (const std::string& name : targets_) {
    if (!EqualsNoCase(name, target)) remaining.push_back(name);
  }
  std::string list;
  JoinList(remaining, &list);
  if (!profile.WriteString(kProjectSection, kTargetKey, list, working_copy)) return false;
  profile.DeleteSection(TargetSectionName(target), working_copy);
  for (const auto& file : project_.sources().Files()) {
    profile.DeleteSection(ItemSection(target, file->RelativePath()), working_copy);
  }
  for (const std::string& folder : project_.sources().Folders()) {
    profile.DeleteSection(ItemSection(target, folder), working_copy);
  }
  if (!project_.store().Flush()) return false;
  Reload();
  cache_.RemoveSection(target);
  for (const auto& file : project_.sources().Files())
    file->ForgetTarget(target);
  if (EqualsNoCase(current_, target)) {
    SetCurrent(targets_.empty() ? std::string() : targets_.front());
  }
  return true;
}

}  // namespace zelvan

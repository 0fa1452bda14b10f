#include "model/project.h"

#include <algorithm>
#include <functional>
#include <set>

#include "model/path_functions.h"
#include "model/source_file.h"
#include "model/workspace_hooks.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/profile_text.h"
#include "platform/win_path.h"
#include "storage/profile_data.h"
#include "storage/profile_functions.h"
#include "storage/project_files.h"
#include "storage/project_folders.h"
#include "storage/text_table.h"
#include "storage/working_copy.h"
#include "toolchain/cpu_table.h"
#include "toolchain/language_table.h"
#include "toolchain/option_text.h"

namespace zelvan {

namespace {

// The buffer the project's identity keys are read with.
constexpr size_t kIdentityBuffer = 32768;
// The archive path of the .kba file is read with at most this many characters.
constexpr size_t kArchivePathBuffer = kArchivePathMax + 1;
// A list count above this is checked against the keys the section really
// has, so a damaged count costs no more than the section.
constexpr int64_t kTrustedListCount = 64;

std::string TargetSection(std::string_view target) {
  return TargetSectionName(target);
}

// Per-target sections of a folder or a source file.
std::string ItemSection(std::string_view target, std::string_view item) {
  return std::string(target) + "!" + std::string(item);
}

std::string WithExtension(std::string_view path, std::string_view extension) {
  PathParts parts = SplitPath(path);
  return MakePath(parts.drive, parts.directory, parts.title, extension);
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

}  // namespace

Project::Project(const Platform& platform, std::string project_file, std::string relative_path,
                 const ProjectEnvironment* environment)
    : platform_(platform),
      environment_(environment),
      project_file_(std::move(project_file)),
      relative_path_(std::move(relative_path)) {
  if (environment_ == nullptr || environment_->languages == nullptr) {
    own_languages_ = std::make_unique<LanguageTable>();
    if (environment_ != nullptr) own_environment_ = *environment_;
    own_environment_.languages = own_languages_.get();
    environment_ = &own_environment_;
  }
}

Project::~Project() {
  // The files go first: they refer to the project.
  sources_by_path_.clear();
  sources_by_relative_path_.clear();
  source_files_.clear();
  DeleteWorkingCopy();
}

bool Project::Open(std::string* error) {
  dependency_file_ = WithExtension(project_file_, kDependencyExtension);
  makefile_ = WithExtension(project_file_, kMakefileExtension);
  ide_project_file_ = WithExtension(project_file_, kIdeProjectExtension);
  output_name_ = ReadProjectFileKey(kOutputKey);
  cpu_ = ReadProjectFileKey(kCpuKey);
  cpu_family_ = ReadProjectFileKey(kCpuFamilyKey);

  PathParts parts = SplitPath(project_file_);
  drive_ = parts.drive;
  directory_ = parts.directory;
  base_name_ = parts.title;
  extension_ = parts.extension;
  if (!CreateWorkingCopy(platform_, project_file_, &working_copy_, error)) {
    working_copy_.clear();
    return false;
  }
  if (!RecordWorkingCopyState()) {
    if (error) *error = "the working copy " + working_copy_ + " cannot be read";
    DeleteWorkingCopy();
    return false;
  }

  archive_settings_ = WithExtension(project_file_, kArchiveSettingsExtension);
  std::string archive = Profile().GetString(kArchiveSection, kArchivePathKey, "", archive_settings_,
                                            kArchivePathBuffer);
  archive_path_.clear();
  if (!archive.empty()) {
    GetFullPathName(archive, drive_ + directory_, &archive_path_);
  }

  compiler_settings_ = WithExtension(project_file_, kCompilerSettingsExtension);
  options_path_ = WithExtension(project_file_, kProjectOptionsExtension);
  function_database_ = WithExtension(project_file_, kFunctionDatabaseExtension);
  is_library_ = IsLibraryOutput(output_name_);

  SplitList(ReadProjectFileKey(kTargetKey), &targets_);

  project_directory_ = drive_ + directory_;
  temp_makefiles_[0] = project_directory_ + std::string(kTempMakefile);
  temp_makefiles_[1] = project_directory_ + std::string(kTempFalMakefile);
  temp_makefiles_[2] = project_directory_ + std::string(kTempAbsMakefile);
  temp_makefiles_[3] = project_directory_ + std::string(kTempPreMakefile);
  return true;
}

void Project::DeleteWorkingCopy() {
  if (working_copy_.empty()) return;
  // Pending writes must not bring the file back after it is gone.
  Profile().Forget(working_copy_);
  Fs().SetReadOnly(working_copy_, false);
  Fs().DeleteFile(working_copy_);
  working_copy_.clear();
}

// --- Whole-file load while the workspace opens.

bool Project::LoadWholeFile() {
  if (working_copy_.empty()) return false;
  Profile().Flush(working_copy_);
  auto file = std::make_unique<ProfileData>();
  if (!file->Load(Fs(), working_copy_)) return false;
  whole_file_ = std::move(file);
  return true;
}

void Project::LoadSettings() {
  if (!whole_file_) return;
  std::string legacy_links;
  if (whole_file_->GetValue(kProjectSection, kLinkProjectKey, &legacy_links)) {
    std::vector<std::string> names;
    SplitList(legacy_links, &names);
    for (const std::string& name : names)
      AddLink(name);
  }
  std::vector<std::string> source_folders;
  ListFolders(*whole_file_, &folders_, &sources_, &source_folders);
  LoadSourceFiles(source_folders);
}

void Project::LoadSourceFiles(const std::vector<std::string>& source_folders) {
  source_files_.clear();
  sources_by_path_.clear();
  sources_by_relative_path_.clear();
  for (size_t i = 0; i < sources_.size(); ++i) {
    std::string full;
    // An entry that names no path stays in the file, but no record can stand for it.
    if (!GetFullPathName(sources_[i], project_directory_, &full)) continue;
    // Two spellings of one file ("a.c", "..c") make one record.
    if (FindSourceFile(full) != nullptr) continue;
    auto file = std::make_unique<SourceFile>(std::move(full), *this, false);
    file->SetFolderName(source_folders[i]);
    for (const std::string& target : targets_)
      file->settings().LoadFromSection(target);
    RegisterSourceFile(std::move(file));
  }
}

void Project::RegisterSourceFile(std::unique_ptr<SourceFile> file) {
  sources_by_path_.emplace(file->FullPath(), file.get());
  sources_by_relative_path_.emplace(file->RelativePath(), file.get());
  source_files_.push_back(std::move(file));
}

SourceFile* Project::FindSourceFile(std::string_view full_path) const {
  auto it = sources_by_path_.find(full_path);
  return it == sources_by_path_.end() ? nullptr : it->second;
}

SourceFile* Project::FindSourceFileByRelativePath(std::string_view relative_path) const {
  auto it = sources_by_relative_path_.find(relative_path);
  return it == sources_by_relative_path_.end() ? nullptr : it->second;
}

const SourceFile* Project::FindLinkCommandFile(std::string_view target) const {
  for (const auto& file : source_files_) {
    if (file->settings().IsLcfUsed(target)) return file.get();
  }
  return nullptr;
}

void Project::ReleaseWholeFile() {
  whole_file_.reset();
}

void Project::ListFolders(const ProfileData& file, std::vector<std::string>* folders,
                          std::vector<std::string>* sources,
                          std::vector<std::string>* source_folders) {
  folders->clear();
  sources->clear();
  if (source_folders) source_folders->clear();
  std::set<std::string, NoCaseLess> seen_folders;
  std::set<std::string, NoCaseLess> seen_sources;
  // Depth first from the outermost folders, as files are placed into them.
  std::function<void(std::string_view, int)> visit = [&](std::string_view list, int depth) {
    std::vector<std::string> names;
    SplitList(list, &names);
    for (const std::string& folder : names) {
      // A folder that lists itself or an ancestor is visited once.
      if (depth > 64 || !seen_folders.insert(folder).second) continue;
      folders->push_back(folder);
      std::string count_text;
      file.GetValue(folder, kSourceCountKey, &count_text);
      long count = std::strtol(count_text.c_str(), nullptr, 10);
      // No more entries than the folder's sections have lines, whatever the count says.
      size_t lines = 0;
      for (const auto& section : file.sections()) {
        if (EqualsNoCase(section->name(), folder)) lines += section->values().size();
      }
      for (long i = 0; i < count && static_cast<size_t>(i) < lines; ++i) {
        std::string source;
        if (!file.GetValue(folder, SourceKey(static_cast<int>(i)), &source) || source.empty()) {
          continue;
        }
        if (seen_sources.insert(source).second) {
          sources->push_back(source);
          if (source_folders) source_folders->push_back(folder);
        }
      }
      std::string sub;
      if (file.GetValue(folder, kFolderKey, &sub)) visit(sub, depth + 1);
    }
  };
  std::string top;
  file.GetValue(kProjectSection, kFolderKey, &top);
  visit(top, 0);
}

// --- Adding files.

namespace {

// The folder a project without folders gets for its first file.
constexpr std::string_view kDefaultSourceFolder = "Source Files";

// The SOURCECOUNT of a folder: a decimal number (absent or empty: 0), no
// more than the folder's keys. False for anything else.
bool ReadSourceCount(PrivateProfile& profile, std::string_view file, std::string_view folder,
                     int* count) {
  std::string text;
  profile.Lookup(folder, kSourceCountKey, file, &text);
  if (text.empty()) {
    *count = 0;
    return true;
  }
  if (text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  long value = std::strtol(text.c_str(), nullptr, 10);
  // Every entry is a key of its own: a count beyond the keys is damaged,
  // and loading would not reach an entry written behind it.
  if (static_cast<size_t>(value) > profile.GetKeyNames(folder, file).size()) return false;
  *count = static_cast<int>(value);
  return true;
}

}  // namespace

bool Project::ListsSource(std::string_view folder, std::string_view entry) {
  std::string text;
  if (!Fs().ReadFile(working_copy_, &text)) return false;
  ProfileData file;
  file.Parse(text);
  std::vector<std::string> folders, sources, source_folders;
  ListFolders(file, &folders, &sources, &source_folders);
  for (size_t i = 0; i < sources.size(); ++i) {
    if (EqualsNoCase(sources[i], entry)) return EqualsNoCase(source_folders[i], folder);
  }
  return false;
}

std::string Project::FolderForNewFile(std::string_view extension, bool* created) {
  *created = false;
  std::string folder;
  if (FindFolderForExtension(Profile(), working_copy_, extension, &folder)) return folder;
  std::vector<std::string> top;
  SplitList(ReadKey(kProjectSection, kFolderKey), &top);
  if (!top.empty()) return top.front();
  *created = true;
  return std::string(kDefaultSourceFolder);
}

Project::AddFileResult Project::AddSourceFile(std::string_view full_path, SourceFile** added,
                                              std::string* detail) {
  *added = nullptr;
  auto fail = [&](AddFileResult result, std::string reason) {
    if (detail) *detail = std::move(reason);
    return result;
  };
  if (working_copy_.empty()) return fail(AddFileResult::kNotWritten, "the project is not open");
  std::string relative;
  MakeRelativePath(project_file_, full_path, &relative);
  if (FindSourceFile(full_path) != nullptr || FindSourceFileByRelativePath(relative) != nullptr) {
    return fail(AddFileResult::kAlreadyInProject, "the project has this file");
  }
  // The name must read back as written, as an entry and in the name of the
  // file's settings sections.
  for (char c : relative) {
    if (static_cast<unsigned char>(c) < 0x20 || c == ']') {
      return fail(AddFileResult::kInvalidName,
                  "the name holds a control character or `]`, which the project file cannot keep");
    }
  }
  if (ProfileText::ReadValue(relative) != relative) {
    return fail(AddFileResult::kInvalidName,
                "the name begins or ends with a blank or quote, which the project file drops");
  }
  if (std::string reason = UnbuildableNameReason(relative); !reason.empty()) {
    return fail(AddFileResult::kInvalidName, std::move(reason));
  }

  PrivateProfile& profile = Profile();
  // The working copy as it was, to go back to when the file would not be
  // found where it was put.
  std::string before;
  if (!Flush() || !Fs().ReadFile(working_copy_, &before)) {
    return fail(AddFileResult::kNotWritten, "the working copy cannot be read");
  }
  bool new_folder = false;
  std::string folder = FolderForNewFile(SplitPath(full_path).extension, &new_folder);
  int count = 0;
  std::string entry_key;
  std::string entry;
  if (!ReadSourceCount(profile, working_copy_, folder, &count) ||
      (profile.Lookup(folder, SourceKey(count), working_copy_, &entry) && !entry.empty())) {
    return fail(AddFileResult::kFolderDamaged,
                "the SOURCECOUNT of the folder [" + folder + "] disagrees with its entries");
  }
  entry_key = SourceKey(count);
  bool written =
      profile.WriteString(folder, entry_key, relative, working_copy_) &&
      profile.WriteString(folder, kSourceCountKey, StringPrintf("%d", count + 1), working_copy_);
  if (written && new_folder) {
    std::string list(kDefaultSourceFolder);
    list += ';';
    written = profile.WriteString(kProjectSection, kFolderKey, list, working_copy_);
  }
  if (!written) {
    // An entry of this call still pending goes before anything reaches the file.
    std::string reason = profile.LastError();
    profile.DeleteKey(folder, entry_key, working_copy_);
    return fail(AddFileResult::kNotWritten, "the working copy cannot be written: " + reason);
  }
  if (!Flush()) {
    return fail(AddFileResult::kNotWritten,
                "the working copy cannot be written: " + profile.LastError());
  }
  // Opening reads the folders from the whole file, which a folder written
  // oddly (blanks in keys, repeated sections, nesting beyond reach) can
  // hide the new entry from. Such a project gets no entry that would be lost.
  if (!ListsSource(folder, relative)) {
    WriteFileAtomic(Fs(), working_copy_, before, nullptr, Durability::kScratch);
    profile.Forget(working_copy_);
    return fail(AddFileResult::kFolderDamaged,
                "the project file, read anew, would not list it in the folder [" + folder + "]");
  }

  sources_.push_back(relative);
  if (new_folder) folders_.push_back(folder);
  auto file = std::make_unique<SourceFile>(std::string(full_path), *this, false);
  file->SetFolderName(folder);
  // A section left by an earlier file of that name holds its settings.
  for (const std::string& target : targets_)
    file->settings().Reload(target);
  *added = file.get();
  RegisterSourceFile(std::move(file));
  return AddFileResult::kAdded;
}

bool Project::RemoveSourceFile(const SourceFile* file, std::string* detail) {
  auto owned = std::find_if(source_files_.begin(), source_files_.end(),
                            [file](const auto& own) { return own.get() == file; });
  if (owned == source_files_.end()) return *detail = "the project has no such file", false;
  if (working_copy_.empty()) return *detail = "the project is not open", false;
  PrivateProfile& profile = Profile();
  const std::string folder = file->FolderName();
  std::string before;
  int count = 0;
  if (!Flush() || !Fs().ReadFile(working_copy_, &before) ||
      !ReadSourceCount(profile, working_copy_, folder, &count)) {
    return *detail = "the working copy cannot be read", false;
  }
  std::vector<std::string> entries;
  int index = -1;
  for (int i = 0; i < count; ++i) {
    std::string entry, full;
    profile.Lookup(folder, SourceKey(i), working_copy_, &entry);
    if (index < 0 && GetFullPathName(entry, project_directory_, &full) &&
        PathEquals(full, file->FullPath())) {
      index = i;
      continue;
    }
    entries.push_back(std::move(entry));
  }
  if (index < 0) {
    return *detail = "the folder [" + folder + "] does not list " + file->RelativePath(), false;
  }
  bool written = true;
  for (int i = index; i < count - 1 && written; ++i)
    written =
        profile.WriteString(folder, SourceKey(i), entries[static_cast<size_t>(i)], working_copy_);
  written =
      written && profile.DeleteKey(folder, SourceKey(count - 1), working_copy_) &&
      profile.WriteString(folder, kSourceCountKey, StringPrintf("%d", count - 1), working_copy_) &&
      Flush();
  if (!written) {
    std::string reason = profile.LastError();
    WriteFileAtomic(Fs(), working_copy_, before, nullptr, Durability::kScratch);
    profile.Forget(working_copy_);
    return *detail = "the working copy cannot be written: " + reason, false;
  }
  std::string relative = file->RelativePath();
  sources_.erase(std::remove_if(sources_.begin(), sources_.end(),
                                [&](const std::string& entry) {
                                  std::string full;
                                  return GetFullPathName(entry, project_directory_, &full) &&
                                         PathEquals(full, file->FullPath());
                                }),
                 sources_.end());
  sources_by_path_.erase(file->FullPath());
  sources_by_relative_path_.erase(relative);
  source_files_.erase(owned);
  return true;
}

// --- Targets.

void Project::ReloadTargets() {
  targets_.clear();
  SplitList(ReadKey(kProjectSection, kTargetKey), &targets_);
}

bool Project::HasTarget(std::string_view target) const {
  for (const std::string& name : targets_) {
    if (EqualsNoCase(name, target)) return true;
  }
  return false;
}

std::string_view Project::CurrentOrFirstTarget() const {
  if (HasTarget(current_target_)) return current_target_;
  return targets_.empty() ? std::string_view() : std::string_view(targets_.front());
}

std::string_view Project::TargetSpelling(std::string_view target) const {
  for (const std::string& name : targets_) {
    if (EqualsNoCase(name, target)) return name;
  }
  return target;
}

void Project::SetCurrentTarget(std::string_view target) {
  current_target_ = std::string(target);
  if (!current_target_.empty()) ReloadTargetCache(current_target_);
}

void Project::ReloadTargetCache(std::string_view target) {
  RefreshProjectCompile(target);
  RefreshDefaultCompile(target);
  RefreshTempDir(target);
  RefreshDefaultTempDir(target);
}

// --- Reading and writing the working copy.

std::string Project::ReadProjectFileKey(std::string_view key) const {
  return Profile().GetString(kProjectSection, key, "", project_file_, kIdentityBuffer);
}

std::string Project::ReadKey(std::string_view section, std::string_view key) const {
  return Profile().GetString(section, key, "", working_copy_);
}

std::string Project::ReadTargetKey(std::string_view target, std::string_view key) const {
  return ReadKey(TargetSection(target), key);
}

bool Project::WriteTargetKey(std::string_view target, std::string_view key, std::string_view value,
                             bool flush) {
  if (working_copy_.empty()) return false;
  if (!Profile().WriteString(TargetSection(target), key, value, working_copy_)) return false;
  if (flush && !Flush()) return false;
  target_cache_.SetValue(target, key, value);
  return true;
}

bool Project::Flush() {
  return Profile().Flush(working_copy_);
}

bool Project::GetTargetValue(std::string_view target, std::string_view key, std::string* value) {
  if (target_cache_.GetValue(target, key, value)) return true;
  *value = ReadTargetKey(target, key);
  return true;
}

bool Project::SetTargetValue(std::string_view target, std::string_view key,
                             std::string_view value) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, key, value, true);
}

int64_t Project::TargetListCount(std::string_view target, std::string_view count_key) {
  std::string text;
  GetTargetValue(target, count_key, &text);
  int64_t count = ReadsAsInteger(text);
  if (count <= kTrustedListCount) return count;
  // Every entry is a key of its own: a count beyond the keys is damaged.
  return std::min<int64_t>(
      count,
      static_cast<int64_t>(Profile().GetKeyNames(TargetSection(target), working_copy_).size()));
}

bool Project::GetTargetList(std::string_view target, std::string_view base,
                            std::vector<std::string>* items) {
  items->clear();
  std::string base_text(base);
  int64_t count = TargetListCount(target, base_text + "Count");
  for (int64_t i = 0; i < count; ++i) {
    std::string value;
    GetTargetValue(target, StringPrintf("%s-%d", base_text.c_str(), static_cast<int>(i)), &value);
    if (!value.empty()) items->push_back(std::move(value));
  }
  return true;
}

bool Project::SetTargetList(std::string_view target, std::string_view base,
                            const std::vector<std::string>& items) {
  if (!HasTarget(target) || working_copy_.empty()) return false;
  std::string base_text(base);
  std::string count_key = base_text + "Count";
  for (size_t i = 0; i < items.size(); ++i) {
    std::string key = StringPrintf("%s-%d", base_text.c_str(), static_cast<int>(i));
    if (!ProfileText::WriteRefusal(TargetSection(target), key, items[i]).empty()) return false;
  }
  int64_t old = TargetListCount(target, count_key);
  for (size_t i = 0; i < items.size(); ++i) {
    if (!WriteTargetKey(target, StringPrintf("%s-%d", base_text.c_str(), static_cast<int>(i)),
                        items[i], false)) {
      return false;
    }
  }
  for (int64_t i = static_cast<int64_t>(items.size()); i < old; ++i) {
    std::string key = StringPrintf("%s-%d", base_text.c_str(), static_cast<int>(i));
    Profile().DeleteKey(TargetSection(target), key, working_copy_);
    target_cache_.SetValue(target, key, "");
  }
  return WriteTargetKey(target, count_key, StringPrintf("%zu", items.size()), true);
}

bool Project::EffectiveOptions(std::string_view target, const char* project_key,
                               const char* blank_key, const char* default_key, bool direct,
                               std::string* options) {
  options->clear();
  if (!HasTarget(target)) return false;
  std::string value;
  if (direct) {
    value = ReadTargetKey(target, project_key);
  } else {
    GetTargetValue(target, project_key, &value);
  }
  if (!value.empty()) {
    *options = std::move(value);
    return true;
  }
  std::string blank;
  GetTargetValue(target, blank_key, &blank);
  if (blank == "1") return true;
  if (direct) {
    *options = ReadTargetKey(target, default_key);
  } else {
    GetTargetValue(target, default_key, options);
  }
  return true;
}

bool Project::GetCompileOptions(std::string_view target, std::string* options) {
  return EffectiveOptions(target, kKeyProjectCompile, kKeyBlankCompileOption, kKeyDefaultCompile,
                          false, options);
}

bool Project::GetLinkOptions(std::string_view target, std::string* options) {
  return EffectiveOptions(target, kKeyProjectLink, kKeyBlankLinkOption, kKeyDefaultLink, true,
                          options);
}

bool Project::GetConvertOptions(std::string_view target, std::string* options) {
  options->clear();
  if (!HasTarget(target)) return false;
  *options = ProjectOrDefault(target, kKeyProjectConvert, kKeyDefaultConvert);
  return true;
}

std::string Project::ProjectOrDefault(std::string_view target, const char* project_key,
                                      const char* default_key) {
  std::string value;
  GetTargetValue(target, project_key, &value);
  if (value.empty()) GetTargetValue(target, default_key, &value);
  return value;
}

bool Project::GetOutputDir(std::string_view target, std::string* dir) {
  *dir = ProjectOrDefault(target, kKeyOutput, kKeyDefaultOutput);
  return true;
}

bool Project::GetWorkDir(std::string_view target, std::string* dir) {
  *dir = ProjectOrDefault(target, kKeyWork, kKeyDefaultWork);
  return true;
}

bool Project::GetTempDir(std::string_view target, std::string* dir) {
  *dir = ProjectOrDefault(target, kKeyTemp, kKeyDefaultTemp);
  return true;
}

bool Project::GetDebugFile(std::string_view target, std::string* path) {
  *path = ProjectOrDefault(target, kKeyDebug, kKeyDefaultDebug);
  return true;
}

bool Project::GetOutputDirDirect(std::string_view target, std::string* dir) {
  dir->clear();
  if (!HasTarget(target)) return false;
  *dir = ReadTargetKey(target, kKeyOutput);
  if (dir->empty()) *dir = ReadTargetKey(target, kKeyDefaultOutput);
  return true;
}

bool Project::GetProjectConvert(std::string_view target, std::string* options) {
  options->clear();
  if (!HasTarget(target)) return false;
  *options = ReadTargetKey(target, kKeyProjectConvert);
  return true;
}

bool Project::SetDefaultCompile(std::string_view target, std::string_view options) {
  return WriteTargetKey(target, kKeyDefaultCompile, options, true);
}

bool Project::SetDefaultLink(std::string_view target, std::string_view options) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, kKeyDefaultLink, options, true);
}

bool Project::SetDefaultConvert(std::string_view target, std::string_view options) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, kKeyDefaultConvert, options, true);
}

bool Project::SetProjectConvert(std::string_view target, std::string_view options) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, kKeyProjectConvert, options, true);
}

bool Project::SetProjectCompile(std::string_view target, std::string_view options) {
  if (!HasTarget(target)) return false;
  if (!WriteTargetKey(target, kKeyProjectCompile, options, false)) return false;
  if (!WriteTargetKey(target, kKeyUpdate, "1", true)) return false;
  // Files without options of their own follow the project's: they need
  // building again. One flush for all of them.
  for (const auto& file : source_files_)
    file->settings().MarkUpdateIfNoOwnOptions(target, /*flush=*/false);
  if (!Flush()) {
    // The marks did not reach the file: the caches must not show them.
    for (const auto& file : source_files_)
      file->settings().Reload(target);
    return false;
  }
  return true;
}

bool Project::SetProjectLink(std::string_view target, std::string_view options) {
  std::string argument;
  if (ReadOutputArgument(options, &argument)) {
    PathParts parts = SplitPath(argument);
    if (!WriteTargetKey(target, kKeyOutput, StripTrailingBackslash(parts.drive + parts.directory),
                        false)) {
      return false;
    }
  }
  return WriteTargetKey(target, kKeyProjectLink, options, true);
}

bool Project::MoveOutputFile(std::string_view target, std::string_view dir, const char* dir_key,
                             const char* link_key) {
  if (!HasTarget(target)) return false;
  if (!WriteTargetKey(target, dir_key, dir, true)) return false;
  std::string options = ReadTargetKey(target, link_key);
  OutputOptionSpan span;
  if (FindOutputSpan(options, &span)) {
    std::string name = FileNamePart(TrimBlanks(span.argument));
    std::string base = StripTrailingBackslash(dir);
    std::string path = base.empty() ? name : base + "\\" + name;
    std::string option = std::string("-o") + (span.separated ? " " : "") + QuoteIfBlank(path);
    options.replace(span.begin, span.end - span.begin, option);
  }
  if (!WriteTargetKey(target, link_key, options, false)) return false;
  return WriteTargetKey(target, kKeyUpdate, "1", true);
}

bool Project::SetOutputDir(std::string_view target, std::string_view dir) {
  return MoveOutputFile(target, dir, kKeyOutput, kKeyProjectLink);
}

bool Project::SetDefaultOutputDir(std::string_view target, std::string_view dir) {
  return MoveOutputFile(target, dir, kKeyDefaultOutput, kKeyDefaultLink);
}

bool Project::SetWorkDir(std::string_view target, std::string_view dir) {
  return SetTargetValue(target, kKeyWork, dir);
}

bool Project::SetTempDir(std::string_view target, std::string_view dir) {
  return SetTargetValue(target, kKeyTemp, dir);
}

bool Project::SetDefaultTempDir(std::string_view target, std::string_view dir) {
  return SetTargetValue(target, kKeyDefaultTemp, dir);
}

std::string Project::DebugFileFor(std::string_view target, bool default_dir) {
  std::string dir;
  if (default_dir) {
    GetTargetValue(target, kKeyDefaultOutput, &dir);
  } else {
    GetOutputDir(target, &dir);
  }
  return StringPrintf("%s\\%s", StripTrailingBackslash(dir).c_str(), output_name_.c_str());
}

bool Project::SetDebugFile(std::string_view target) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, kKeyDebug, DebugFileFor(target, false), true);
}

bool Project::SetDefaultDebugFile(std::string_view target) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, kKeyDefaultDebug, DebugFileFor(target, true), true);
}

bool Project::SetDebugFilePath(std::string_view target, std::string_view path) {
  return SetTargetValue(target, kKeyDebug, path);
}

bool Project::MarkUpdate(std::string_view target) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, kKeyUpdate, "1", false);
}

bool Project::NeedsUpdate(std::string_view target) {
  std::string update;
  GetTargetValue(target, kKeyUpdate, &update);
  if (!update.empty()) return true;
  GetTargetValue(target, kKeyUpdateConvert, &update);
  if (!update.empty()) return true;
  for (const auto& file : source_files_) {
    if (file->settings().IsUpdate(target)) return true;
  }
  return false;
}

void Project::RefreshTempDir(std::string_view target) {
  target_cache_.SetValue(target, kKeyTemp, ReadTargetKey(target, kKeyTemp));
}

void Project::RefreshDefaultTempDir(std::string_view target) {
  target_cache_.SetValue(target, kKeyDefaultTemp, ReadTargetKey(target, kKeyDefaultTemp));
}

void Project::RefreshDefaultCompile(std::string_view target) {
  target_cache_.SetValue(target, kKeyDefaultCompile, ReadTargetKey(target, kKeyDefaultCompile));
}

void Project::RefreshProjectCompile(std::string_view target) {
  target_cache_.SetValue(target, kKeyProjectCompile, ReadTargetKey(target, kKeyProjectCompile));
  target_cache_.SetValue(target, kKeyBlankCompileOption,
                         ReadTargetKey(target, kKeyBlankCompileOption));
}

void Project::RemoveTargetCache(std::string_view target) {
  target_cache_.RemoveSection(target);
}

// --- System directories.

std::string Project::SystemDirectoryOption(const std::vector<std::string>& dirs,
                                           const char* variable, const char* option) {
  std::string collected;
  for (const std::string& dir : dirs) {
    std::string kept = dir;
    if (dir.find(' ') != std::string::npos && !Fs().GetShortPathName(dir, &kept)) continue;
    collected += option;
    collected += kept;
  }
  if (collected.empty()) return std::string();
  return std::string(variable) + "=" + collected + "\n\n";
}

bool Project::GetSystemLibraryOption(const CpuTable& cpus, std::string* text) {
  std::vector<std::string> dirs;
  bool known = cpus.GetLibraryDirs(cpu_, &dirs);
  *text = SystemDirectoryOption(dirs, "SysLibraryPath", " -L ");
  return known;
}

bool Project::GetSystemIncludeOption(const CpuTable& cpus, std::string* text) {
  std::vector<std::string> dirs;
  bool known = cpus.GetIncludeDirs(cpu_, &dirs);
  *text = SystemDirectoryOption(dirs, "SysIncludePath", " -I ");
  return known;
}

// --- Targets added and removed.

bool Project::CopyTarget(std::string_view existing, std::string_view new_target) {
  PrivateProfile& profile = Profile();
  std::string from = TargetSection(existing);
  std::string to = TargetSection(new_target);
  // A section left behind by a target of that name once removed must not
  // lend the new target its values.
  profile.DeleteSection(to, working_copy_);
  for (const auto& [key, value] : profile.GetSection(from, working_copy_)) {
    if (!profile.WriteString(to, key, value, working_copy_)) return false;
  }
  auto copy_items = [&](const std::vector<std::string>& items) {
    for (const std::string& item : items) {
      std::string item_to = ItemSection(new_target, item);
      profile.DeleteSection(item_to, working_copy_);
      for (const auto& [key, value] :
           profile.GetSection(ItemSection(existing, item), working_copy_)) {
        if (!profile.WriteString(item_to, key, value, working_copy_)) return false;
      }
    }
    return true;
  };
  std::vector<std::string> files;
  for (const auto& file : source_files_)
    files.push_back(file->RelativePath());
  if (!copy_items(files)) return false;

  std::vector<std::string> names = targets_;
  names.emplace_back(new_target);
  std::string list;
  JoinList(names, &list);
  if (!profile.WriteString(kProjectSection, kTargetKey, list, working_copy_)) return false;
  if (!Flush()) return false;
  ReloadTargets();

  if (!copy_items(folders_) || !Flush()) return false;

  // The new target's caches start from its sections, copies of the existing ones.
  ReloadTargetCache(new_target);
  for (const auto& file : source_files_)
    file->settings().Reload(new_target);
  current_target_ = std::string(new_target);

  std::string dir =
      new_target.substr(0, 1) == "." ? std::string(new_target) : ".\\" + std::string(new_target);
  return SetOutputDir(new_target, dir) && SetTempDir(new_target, dir) &&
         SetDefaultOutputDir(new_target, dir) && SetDefaultTempDir(new_target, dir) &&
         SetDebugFile(new_target) && SetDefaultDebugFile(new_target);
}

bool Project::DeleteTarget(std::string_view target) {
  PrivateProfile& profile = Profile();
  std::vector<std::string> remaining;
  for (const std::string& name : targets_) {
    if (!EqualsNoCase(name, target)) remaining.push_back(name);
  }
  std::string list;
  JoinList(remaining, &list);
  if (!profile.WriteString(kProjectSection, kTargetKey, list, working_copy_)) return false;
  profile.DeleteSection(TargetSection(target), working_copy_);
  for (const auto& file : source_files_) {
    profile.DeleteSection(ItemSection(target, file->RelativePath()), working_copy_);
  }
  for (const std::string& folder : folders_) {
    profile.DeleteSection(ItemSection(target, folder), working_copy_);
  }
  if (!Flush()) return false;
  ReloadTargets();
  RemoveTargetCache(target);
  for (const auto& file : source_files_)
    file->ForgetTarget(target);
  if (EqualsNoCase(current_target_, target)) {
    SetCurrentTarget(targets_.empty() ? std::string() : targets_.front());
  }
  return true;
}

// --- Link list.

void Project::GetLinkList(std::string* text) const {
  JoinList(links_, text);
}

bool Project::AddLink(std::string_view name) {
  for (const std::string& link : links_) {
    if (EqualsNoCase(link, name)) return false;
  }
  links_.emplace_back(name);
  return true;
}

bool Project::RemoveLink(std::string_view name) {
  for (auto it = links_.begin(); it != links_.end(); ++it) {
    if (EqualsNoCase(*it, name)) {
      links_.erase(it);
      return true;
    }
  }
  return false;
}

bool Project::ReplaceLink(std::string_view name, std::string_view new_name) {
  for (std::string& link : links_) {
    if (EqualsNoCase(link, name)) {
      link = std::string(new_name);
      return true;
    }
  }
  return false;
}

void Project::RemoveLinkProjectKey() {
  std::string value;
  if (Profile().Lookup(kProjectSection, kLinkProjectKey, working_copy_, &value)) {
    Profile().DeleteKey(kProjectSection, kLinkProjectKey, working_copy_);
    Flush();
  }
}

// --- Saving.

bool Project::RecordWorkingCopyState() {
  std::string contents;
  if (!Fs().ReadFile(working_copy_, &contents)) return false;
  recorded_size_ = contents.size();
  recorded_hash_ = HashText(contents);
  return true;
}

bool Project::IsModified() {
  if (working_copy_.empty()) return false;
  Flush();
  // Size and contents, not the modification time: two writes within one
  // tick of the file system's clock leave the time as it was.
  std::string contents;
  if (!Fs().ReadFile(working_copy_, &contents)) return false;
  return contents.size() != recorded_size_ || HashText(contents) != recorded_hash_;
}

bool Project::ProjectFileIsReadOnly() {
  FileStatus status;
  return Fs().Stat(project_file_, &status) && status.read_only;
}

bool Project::Save() {
  save_failures_.clear();
  if (environment_->hooks != nullptr && !environment_->hooks->SaveSourceFileData(*this)) {
    save_failures_.push_back(dependency_file_);
  }
  if (IsModified()) {
    std::string on_disk;
    if (Fs().ReadFile(project_file_, &on_disk) &&
        (on_disk.size() != recorded_size_ || HashText(on_disk) != recorded_hash_)) {
      // Another program wrote the file since it was copied: neither version
      // may be lost, so ours goes beside it.
      std::string kept;
      bool saved = MakeUniqueName(Fs(), project_file_ + ".unsaved-XXXXXX", &kept) &&
                   Fs().CopyFile(working_copy_, kept, true);
      save_failures_.push_back(project_file_ + ": changed by another program since it was read; " +
                               (saved ? "the changes not saved are in " + kept
                                      : std::string("the changes could not be kept")));
    } else if (Fs().CopyFile(working_copy_, project_file_, false)) {
      // CopyFile replaces the project file in one step and refuses a read-only one.
      RecordWorkingCopyState();
    } else {
      save_failures_.push_back(project_file_);
    }
  }
  if (makefile_out_of_date_) {
    Fs().SetReadOnly(temp_makefiles_[0], false);
    Fs().DeleteFile(temp_makefiles_[0]);
  }
  return save_failures_.empty();
}

}  // namespace zelvan

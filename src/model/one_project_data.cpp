#include "model/one_project_data.h"

#include <functional>
#include <set>

#include "model/path_functions.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/win_path.h"
#include "storage/profile_data.h"
#include "storage/profile_functions.h"
#include "storage/project_files.h"
#include "storage/working_copy.h"
#include "toolchain/cpu_tools.h"
#include "toolchain/option_text.h"

namespace zelvan {

namespace {

// The buffer the project's identity keys are read with.
constexpr size_t kIdentityBuffer = 32768;
// The archive path of the .kba file is read with at most this many characters.
constexpr size_t kArchivePathBuffer = kArchivePathMax + 1;

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

size_t HashText(std::string_view text) {
  return std::hash<std::string_view>{}(text);
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

COneProjectData::COneProjectData(const Platform& platform, std::string project_file,
                                 std::string relative_path)
    : platform_(platform),
      project_file_(std::move(project_file)),
      relative_path_(std::move(relative_path)) {}

COneProjectData::~COneProjectData() {
  DeleteWorkingCopy();
}

bool COneProjectData::Open(std::string* error) {
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

void COneProjectData::DeleteWorkingCopy() {
  if (working_copy_.empty()) return;
  // Pending writes must not bring the file back after it is gone.
  Profile().Forget(working_copy_);
  Fs().SetReadOnly(working_copy_, false);
  Fs().DeleteFile(working_copy_);
  working_copy_.clear();
}

// --- Whole-file load while the workspace opens.

bool COneProjectData::LoadWholeFile() {
  if (working_copy_.empty()) return false;
  Profile().Flush(working_copy_);
  auto file = std::make_unique<CProfileData>();
  if (!file->Load(Fs(), working_copy_)) return false;
  whole_file_ = std::move(file);
  return true;
}

void COneProjectData::LoadSettings() {
  if (!whole_file_) return;
  std::string legacy_links;
  if (whole_file_->GetValue(kProjectSection, kLinkProjectKey, &legacy_links)) {
    std::vector<std::string> names;
    SplitList(legacy_links, &names);
    for (const std::string& name : names)
      AddLink(name);
  }
  ListFolders(*whole_file_, &folders_, &sources_);
  // Source files with their per-file settings are created from the folder
  // sections here once the model holds them.
}

void COneProjectData::ReleaseWholeFile() {
  whole_file_.reset();
}

void COneProjectData::ListFolders(const CProfileData& file, std::vector<std::string>* folders,
                                  std::vector<std::string>* sources) {
  folders->clear();
  sources->clear();
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
        if (seen_sources.insert(source).second) sources->push_back(source);
      }
      std::string sub;
      if (file.GetValue(folder, kFolderKey, &sub)) visit(sub, depth + 1);
    }
  };
  std::string top;
  file.GetValue(kProjectSection, kFolderKey, &top);
  visit(top, 0);
}

// --- Targets.

void COneProjectData::ReloadTargets() {
  targets_.clear();
  SplitList(ReadKey(kProjectSection, kTargetKey), &targets_);
}

bool COneProjectData::HasTarget(std::string_view target) const {
  for (const std::string& name : targets_) {
    if (EqualsNoCase(name, target)) return true;
  }
  return false;
}

void COneProjectData::SetCurrentTarget(std::string_view target) {
  current_target_ = std::string(target);
  if (!current_target_.empty()) ReloadTargetCache(current_target_);
}

void COneProjectData::ReloadTargetCache(std::string_view target) {
  RefreshProjectCompile(target);
  RefreshDefaultCompile(target);
  RefreshTempDir(target);
  RefreshDefaultTempDir(target);
}

// --- Reading and writing the working copy.

std::string COneProjectData::ReadProjectFileKey(std::string_view key) const {
  return Profile().GetString(kProjectSection, key, "", project_file_, kIdentityBuffer);
}

std::string COneProjectData::ReadKey(std::string_view section, std::string_view key) const {
  return Profile().GetString(section, key, "", working_copy_);
}

std::string COneProjectData::ReadTargetKey(std::string_view target, std::string_view key) const {
  return ReadKey(TargetSection(target), key);
}

bool COneProjectData::WriteTargetKey(std::string_view target, std::string_view key,
                                     std::string_view value, bool flush) {
  if (working_copy_.empty()) return false;
  if (!Profile().WriteString(TargetSection(target), key, value, working_copy_)) return false;
  if (flush && !Flush()) return false;
  target_cache_.SetValue(target, key, value);
  return true;
}

bool COneProjectData::Flush() {
  return Profile().Flush(working_copy_);
}

bool COneProjectData::GetTargetValue(std::string_view target, std::string_view key,
                                     std::string* value) {
  if (target_cache_.GetValue(target, key, value)) return true;
  *value = ReadTargetKey(target, key);
  return true;
}

bool COneProjectData::SetTargetValue(std::string_view target, std::string_view key,
                                     std::string_view value) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, key, value, true);
}

bool COneProjectData::EffectiveOptions(std::string_view target, const char* project_key,
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

bool COneProjectData::GetCompileOptions(std::string_view target, std::string* options) {
  return EffectiveOptions(target, kKeyProjectCompile, kKeyBlankCompileOption, kKeyDefaultCompile,
                          false, options);
}

bool COneProjectData::GetLinkOptions(std::string_view target, std::string* options) {
  return EffectiveOptions(target, kKeyProjectLink, kKeyBlankLinkOption, kKeyDefaultLink, true,
                          options);
}

bool COneProjectData::GetConvertOptions(std::string_view target, std::string* options) {
  options->clear();
  if (!HasTarget(target)) return false;
  *options = ProjectOrDefault(target, kKeyProjectConvert, kKeyDefaultConvert);
  return true;
}

std::string COneProjectData::ProjectOrDefault(std::string_view target, const char* project_key,
                                              const char* default_key) {
  std::string value;
  GetTargetValue(target, project_key, &value);
  if (value.empty()) GetTargetValue(target, default_key, &value);
  return value;
}

bool COneProjectData::GetOutputDir(std::string_view target, std::string* dir) {
  *dir = ProjectOrDefault(target, kKeyOutput, kKeyDefaultOutput);
  return true;
}

bool COneProjectData::GetWorkDir(std::string_view target, std::string* dir) {
  *dir = ProjectOrDefault(target, kKeyWork, kKeyDefaultWork);
  return true;
}

bool COneProjectData::GetTempDir(std::string_view target, std::string* dir) {
  *dir = ProjectOrDefault(target, kKeyTemp, kKeyDefaultTemp);
  return true;
}

bool COneProjectData::GetDebugFile(std::string_view target, std::string* path) {
  *path = ProjectOrDefault(target, kKeyDebug, kKeyDefaultDebug);
  return true;
}

bool COneProjectData::GetOutputDirDirect(std::string_view target, std::string* dir) {
  dir->clear();
  if (!HasTarget(target)) return false;
  *dir = ReadTargetKey(target, kKeyOutput);
  if (dir->empty()) *dir = ReadTargetKey(target, kKeyDefaultOutput);
  return true;
}

bool COneProjectData::GetProjectConvert(std::string_view target, std::string* options) {
  options->clear();
  if (!HasTarget(target)) return false;
  *options = ReadTargetKey(target, kKeyProjectConvert);
  return true;
}

bool COneProjectData::SetDefaultCompile(std::string_view target, std::string_view options) {
  return WriteTargetKey(target, kKeyDefaultCompile, options, true);
}

bool COneProjectData::SetDefaultLink(std::string_view target, std::string_view options) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, kKeyDefaultLink, options, true);
}

bool COneProjectData::SetDefaultConvert(std::string_view target, std::string_view options) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, kKeyDefaultConvert, options, true);
}

bool COneProjectData::SetProjectConvert(std::string_view target, std::string_view options) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, kKeyProjectConvert, options, true);
}

bool COneProjectData::SetProjectCompile(std::string_view target, std::string_view options) {
  if (!HasTarget(target)) return false;
  if (!WriteTargetKey(target, kKeyProjectCompile, options, false)) return false;
  if (!WriteTargetKey(target, kKeyUpdate, "1", true)) return false;
  // Source files whose own options are empty follow the project's options:
  // they are marked for update here once the model holds them.
  return true;
}

bool COneProjectData::SetProjectLink(std::string_view target, std::string_view options) {
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

bool COneProjectData::MoveOutputFile(std::string_view target, std::string_view dir,
                                     const char* dir_key, const char* link_key) {
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

bool COneProjectData::SetOutputDir(std::string_view target, std::string_view dir) {
  return MoveOutputFile(target, dir, kKeyOutput, kKeyProjectLink);
}

bool COneProjectData::SetDefaultOutputDir(std::string_view target, std::string_view dir) {
  return MoveOutputFile(target, dir, kKeyDefaultOutput, kKeyDefaultLink);
}

bool COneProjectData::SetWorkDir(std::string_view target, std::string_view dir) {
  return SetTargetValue(target, kKeyWork, dir);
}

bool COneProjectData::SetTempDir(std::string_view target, std::string_view dir) {
  return SetTargetValue(target, kKeyTemp, dir);
}

bool COneProjectData::SetDefaultTempDir(std::string_view target, std::string_view dir) {
  return SetTargetValue(target, kKeyDefaultTemp, dir);
}

std::string COneProjectData::DebugFileFor(std::string_view target, bool default_dir) {
  std::string dir;
  if (default_dir) {
    GetTargetValue(target, kKeyDefaultOutput, &dir);
  } else {
    GetOutputDir(target, &dir);
  }
  return StringPrintf("%s\\%s", StripTrailingBackslash(dir).c_str(), output_name_.c_str());
}

bool COneProjectData::SetDebugFile(std::string_view target) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, kKeyDebug, DebugFileFor(target, false), true);
}

bool COneProjectData::SetDefaultDebugFile(std::string_view target) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, kKeyDefaultDebug, DebugFileFor(target, true), true);
}

bool COneProjectData::SetDebugFilePath(std::string_view target, std::string_view path) {
  return SetTargetValue(target, kKeyDebug, path);
}

bool COneProjectData::MarkUpdate(std::string_view target) {
  if (!HasTarget(target)) return false;
  return WriteTargetKey(target, kKeyUpdate, "1", false);
}

bool COneProjectData::NeedsUpdate(std::string_view target) {
  std::string update;
  GetTargetValue(target, kKeyUpdate, &update);
  if (!update.empty()) return true;
  GetTargetValue(target, kKeyUpdateConvert, &update);
  // Source files that need an update for the target count here too once
  // the model holds them.
  return !update.empty();
}

void COneProjectData::RefreshTempDir(std::string_view target) {
  target_cache_.SetValue(target, kKeyTemp, ReadTargetKey(target, kKeyTemp));
}

void COneProjectData::RefreshDefaultTempDir(std::string_view target) {
  target_cache_.SetValue(target, kKeyDefaultTemp, ReadTargetKey(target, kKeyDefaultTemp));
}

void COneProjectData::RefreshDefaultCompile(std::string_view target) {
  target_cache_.SetValue(target, kKeyDefaultCompile, ReadTargetKey(target, kKeyDefaultCompile));
}

void COneProjectData::RefreshProjectCompile(std::string_view target) {
  target_cache_.SetValue(target, kKeyProjectCompile, ReadTargetKey(target, kKeyProjectCompile));
  target_cache_.SetValue(target, kKeyBlankCompileOption,
                         ReadTargetKey(target, kKeyBlankCompileOption));
}

void COneProjectData::RemoveTargetCache(std::string_view target) {
  target_cache_.RemoveSection(target);
}

// --- System directories.

std::string COneProjectData::SystemDirectoryOption(const std::vector<std::string>& dirs,
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

bool COneProjectData::GetSystemLibraryOption(const CCPUTools& cpus, std::string* text) {
  std::vector<std::string> dirs;
  bool known = cpus.GetLibraryDirs(cpu_, &dirs);
  *text = SystemDirectoryOption(dirs, "SysLibraryPath", " -L ");
  return known;
}

bool COneProjectData::GetSystemIncludeOption(const CCPUTools& cpus, std::string* text) {
  std::vector<std::string> dirs;
  bool known = cpus.GetIncludeDirs(cpu_, &dirs);
  *text = SystemDirectoryOption(dirs, "SysIncludePath", " -I ");
  return known;
}

// --- Targets added and removed.

bool COneProjectData::CopyTarget(std::string_view existing, std::string_view new_target) {
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
  if (!copy_items(sources_)) return false;

  std::vector<std::string> names = targets_;
  names.emplace_back(new_target);
  std::string list;
  JoinList(names, &list);
  if (!profile.WriteString(kProjectSection, kTargetKey, list, working_copy_)) return false;
  if (!Flush()) return false;
  ReloadTargets();

  if (!copy_items(folders_) || !Flush()) return false;

  // The new target's cache starts from its section, a copy of the existing one.
  ReloadTargetCache(new_target);
  current_target_ = std::string(new_target);

  std::string dir =
      new_target.substr(0, 1) == "." ? std::string(new_target) : ".\\" + std::string(new_target);
  return SetOutputDir(new_target, dir) && SetTempDir(new_target, dir) &&
         SetDefaultOutputDir(new_target, dir) && SetDefaultTempDir(new_target, dir) &&
         SetDebugFile(new_target) && SetDefaultDebugFile(new_target);
}

bool COneProjectData::DeleteTarget(std::string_view target) {
  PrivateProfile& profile = Profile();
  std::vector<std::string> remaining;
  for (const std::string& name : targets_) {
    if (!EqualsNoCase(name, target)) remaining.push_back(name);
  }
  std::string list;
  JoinList(remaining, &list);
  if (!profile.WriteString(kProjectSection, kTargetKey, list, working_copy_)) return false;
  profile.DeleteSection(TargetSection(target), working_copy_);
  for (const std::string& source : sources_) {
    profile.DeleteSection(ItemSection(target, source), working_copy_);
  }
  for (const std::string& folder : folders_) {
    profile.DeleteSection(ItemSection(target, folder), working_copy_);
  }
  if (!Flush()) return false;
  ReloadTargets();
  RemoveTargetCache(target);
  if (EqualsNoCase(current_target_, target)) {
    SetCurrentTarget(targets_.empty() ? std::string() : targets_.front());
  }
  return true;
}

// --- Link list.

void COneProjectData::GetLinkList(std::string* text) const {
  JoinList(links_, text);
}

bool COneProjectData::AddLink(std::string_view name) {
  for (const std::string& link : links_) {
    if (EqualsNoCase(link, name)) return false;
  }
  links_.emplace_back(name);
  return true;
}

bool COneProjectData::RemoveLink(std::string_view name) {
  for (auto it = links_.begin(); it != links_.end(); ++it) {
    if (EqualsNoCase(*it, name)) {
      links_.erase(it);
      return true;
    }
  }
  return false;
}

void COneProjectData::RemoveLinkProjectKey() {
  std::string value;
  if (Profile().Lookup(kProjectSection, kLinkProjectKey, working_copy_, &value)) {
    Profile().DeleteKey(kProjectSection, kLinkProjectKey, working_copy_);
    Flush();
  }
}

// --- Saving.

bool COneProjectData::RecordWorkingCopyState() {
  std::string contents;
  if (!Fs().ReadFile(working_copy_, &contents)) return false;
  recorded_size_ = contents.size();
  recorded_hash_ = HashText(contents);
  return true;
}

bool COneProjectData::IsModified() {
  if (working_copy_.empty()) return false;
  Flush();
  // Size and contents, not the modification time: two writes within one
  // tick of the file system's clock leave the time as it was.
  std::string contents;
  if (!Fs().ReadFile(working_copy_, &contents)) return false;
  return contents.size() != recorded_size_ || HashText(contents) != recorded_hash_;
}

bool COneProjectData::ProjectFileIsReadOnly() {
  FileStatus status;
  return Fs().Stat(project_file_, &status) && status.read_only;
}

bool COneProjectData::Save() {
  bool ok = true;
  if (IsModified()) {
    // Source-file data is saved here too once the model holds source files.
    // CopyFile replaces the project file in one step and refuses a read-only one.
    if (Fs().CopyFile(working_copy_, project_file_, false)) {
      RecordWorkingCopyState();
    } else {
      ok = false;
    }
  }
  if (makefile_out_of_date_) {
    Fs().SetReadOnly(temp_makefiles_[0], false);
    Fs().DeleteFile(temp_makefiles_[0]);
  }
  return ok;
}

}  // namespace zelvan

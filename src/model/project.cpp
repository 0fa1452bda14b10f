#include "model/project.h"

#include "model/path_functions.h"
#include "model/source_file.h"
#include "model/workspace_hooks.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/win_path.h"
#include "storage/profile_data.h"
#include "storage/project_files.h"
#include "toolchain/cpu_table.h"
#include "toolchain/language_table.h"

namespace zelvan {

namespace {

// The buffer the project's identity keys are read with.
constexpr size_t kIdentityBuffer = 32768;
// The archive path of the .kba file is read with at most this many characters.
constexpr size_t kArchivePathBuffer = kArchivePathMax + 1;

std::string WithExtension(std::string_view path, std::string_view extension) {
  PathParts parts = SplitPath(path);
  return MakePath(parts.drive, parts.directory, parts.title, extension);
}

}  // namespace

Project::Project(const Platform& platform, std::string project_file, std::string relative_path,
                 const ProjectEnvironment* environment)
    : platform_(platform),
      environment_(environment),
      store_(platform, paths_),
      targets_(*this),
      sources_(*this),
      links_(store_) {
  paths_.project_file = std::move(project_file);
  paths_.relative_path = std::move(relative_path);
  if (environment_ == nullptr || environment_->languages == nullptr) {
    own_languages_ = std::make_unique<LanguageTable>();
    if (environment_ != nullptr) own_environment_ = *environment_;
    own_environment_.languages = own_languages_.get();
    environment_ = &own_environment_;
  }
}

Project::~Project() {
  // The files go first: they refer to the project.
  sources_.Clear();
  // Before the working copy goes: the hooks know the project by it.
  if (environment_->hooks != nullptr) environment_->hooks->ProjectClosed(*this);
  store_.DeleteWorkingCopy();
}

bool Project::Open(std::string* error) {
  const std::string& project_file = paths_.project_file;
  paths_.dependency_file = WithExtension(project_file, kDependencyExtension);
  paths_.makefile = WithExtension(project_file, kMakefileExtension);
  paths_.ide_project_file = WithExtension(project_file, kIdeProjectExtension);
  paths_.output_name = ReadProjectFileKey(kOutputKey);
  cpu_ = ReadProjectFileKey(kCpuKey);
  cpu_family_ = ReadProjectFileKey(kCpuFamilyKey);

  PathParts parts = SplitPath(project_file);
  paths_.drive = parts.drive;
  paths_.directory = parts.directory;
  paths_.base_name = parts.title;
  paths_.extension = parts.extension;
  if (!store_.CreateWorkingCopy(error)) return false;

  paths_.archive_settings = WithExtension(project_file, kArchiveSettingsExtension);
  std::string archive = platform_.profile->GetString(kArchiveSection, kArchivePathKey, "",
                                                     paths_.archive_settings, kArchivePathBuffer);
  paths_.archive.clear();
  if (!archive.empty()) {
    GetFullPathName(archive, paths_.drive + paths_.directory, &paths_.archive);
  }

  paths_.compiler_settings = WithExtension(project_file, kCompilerSettingsExtension);
  paths_.options_file = WithExtension(project_file, kProjectOptionsExtension);
  paths_.function_database = WithExtension(project_file, kFunctionDatabaseExtension);
  is_library_ = IsLibraryOutput(paths_.output_name);

  targets_.SetList(ReadProjectFileKey(kTargetKey));

  paths_.project_directory = paths_.drive + paths_.directory;
  paths_.temp_makefiles[0] = paths_.project_directory + std::string(kTempMakefile);
  paths_.temp_makefiles[1] = paths_.project_directory + std::string(kTempFalMakefile);
  paths_.temp_makefiles[2] = paths_.project_directory + std::string(kTempAbsMakefile);
  paths_.temp_makefiles[3] = paths_.project_directory + std::string(kTempPreMakefile);
  return true;
}

void Project::LoadSettings() {
  const ProfileData* whole_file = store_.WholeFile();
  if (whole_file == nullptr) return;
  links_.LoadLinkProjectKey(*whole_file);
  sources_.Load(*whole_file);
}

std::string Project::ReadProjectFileKey(std::string_view key) const {
  return platform_.profile->GetString(kProjectSection, key, "", paths_.project_file,
                                      kIdentityBuffer);
}

// --- System directories.

std::string Project::SystemDirectoryOption(const std::vector<std::string>& dirs,
                                           const char* variable, const char* option) {
  std::string collected;
  for (const std::string& dir : dirs) {
    std::string kept = dir;
    if (dir.find(' ') != std::string::npos && !platform_.fs->GetShortPathName(dir, &kept)) {
      continue;
    }
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

bool Project::Save() {
  bool source_data_saved =
      environment_->hooks == nullptr || environment_->hooks->SaveSourceFileData(*this);
  bool saved = store_.Save(source_data_saved);
  if (environment_->hooks != nullptr) environment_->hooks->ProjectSaved(*this);
  return saved;
}

}  // namespace zelvan

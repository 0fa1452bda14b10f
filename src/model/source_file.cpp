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

SourceFile::SourceFile(std::string full_path, Project& project, bool skip_dependency_state)
    : project_(&project), full_path_(std::move(full_path)), settings_(*this) {
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

void SourceFile::RefreshExists() {
  file_info_.Set(BuilderFileInfo::kExists, FileExists(*project_->platform().fs, full_path_));
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
  if (tool_kind_ != kToolIndexLink || HasFlag(kLinkCommandFile) || !settings_.IsBuilt(target))
    return false;
  list->push_back(relative_path_);
  return true;
}

bool SourceFile::GetImageIndex(std::string_view target, int32_t* index) const {
  std::string chosen(target);
  if (!project_->targets().Has(chosen) && !project_->targets().List().empty()) {
    chosen = project_->targets().List().front();
  }
  if (HasFlag(kLinkCommandFile)) {
    *index = settings_.IsLcfUsed(chosen) ? 22 : 16;
    return true;
  }
  *index = image_base_;
  if (!settings_.IsBuilt(chosen)) {
    *index = 16;
  } else if (settings_.GetCustomBuild(chosen) != 0 &&
             (tool_kind_ == kToolIndexLink || tool_kind_ == -1)) {
    *index = 20;
  }
  return true;
}

bool SourceFile::GetToolLabel(std::string_view target, std::string* label) const {
  if (settings_.GetCustomBuild(target) != 0) {
    *label = "Custom Build";
  } else if (tool_kind_ == -1 && !HasFlag(kConfigFile)) {
    label->clear();
  } else {
    *label = "Lang Tool";
  }
  return true;
}

void SourceFile::ForgetTarget(std::string_view target) {
  settings_.Forget(target);
  std::erase_if(dependencies_.records, [&](const DependencyRecord& record) {
    return EqualsNoCase(record.target(), target);
  });
}

}  // namespace zelvan

#include "storage/old_project_files.h"

#include <string>

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/private_profile.h"
#include "platform/win_path.h"
#include "storage/project_files.h"

namespace zelvan {

OldFileKind ClassifyOldFile(const Platform& platform, std::string_view path) {
  std::string extension = SplitPath(path).extension;
  std::string_view bare =
      extension.empty() ? std::string_view() : std::string_view(extension).substr(1);
  if (EqualsNoCase(bare, kIgnoredProjectExtension)) return OldFileKind::kIgnored;
  if (!EqualsNoCase(bare, kOldWorkspaceExtension) && !EqualsNoCase(bare, kOldProjectExtension)) {
    return OldFileKind::kNotOld;
  }
  if (!FileExists(*platform.fs, path)) return OldFileKind::kMissing;
  std::string type = platform.profile->GetString(kSignatureSection, kTypeKey, "", path);
  if (type == kOldWorkspaceSignature) return OldFileKind::kWorkspace;
  if (type == kOldProjectSignature) return OldFileKind::kProject;
  return OldFileKind::kOlderKind;
}

}  // namespace zelvan

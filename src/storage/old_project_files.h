// Files of the older IDE generation, recognised by extension and by the
// value of SIGNATURE/TYPE:
//
//   [SIGNATURE]
//   TYPE=KOVA_WSP      (a workspace; KOVA_PRJ marks a project)
//
// A ".kiw" or ".kip" file without one of these values is of a still older
// kind. Files with the extension ".bprj" are accepted and ignored.
#pragma once

#include <string_view>

namespace zelvan {

struct Platform;

enum class OldFileKind {
  kNotOld,     // none of the extensions above
  kMissing,    // a ".kiw" or ".kip" path where no file is
  kWorkspace,  // TYPE=KOVA_WSP
  kProject,    // TYPE=KOVA_PRJ
  kOlderKind,  // ".kiw" or ".kip" without either signature
  kIgnored,    // ".bprj"
};

OldFileKind ClassifyOldFile(const Platform& platform, std::string_view path);

}  // namespace zelvan

// Path helpers of the project model: relative paths inside a workspace and a
// project, and the quoting of paths for makefiles. Pure text work on paths in
// Windows form; comparisons ignore ASCII case. FileNamePart (the text after
// the last `\` or `/`) is the platform's, in platform/win_path.h.
#pragma once

#include <string>
#include <string_view>

#include "platform/win_path.h"

namespace zelvan {

// `path` relative to the directory of `base` (a file path, or a directory
// path ending in `\`):
//   - a network path ("\\server\...") is returned unchanged;
//   - same drive and directory: the file name alone;
//   - same drive, other directory: "..\" once per directory of the base below
//     the common part, then the path's own directories, then the file name;
//     with no common directory at all, the whole path;
//   - another drive: the whole path.
void MakeRelativePath(std::string_view base, std::string_view path, std::string* out);

// MakeRelativePath, then ".\" in front of a result that is still relative and
// does not begin with `.` ("a.c" gives ".\a.c", "..\b\a.c" stays).
void MakeRelativePathDot(std::string_view base, std::string_view path, std::string* out);

// A path holding a blank, enclosed in double quotes; others unchanged.
void QuoteIfBlank(std::string_view path, std::string* out);
std::string QuoteIfBlank(std::string_view path);

// Why a build could not name a file of this name (a path in Windows form),
// or empty when it can: GNU make cannot write a control character, ";",
// "|", "%", "*" or "?" in a rule, nor a double-byte character whose trail
// byte (a `\`) stands before a blank, "#", ":" or the end, which make
// reads as an escape; a `"` would end the quotes around the name.
std::string UnbuildableNameReason(std::string_view path);

// Removes one trailing `\`.
void StripTrailingBackslash(std::string_view path, std::string* out);
std::string StripTrailingBackslash(std::string_view path);

}  // namespace zelvan

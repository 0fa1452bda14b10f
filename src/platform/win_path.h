// Paths in Windows form, as the system keeps them everywhere.
//
// A path has `\` separators (a `/` is accepted as one), an optional drive
// `X:`, or the network form `\\server\share\...`. A directory path ends in
// `\`. These functions are pure text work: they never touch a file system.
// Double-byte characters are honoured where paths are split: a trail byte is
// never taken for a separator (see IsLeadByte in ansi_text.h).
//
// A rooted path without a drive (`\home\me\a.kbp`) names a path below the
// host's root directory; on this platform it is a full path as much as
// `C:\a.kbp` is, also when the current directory is on a drive or share (where
// Windows would take that drive's root instead).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

struct PathParts {
  std::string drive;      // "C:" or empty
  std::string directory;  // up to and including the last separator, or empty
  std::string title;      // file name without extension
  std::string extension;  // from the last dot of the file name, with the dot, or empty
};

// Splits the way the C runtime's _splitpath does.
PathParts SplitPath(std::string_view path);
// The inverse: drive + directory (a separator added when missing) + title + extension
// (a dot added when missing), like _makepath.
std::string MakePath(std::string_view drive, std::string_view directory, std::string_view title,
                     std::string_view extension);

bool IsPathSeparator(char c);
// Index of the last separator, honouring double-byte characters; npos when none.
size_t FindLastSeparator(std::string_view path);

// "X:" at the start.
bool HasDrive(std::string_view path);
// "\\server\..." (or with forward slashes).
bool IsNetworkPath(std::string_view path);
// A valid absolute path: "X:\...", "\\server\share..." or a rooted "\..." (host root).
bool IsFullPath(std::string_view path);

// Appends `\` unless the text already ends with a separator.
std::string AppendLastSlash(std::string_view path);
// Removes one trailing `\` (or `/`).
std::string StripTrailingSlash(std::string_view path);
// The path with every `\` made `/` (not the trail byte of a double-byte
// character): the form for texts a host tool reads.
std::string ForwardSlashes(std::string_view path);
// Drive and directory of a path ("C:\a\b.c" gives "C:\a\").
std::string GetFileDirectory(std::string_view path);
// The text after the last `\` or `/`.
std::string FileNamePart(std::string_view path);
// The names between separators, empty ones dropped ("a\\b\" gives a, b).
std::vector<std::string_view> PathComponents(std::string_view path);

// Canonical full path: `/` become `\`, runs of separators collapse, `.` and
// `..` are resolved, and a relative path is taken against `current_dir`
// (itself a full path). A rooted path ("\a") stays below the host's root;
// "X:a" takes `current_dir` when it is on drive X, else X's
// root. `..` never climbs above the root or the network share. A trailing
// separator is kept. Returns false for an empty path, a malformed network
// path, or a relative one with an unusable `current_dir` (empty: unknown).
bool GetFullPathName(std::string_view path, std::string_view current_dir, std::string* out);

// Compare whole paths without regard to ASCII case (no normalisation).
bool PathEquals(std::string_view a, std::string_view b);

// "name.ext" comparisons of two file names (directories ignored): 1 when equal ignoring case.
bool CompareFileNameAndExt(std::string_view a, std::string_view b);

}  // namespace zelvan

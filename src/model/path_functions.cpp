#include "model/path_functions.h"

#include <algorithm>
#include <vector>

#include "platform/ansi_text.h"

namespace zelvan {

namespace {

// Directory components between separators; empty pieces (the root, doubled
// separators) carry no name and are left out.
std::vector<std::string_view> DirectoryComponents(std::string_view directory) {
  std::vector<std::string_view> parts;
  // At most one part more than separators: one allocation, not one per doubling.
  parts.reserve(1 + static_cast<size_t>(std::count_if(directory.begin(), directory.end(),
                                                      [](char c) { return IsPathSeparator(c); })));
  size_t start = 0;
  for (size_t i = 0; i <= directory.size(); ++i) {
    bool at_end = i == directory.size();
    if (!at_end && IsLeadByte(static_cast<unsigned char>(directory[i])) &&
        i + 1 < directory.size()) {
      ++i;  // a trail byte is never a separator
      continue;
    }
    if (at_end || IsPathSeparator(directory[i])) {
      if (i > start) parts.push_back(directory.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

}  // namespace

void MakeRelativePath(std::string_view base, std::string_view path, std::string* out) {
  PathParts target = SplitPath(path);
  if (target.drive.empty() && IsNetworkPath(target.directory)) {
    *out = std::string(path);
    return;
  }
  PathParts from = SplitPath(base);
  std::string name = target.title + target.extension;
  if (!EqualsNoCase(from.drive, target.drive)) {
    *out = std::string(path);
    return;
  }
  if (EqualsNoCase(from.directory, target.directory)) {
    *out = name;
    return;
  }
  std::vector<std::string_view> base_dirs = DirectoryComponents(from.directory);
  std::vector<std::string_view> path_dirs = DirectoryComponents(target.directory);
  size_t common = 0;
  while (common < base_dirs.size() && common < path_dirs.size() &&
         EqualsNoCase(base_dirs[common], path_dirs[common])) {
    ++common;
  }
  if (common == 0) {
    *out = std::string(path);
    return;
  }
  std::string result;
  for (size_t i = common; i < base_dirs.size(); ++i)
    result += "..\\";
  for (size_t i = common; i < path_dirs.size(); ++i) {
    result.append(path_dirs[i]);
    result += '\\';
  }
  result += name;
  *out = std::move(result);
}

void MakeRelativePathDot(std::string_view base, std::string_view path, std::string* out) {
  std::string relative;
  MakeRelativePath(base, path, &relative);
  // A rooted path ("\dir\a.c") is as absolute as one with a drive: it gets no prefix.
  if (!relative.empty() && relative[0] != '.' && !HasDrive(relative) &&
      !IsPathSeparator(relative[0])) {
    relative.insert(0, ".\\");
  }
  *out = std::move(relative);
}

void QuoteIfBlank(std::string_view path, std::string* out) {
  // A loop: find_first_of costs a memchr per character, and makefiles
  // quote every path they write.
  bool blank = false;
  for (char c : path)
    blank = blank || c == ' ' || c == '\t';
  if (blank) {
    *out = "\"" + std::string(path) + "\"";
  } else {
    *out = std::string(path);
  }
}

std::string QuoteIfBlank(std::string_view path) {
  std::string out;
  QuoteIfBlank(path, &out);
  return out;
}

void StripTrailingBackslash(std::string_view path, std::string* out) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  *out = std::string(path);
}

std::string StripTrailingBackslash(std::string_view path) {
  std::string out;
  StripTrailingBackslash(path, &out);
  return out;
}

std::string UnbuildableNameReason(std::string_view path) {
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    if (c < 0x20 || c == 0x7f) return "the name holds a control character";
    if (std::string_view(";|%*?\"").find(static_cast<char>(c)) != std::string_view::npos) {
      return std::string("the name holds `") + static_cast<char>(c) +
             "`, which a build cannot name";
    }
    if (IsLeadByte(c) && i + 1 < path.size()) {
      ++i;
      if (path[i] == '\\' && (i + 1 == path.size() || std::string_view(" #:").find(path[i + 1]) !=
                                                          std::string_view::npos)) {
        return "the name holds a double-byte character whose second byte, a `\\`, stands before "
               "a blank, `#`, `:` or the end, which a build cannot name";
      }
    }
  }
  return std::string();
}

}  // namespace zelvan

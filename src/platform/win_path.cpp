#include "platform/win_path.h"

#include <algorithm>
#include <vector>

#include "platform/ansi_text.h"

namespace zelvan {

bool IsPathSeparator(char c) {
  return c == '\\' || c == '/';
}

size_t FindLastSeparator(std::string_view path) {
  size_t last = std::string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;  // the trail byte may look like a separator; it is not one
      continue;
    }
    if (IsPathSeparator(path[i])) last = i;
  }
  return last;
}

std::string ForwardSlashes(std::string_view path) {
  std::string out(path);
  for (size_t i = 0; i < out.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(out[i])) && i + 1 < out.size()) {
      ++i;
    } else if (out[i] == '\\') {
      out[i] = '/';
    }
  }
  return out;
}

PathParts SplitPath(std::string_view path) {
  PathParts parts;
  if (HasDrive(path)) {
    parts.drive = std::string(path.substr(0, 2));
    path.remove_prefix(2);
  }
  size_t slash = FindLastSeparator(path);
  if (slash != std::string_view::npos) {
    parts.directory = std::string(path.substr(0, slash + 1));
    path.remove_prefix(slash + 1);
  }
  // The extension starts at the last dot of the file name (double-byte aware).
  size_t dot = std::string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (path[i] == '.') dot = i;
  }
  if (dot == std::string_view::npos) {
    parts.title = std::string(path);
  } else {
    parts.title = std::string(path.substr(0, dot));
    parts.extension = std::string(path.substr(dot));
  }
  return parts;
}

std::string MakePath(std::string_view drive, std::string_view directory, std::string_view title,
                     std::string_view extension) {
  std::string out;
  if (!drive.empty()) {
    out += drive.substr(0, 1);
    out += ':';
  }
  if (!directory.empty()) {
    out += directory;
    if (!IsPathSeparator(out.back())) out += '\\';
  }
  out += title;
  if (!extension.empty()) {
    if (extension.front() != '.') out += '.';
    out += extension;
  }
  return out;
}

bool HasDrive(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') return false;
  char c = path[0];
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsNetworkPath(std::string_view path) {
  return path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
}

bool IsFullPath(std::string_view path) {
  if (HasDrive(path)) return path.size() >= 3 && IsPathSeparator(path[2]);
  if (IsNetworkPath(path)) {
    // \\server\share at least.
    std::string_view rest = path.substr(2);
    size_t sep = 0;
    while (sep < rest.size() && !IsPathSeparator(rest[sep]))
      ++sep;
    return sep > 0 && sep + 1 < rest.size() && !IsPathSeparator(rest[sep + 1]);
  }
  return !path.empty() && IsPathSeparator(path[0]);
}

std::string AppendLastSlash(std::string_view path) {
  std::string out(path);
  if (out.empty() || !IsPathSeparator(out.back())) out += '\\';
  return out;
}

std::string StripTrailingSlash(std::string_view path) {
  if (!path.empty() && IsPathSeparator(path.back())) path.remove_suffix(1);
  return std::string(path);
}

std::string GetFileDirectory(std::string_view path) {
  PathParts parts = SplitPath(path);
  return parts.drive + parts.directory;
}

std::string FileNamePart(std::string_view path) {
  size_t slash = FindLastSeparator(path);
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::vector<std::string_view> PathComponents(std::string_view text) {
  std::vector<std::string_view> out;
  // At most one component more than separators: one allocation, not one per doubling.
  out.reserve(1 + static_cast<size_t>(std::count_if(text.begin(), text.end(),
                                                    [](char c) { return IsPathSeparator(c); })));
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    // A lead byte takes the next byte with it; a lead byte at the very end stands alone.
    bool lead = i + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[i]));
    if (lead) {
      ++i;
      continue;
    }
    if (i == text.size() || IsPathSeparator(text[i])) {
      if (i > start) out.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return out;
}

namespace {

// Root of a full path ("C:\", "\\server\share\", "\") and the text after it.
bool SplitRoot(std::string_view path, std::string* root, std::string_view* rest) {
  if (HasDrive(path)) {
    if (path.size() < 3 || !IsPathSeparator(path[2])) return false;
    *root = std::string(1, ToUpperAscii(path[0])) + ":\\";
    *rest = path.substr(3);
    return true;
  }
  if (IsNetworkPath(path)) {
    std::string_view after = path.substr(2);
    std::vector<std::string_view> parts;
    size_t pos = 0;
    for (int n = 0; n < 2; ++n) {
      size_t start = pos;
      while (pos < after.size() && !IsPathSeparator(after[pos]))
        ++pos;
      if (pos == start) return false;
      parts.push_back(after.substr(start, pos - start));
      if (pos < after.size()) ++pos;
    }
    *root = "\\\\" + std::string(parts[0]) + "\\" + std::string(parts[1]) + "\\";
    *rest = pos <= after.size() ? after.substr(pos) : std::string_view();
    return true;
  }
  if (!path.empty() && IsPathSeparator(path[0])) {
    *root = "\\";
    *rest = path.substr(1);
    return true;
  }
  return false;
}

// True for a path GetFullPathName gives back as it is: an upper-case drive,
// "\\" between the parts, none empty, "." or "..", and single-byte text.
bool IsFullPathAlready(std::string_view path) {
  if (path.size() < 3 || path[0] < 'A' || path[0] > 'Z' || path[1] != ':' || path[2] != '\\') {
    return false;
  }
  size_t start = 3;
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i < path.size()) {
      const unsigned char c = static_cast<unsigned char>(path[i]);
      if (c >= 0x80 || c == '/') return false;
      if (c != '\\') continue;
    }
    std::string_view part = path.substr(start, i - start);
    if ((part.empty() && i < path.size()) || part == "." || part == "..") return false;
    start = i + 1;
  }
  return true;
}

}  // namespace

bool GetFullPathName(std::string_view path, std::string_view current_dir, std::string* out) {
  if (path.empty()) return false;
  // Most paths asked about are full already (every profile read asks):
  // they need none of the copies below.
  if (IsFullPathAlready(path)) {
    out->assign(path);
    return true;
  }
  std::string cwd_root;
  std::string_view cwd_rest;
  std::string combined;
  bool rooted_with_drive = HasDrive(path) && path.size() >= 3 && IsPathSeparator(path[2]);
  if (rooted_with_drive || IsNetworkPath(path)) {
    combined = std::string(path);
  } else {
    // Only a relative path needs the current directory: a rooted one
    // resolves without it (an unknown one is empty).
    bool relative = !HasDrive(path) && !IsPathSeparator(path[0]);
    if (relative && !SplitRoot(current_dir, &cwd_root, &cwd_rest)) return false;
    if (HasDrive(path)) {
      // "X:rest": relative to the current directory when it is on drive X.
      if (HasDrive(current_dir) && ToUpperAscii(current_dir[0]) == ToUpperAscii(path[0])) {
        combined = AppendLastSlash(current_dir) + std::string(path.substr(2));
      } else {
        combined = std::string(path.substr(0, 2)) + "\\" + std::string(path.substr(2));
      }
    } else if (IsPathSeparator(path[0])) {
      // A rooted path without a drive names the host's root, whatever drive
      // the current directory is on: that is the only way to reach it.
      combined = std::string(path);
    } else {
      combined = AppendLastSlash(current_dir) + std::string(path);
    }
  }
  std::string root;
  std::string_view rest;
  if (!SplitRoot(combined, &root, &rest)) return false;
  std::vector<std::string_view> parts = PathComponents(rest);
  std::vector<std::string_view> stack;
  stack.reserve(parts.size());
  for (std::string_view part : parts) {
    if (part == ".") continue;
    if (part == "..") {
      if (!stack.empty()) stack.pop_back();
      continue;
    }
    stack.push_back(part);
  }
  std::string result;
  result.reserve(combined.size() + 1);
  result = root;
  for (size_t i = 0; i < stack.size(); ++i) {
    if (i > 0) result += '\\';
    result += stack[i];
  }
  bool trailing = !rest.empty() && IsPathSeparator(combined.back()) && !stack.empty();
  if (trailing) result += '\\';
  *out = std::move(result);
  return true;
}

bool PathEquals(std::string_view a, std::string_view b) {
  return EqualsNoCase(a, b);
}

bool CompareFileNameAndExt(std::string_view a, std::string_view b) {
  return EqualsNoCase(FileNamePart(a), FileNamePart(b));
}

}  // namespace zelvan

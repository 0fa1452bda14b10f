#include "platform/file_system.h"

#include <atomic>
#include <chrono>
#include <random>

#include "platform/ansi_text.h"
#include "platform/win_path.h"

namespace zelvan {

std::string FileSystem::FullPath(std::string_view path) const {
  std::string full;
  if (!GetFullPathName(path, GetCurrentDirectory(), &full)) return std::string(path);
  return full;
}

bool FileExists(FileSystem& fs, std::string_view path) {
  FileStatus status;
  return fs.Stat(path, &status) && !status.is_directory;
}

bool DirectoryExists(FileSystem& fs, std::string_view path) {
  FileStatus status;
  return fs.Stat(path, &status) && status.is_directory;
}

namespace {

std::string RandomSuffix() {
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<uint64_t> counter{0};
  static thread_local std::mt19937_64 rng(
      std::random_device{}() ^
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  uint64_t value = rng() ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
  std::string out;
  for (int i = 0; i < 6; ++i) {
    out += kChars[value % 36];
    value /= 36;
  }
  return out;
}

}  // namespace

bool MakeUniqueName(FileSystem& fs, std::string_view pattern, std::string* path) {
  if (pattern.size() < 6 || pattern.substr(pattern.size() - 6) != "XXXXXX") return false;
  std::string_view stem = pattern.substr(0, pattern.size() - 6);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = std::string(stem) + RandomSuffix();
    FileStatus status;
    if (!fs.Stat(candidate, &status)) {
      *path = std::move(candidate);
      return true;
    }
  }
  return false;
}

bool WriteFileAtomic(FileSystem& fs, std::string_view path, std::string_view contents,
                     std::string* error, Durability durability) {
  auto fail = [&](const std::string& reason) {
    if (error) *error = reason;
    return false;
  };
  FileStatus existing;
  if (fs.Stat(path, &existing)) {
    if (existing.is_directory) return fail("is a directory");
    if (existing.read_only) return fail("the file is read-only");
  }
  std::string temp;
  if (!MakeUniqueName(fs, std::string(path) + ".~zvXXXXXX", &temp)) {
    return fail("no temporary name beside the file");
  }
  std::unique_ptr<WritableFile> file = fs.OpenForWrite(temp);
  if (!file) return fail("cannot create a temporary file beside the file");
  bool ok = file->Append(contents) && file->Flush() &&
            (durability == Durability::kScratch || file->Sync());
  bool closed = file->Close();
  file.reset();
  if (!ok || !closed) {
    fs.DeleteFile(temp);
    return fail("writing the temporary file failed");
  }
  if (!fs.Rename(temp, path)) {
    fs.DeleteFile(temp);
    return fail("replacing the file failed");
  }
  return true;
}

bool CreateDirectories(FileSystem& fs, std::string_view path) {
  std::string full = fs.FullPath(path);
  std::string dir = StripTrailingSlash(full);
  if (dir.empty()) return false;
  if (DirectoryExists(fs, dir)) return true;
  std::string parent = GetFileDirectory(dir);
  if (!parent.empty() && StripTrailingSlash(parent) != dir && parent != full) {
    std::string parent_dir = StripTrailingSlash(parent);
    // The root itself ("C:", "\") always exists or never will.
    if (!parent_dir.empty() && !(parent_dir.size() == 2 && parent_dir[1] == ':')) {
      if (!CreateDirectories(fs, parent)) return false;
    }
  }
  if (fs.CreateDirectory(dir)) return true;
  return DirectoryExists(fs, dir);  // made meanwhile by someone else
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  // Iterative wildcard match with backtracking on the last `*`.
  size_t n = 0, p = 0, star = std::string_view::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || ToLowerAscii(pattern[p]) == ToLowerAscii(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

}  // namespace zelvan

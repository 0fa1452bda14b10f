#include "platform/file_system.h"

#include <errno.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "platform/ansi_text.h"
#include "platform/os_error.h"
#include "platform/process_tag.h"
#include "platform/undo_journal.h"
#include "platform/win_path.h"

namespace zelvan {

std::string PathMapper::FullPath(std::string_view path) const {
  std::string full;
  if (!GetFullPathName(path, GetCurrentDirectory(), &full)) return std::string(path);
  return full;
}

Status FileSystem::AppendToFile(std::string_view path, std::string_view data) {
  std::string text;
  FileStatus status;
  if (Stat(path, &status)) {
    if (Status read = ReadFile(path, &text); !read) return read;
  }
  text += data;
  return WriteFileAtomic(*this, path, text);
}

bool FileExists(FileReader& fs, std::string_view path) {
  FileStatus status;
  return fs.Stat(path, &status) && !status.is_directory && !status.is_other;
}

bool DirectoryExists(FileReader& fs, std::string_view path) {
  FileStatus status;
  return fs.Stat(path, &status) && status.is_directory;
}

namespace {

// Keeps the first failure of a file, for the writer that only answers
// whether it wrote.
class RecordingFile : public WritableFile {
 public:
  explicit RecordingFile(WritableFile& file) : file_(file) {}
  Status Append(std::string_view data) override { return Record(file_.Append(data)); }
  Status Flush() override { return Record(file_.Flush()); }
  Status Sync() override { return Record(file_.Sync()); }
  Status Close() override { return Record(file_.Close()); }
  const Status& first_failure() const { return first_failure_; }

 private:
  Status Record(Status status) {
    if (!status && first_failure_.ok()) first_failure_ = status;
    return status;
  }

  WritableFile& file_;
  Status first_failure_;
};

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

Status WriteFileAtomic(FileSystem& fs, std::string_view path, std::string_view contents,
                       const WriteOptions& options) {
  return WriteFileAtomic(
      fs, path, [contents](WritableFile& file) { return file.Append(contents).ok(); }, options);
}

Status WriteFileAtomic(FileSystem& fs, std::string_view path,
                       const std::function<bool(WritableFile& file)>& write,
                       const WriteOptions& options) {
  std::string target = fs.ResolveLinks(path);
  auto fail = [&](Status status) {
    fs.NoteFailedWrite(target, status.ToString());
    return status;
  };
  FileStatus existing;
  bool exists = fs.Stat(target, &existing);
  if (exists) {
    if (existing.is_directory) return fail(Status::Invalid("is a directory"));
    if (existing.is_other) return fail(Status::Invalid("is not a regular file"));
    if (existing.read_only && !options.replace_read_only) {
      return fail(Status::Invalid("the file is read-only"));
    }
  }
  std::string temp;
  if (!MakeUniqueName(fs, TemporaryPattern(target + "."), &temp)) {
    return fail(Status::IoError("no temporary name beside the file"));
  }
  // A file that cannot be opened leaves only errno to tell why, or on
  // Windows the system's last error (errno stays for the C runtime's own
  // calls, and a stand-in's).
  errno = 0;
  ClearLastOsError();
  std::unique_ptr<WritableFile> file =
      fs.CreateFileLike(temp, exists ? std::string_view(target) : options.permissions_of);
  if (!file) {
    int why = errno;
    int os_why = LastOsError();
    if (why == 0 && os_why != 0) return fail(OsErrorStatus(os_why, "creating the temporary file"));
    return fail(why != 0 ? Status::FromErrno(why, "creating the temporary file")
                         : Status::IoError("creating the temporary file failed"));
  }
  bool durable = options.durability == Durability::kDurable;
  RecordingFile recording(*file);
  bool written = write(recording);
  Status status = recording.first_failure();
  if (written && status.ok()) status = file->Flush();
  if (written && status.ok() && durable) status = file->Sync();
  Status closed = file->Close();
  file.reset();
  if (status.ok() && !closed.ok()) status = closed;
  if (!written || !status.ok()) {
    fs.DeleteFile(temp);
    return fail(status.ok() ? Status::IoError("writing the temporary file failed")
                            : status.WithContext("writing the temporary file"));
  }
  bool cleared = exists && existing.read_only;
  if (cleared) {
    if (Status writable = fs.SetReadOnly(target, false); !writable) {
      fs.DeleteFile(temp);
      return fail(writable.WithContext("clearing the read-only attribute"));
    }
  }
  if (Status renamed = fs.Rename(temp, target); !renamed) {
    if (cleared) fs.SetReadOnly(target, true);
    fs.DeleteFile(temp);
    return fail(renamed.WithContext("replacing the file"));
  }
  // The new name must survive a crash of the machine as much as the data.
  if (durable) fs.SyncDirectory(GetFileDirectory(target));
  return Status::OK();
}

namespace {

constexpr std::string_view kTemporaryMark = "~zv";

}  // namespace

std::string TemporaryPattern(std::string_view prefix) {
  return std::string(prefix) + std::string(kTemporaryMark) + OwnProcessTag() + "-XXXXXX";
}

std::string_view TemporaryOwner(std::string_view name) {
  size_t mark = name.rfind(kTemporaryMark);
  if (mark == std::string_view::npos || name.size() < mark + kTemporaryMark.size() + 7) return {};
  std::string_view tag = name.substr(mark + kTemporaryMark.size());
  tag.remove_suffix(7);  // "-" and the six characters MakeUniqueName chose
  if (name[name.size() - 7] != '-' || !IsProcessTag(tag)) return {};
  return tag;
}

int RemoveDeadTemporaries(FileSystem& fs, std::string_view dir) {
  std::vector<DirectoryEntry> entries;
  if (!fs.ListDirectory(dir, "*~zv*", &entries)) return 0;
  // The journals first: undoing one may remove the temporaries of its files.
  for (const DirectoryEntry& entry : entries) {
    std::string_view owner;
    if (!entry.is_directory && IsUndoJournalName(entry.name, &owner) && !IsProcessTagAlive(owner)) {
      UndoDeadJournal(fs, AppendLastSlash(dir) + entry.name);
    }
  }
  return RemoveDeadTemporaryFiles(fs, dir);
}

int RemoveDeadTemporaryFiles(FileSystem& fs, std::string_view dir) {
  std::vector<DirectoryEntry> entries;
  if (!fs.ListDirectory(dir, "*~zv*", &entries)) return 0;
  int removed = 0;
  for (const DirectoryEntry& entry : entries) {
    std::string_view owner = TemporaryOwner(entry.name);
    if (entry.is_directory || owner.empty() || IsProcessTagAlive(owner)) continue;
    std::string path = AppendLastSlash(dir) + entry.name;
    fs.SetReadOnly(path, false);
    if (fs.DeleteFile(path)) ++removed;
  }
  return removed;
}

std::string LockFilePath(FileSystem& fs, std::string_view path) {
  return fs.LockFileOf(fs.ResolveLinks(fs.FullPath(path)));
}

LockResult LockFileWaiting(FileSystem& fs, std::string_view path, std::chrono::milliseconds timeout,
                           const std::function<void()>& on_wait, std::unique_ptr<FileLock>* lock) {
  std::string lock_path = LockFilePath(fs, path);
  auto deadline = std::chrono::steady_clock::now() + timeout;
  std::chrono::milliseconds pause{2};
  bool told = false;
  for (;;) {
    LockResult result = fs.TryLockFile(lock_path, lock);
    if (result != LockResult::kBusy) return result;
    auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return LockResult::kBusy;
    if (!told && on_wait) on_wait();
    told = true;
    std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(
        pause, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now) +
                   std::chrono::milliseconds(1)));
    pause = std::min(pause * 2, std::chrono::milliseconds(10));
  }
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

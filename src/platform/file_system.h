// The file system as the system sees it.
//
// Every path given to a FileSystem has Windows form (see win_path.h); a
// relative path is taken against the current directory that the FileSystem
// keeps itself (the process's own working directory is never changed, so two
// FileSystem objects never disturb each other). Only an implementation knows
// how such a path reaches the host: on POSIX, see posix_file_system.h.
//
// The interface comes in three parts, so that code and wrappers name only
// what they use: FileReader (stat, read, list), FileWriter (everything that
// changes files, and the locks) and PathMapper (the current directory and
// host paths). A ReadOnlyFileSystem is the first and the last, what a
// thread that only reads gets; a FileSystem is all three.
//
// Every call reports failure by its result and never throws: a Status with
// the reason (the OS's own where the OS refused, see status.h); only the
// queries Stat and GetShortPathName answer with a bool. Tests replace a
// FileSystem by a wrapper that injects faults (tests/support) or by a
// different root.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/local_time.h"
#include "platform/status.h"

namespace zelvan {

struct FileStatus {
  bool is_directory = false;
  // Neither a regular file nor a directory (a device, FIFO or socket): such
  // a file is never read as a source nor replaced by a write.
  bool is_other = false;
  bool read_only = false;  // the owner may not write (the read-only attribute)
  uint64_t size = 0;
  int64_t mtime_ns = 0;   // modification time, nanoseconds since the epoch
  LocalTime mtime_local;  // the same time, whole seconds, local time zone

  bool SameVersion(const FileStatus& other) const {
    return size == other.size && mtime_ns == other.mtime_ns;
  }
};

struct DirectoryEntry {
  std::string name;  // file name only, as stored on the host
  bool is_directory = false;
};

// A file being written. Close must be called; a file destroyed unclosed is
// closed without error report.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual Status Append(std::string_view data) = 0;
  // Hands buffered data to the operating system.
  virtual Status Flush() = 0;
  // Flushes and makes the data durable on disk.
  virtual Status Sync() = 0;
  virtual Status Close() = 0;
};

// An advisory lock, released when destroyed (and by the host when the
// process ends, however it ends).
class FileLock {
 public:
  virtual ~FileLock() = default;
};

enum class LockResult {
  kLocked,
  kBusy,         // another process holds it
  kUnavailable,  // no lock file can be made there (so nothing can be written there either)
};

// Reading files: all that a scan of sources asks of the disk.
class FileReader {
 public:
  virtual ~FileReader() = default;

  // False when nothing exists at `path`.
  virtual bool Stat(std::string_view path, FileStatus* status) = 0;
  virtual Status ReadFile(std::string_view path, std::string* contents) = 0;
  // The entries of `dir` whose names match `pattern` (`*` and `?`, ASCII case
  // ignored), without "." and "..", sorted by name. False when `dir` cannot be read.
  virtual Status ListDirectory(std::string_view dir, std::string_view pattern,
                               std::vector<DirectoryEntry>* entries) = 0;
  // The short (8.3) form of an existing path. False when the platform has none.
  virtual bool GetShortPathName(std::string_view path, std::string* short_path) = 0;
};

// The current directory that relative paths are taken against, and the
// mapping between the system's paths and the host's, for the edges that
// take host paths (the command line, loading a library).
class PathMapper {
 public:
  virtual ~PathMapper() = default;

  // The current directory, a full path ending in `\`; empty when the host
  // could not tell it (relative paths then name no file).
  virtual std::string GetCurrentDirectory() const = 0;
  // Fails when `dir` is no existing directory.
  virtual Status SetCurrentDirectory(std::string_view dir) = 0;
  // The full path of `path` against the current directory (GetFullPathName of win_path.h).
  std::string FullPath(std::string_view path) const;

  // ToHostPath resolves letter case the way every other call does; it
  // returns an empty text for a path that has no place on the host (an
  // unmapped drive).
  virtual std::string ToHostPath(std::string_view path) = 0;
  // ToHostPath of each path, in order. A file system may share the work of
  // paths in one directory (a listing read once instead of a look-up per
  // file); nothing is kept past the call.
  virtual std::vector<std::string> ToHostPaths(const std::vector<std::string>& paths) {
    std::vector<std::string> hosts;
    hosts.reserve(paths.size());
    for (const std::string& path : paths)
      hosts.push_back(ToHostPath(path));
    return hosts;
  }
  virtual std::string FromHostPath(std::string_view host_path) const = 0;
};

// Changing files: writing, renaming, deleting, copying and moving them,
// directories, the read-only attribute and the locks that serialise writers.
class FileWriter {
 public:
  virtual ~FileWriter() = default;

  // Creates or truncates `path` for writing.
  virtual std::unique_ptr<WritableFile> OpenForWrite(std::string_view path) = 0;
  // Creates `path`, which does not exist yet, for writing. It gets the
  // permissions, and where the host allows the owner, of the existing file
  // `like` (a new file's when `like` is empty or missing), always writable by
  // the owner. The default has no permissions to keep: OpenForWrite.
  virtual std::unique_ptr<WritableFile> CreateFileLike(std::string_view path,
                                                       std::string_view /*like*/) {
    return OpenForWrite(path);
  }
  // Where a write to `path` lands: the file a symbolic link at `path` leads
  // to (through every link), else `path`. The default has no links.
  virtual std::string ResolveLinks(std::string_view path) { return std::string(path); }
  // Makes the names of directory `dir` durable after a rename. The default
  // has nothing to make durable.
  virtual void SyncDirectory(std::string_view /*dir*/) {}
  // Appends `data` to `path` (created when missing) in one write of the
  // host, so lines of two processes never mix and a link, FIFO or pipe is
  // written, not replaced; never waits for a FIFO without reader.
  virtual Status AppendToFile(std::string_view path, std::string_view data) = 0;
  // Takes the exclusive advisory lock of the lock file `lock_path`, made
  // when missing, without waiting. The default has no other process to lock out.
  // The lock file of `path` (a full path, links resolved): see LockFilePath.
  // The default puts it beside the file.
  virtual std::string LockFileOf(std::string_view path) { return std::string(path) + ".lock"; }
  virtual LockResult TryLockFile(std::string_view /*lock_path*/, std::unique_ptr<FileLock>* lock) {
    *lock = std::make_unique<FileLock>();
    return LockResult::kLocked;
  }
  // Renames, replacing an existing `to` (as MoveFileEx with replace does); a
  // read-only `to` is not replaced.
  virtual Status Rename(std::string_view from, std::string_view to) = 0;
  virtual Status DeleteFile(std::string_view path) = 0;
  // Copies contents and the read-only attribute. Fails when `to` exists and
  // `fail_if_exists` is set, or when `to` exists and is read-only.
  virtual Status CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) = 0;
  // CopyFile for a scratch copy, one that is made again from its source
  // after a crash (a project's working copy): the same result, but the data
  // may stay in the system's buffers instead of being forced to disk.
  virtual Status CopyScratchFile(std::string_view from, std::string_view to, bool fail_if_exists) {
    return CopyFile(from, to, fail_if_exists);
  }
  // Moves a file or directory; fails when `to` exists.
  virtual Status MoveFile(std::string_view from, std::string_view to) = 0;
  virtual Status SetReadOnly(std::string_view path, bool read_only) = 0;
  // One directory level; fails when it exists or its parent is missing.
  virtual Status CreateDirectory(std::string_view path) = 0;
  // An empty directory.
  virtual Status RemoveDirectory(std::string_view path) = 0;
  // Waits for what calls that have returned left to do in the background
  // (letting go of a large file that a rename replaced); the destructor
  // waits too.
  virtual void WaitForBackgroundWork() {}

  // Every WriteFileAtomic through this file system that failed, in order: a
  // host that must not report success when a file it had to write was not
  // written looks here at the end, and tells the user the path and why.
  struct FailedWrite {
    std::string path;    // in the system's form
    std::string reason;  // the step that failed and the OS's reason
  };
  const std::vector<FailedWrite>& FailedWrites() const { return failed_writes_; }
  // Those noted since the last call, for a host that lives long and
  // reports them as they happen (the list would otherwise only grow).
  std::vector<FailedWrite> TakeFailedWrites() { return std::exchange(failed_writes_, {}); }
  void NoteFailedWrite(std::string path, std::string reason) {
    failed_writes_.push_back({std::move(path), std::move(reason)});
  }

 private:
  std::vector<FailedWrite> failed_writes_;
};

// Files to read and the paths to name them by: what a thread that only
// reads is given (see FileSystem::NewThreadReader and LockedFileSystem).
class ReadOnlyFileSystem : public FileReader, public PathMapper {};

// The whole file system, as Platform hands it out.
class FileSystem : public ReadOnlyFileSystem, public FileWriter {
 public:
  // The default reads the file and writes it whole again.
  Status AppendToFile(std::string_view path, std::string_view data) override;

  // A file system for another thread to read with while this one is used:
  // the same files and current directory, with caches of its own, so that
  // two threads read at once without waiting for each other. Null where
  // this file system cannot be shared that way; the threads then take turns
  // (see LockedFileSystem).
  virtual std::unique_ptr<ReadOnlyFileSystem> NewThreadReader() { return nullptr; }
};

// Helpers built on the interface, so every FileSystem gets the same rules.

bool FileExists(FileReader& fs, std::string_view path);
bool DirectoryExists(FileReader& fs, std::string_view path);

// Whether a write must be on disk before it counts as done.
enum class Durability {
  kDurable,  // forced to disk: the file survives a crash of the machine
  kScratch,  // may stay in the system's buffers: the file is made again after a crash
};

struct WriteOptions {
  Durability durability = Durability::kDurable;
  // A read-only file is replaced too, its read-only attribute cleared first
  // (for files the system owns, such as dependency files); the new file is writable.
  bool replace_read_only = false;
  // A file that does not exist yet gets the permissions of this one.
  std::string_view permissions_of;
};

// Writes the whole file or nothing: the contents go to a temporary file
// beside the file (named after this process, see TemporaryPattern), which
// is flushed (to disk, and then the directory, unless the file is scratch)
// and renamed over it. The file keeps its identity: a symbolic link is
// followed and the file it leads to replaced, the permissions and owner of
// the file replaced are kept, and a directory, device, FIFO or socket is
// never replaced. A read-only file is refused unless the options say
// otherwise. On any failure the temporary is removed, the file stays as it
// was, the result says which step failed and the OS's reason ("writing the
// temporary file: File too large"), and the failure is noted on `fs`
// (FailedWrites).
Status WriteFileAtomic(FileSystem& fs, std::string_view path, std::string_view contents,
                       const WriteOptions& options = {});
inline Status WriteFileAtomic(FileSystem& fs, std::string_view path, std::string_view contents,
                              Durability durability) {
  return WriteFileAtomic(fs, path, contents, WriteOptions{durability, false, {}});
}
// The same, the contents written by `write` into the temporary piece by
// piece (a large file need not be built whole in memory first); false from
// `write` fails the write as above.
Status WriteFileAtomic(FileSystem& fs, std::string_view path,
                       const std::function<bool(WritableFile& file)>& write,
                       const WriteOptions& options);

// Temporaries carry the tag of the process that made them, so that one left
// by a killed process can be told from one still being written:
// "<prefix>~zv<pid>-<start>-XXXXXX" (see process_tag.h). The pattern of a
// temporary of this process, for MakeUniqueName.
std::string TemporaryPattern(std::string_view prefix);
// The owner's tag in the name of a temporary, or empty for any other name.
std::string_view TemporaryOwner(std::string_view name);
// Removes the temporaries in `dir` whose owner is gone, and only those, after
// undoing the undo journals of such owners there (undo_journal.h); the
// number of temporaries removed.
int RemoveDeadTemporaries(FileSystem& fs, std::string_view dir);
// The same without the journals.
int RemoveDeadTemporaryFiles(FileSystem& fs, std::string_view dir);

// The lock file that serialises the writers of `path`, named after the file
// a link at `path` leads to (the file itself cannot carry the lock: writing
// replaces it). FileSystem::LockFileOf says where it lies.
std::string LockFilePath(FileSystem& fs, std::string_view path);
// Takes the lock of `path` (LockFilePath), waiting up to `timeout` for the
// process that holds it; `on_wait` (when given) is called once when the
// wait starts. kBusy when the time ran out.
LockResult LockFileWaiting(FileSystem& fs, std::string_view path, std::chrono::milliseconds timeout,
                           const std::function<void()>& on_wait, std::unique_ptr<FileLock>* lock);

// Creates every missing directory along `path` (a directory path; a trailing
// `\` is allowed). True when the directory exists afterwards.
bool CreateDirectories(FileSystem& fs, std::string_view path);

// Replaces the trailing "XXXXXX" of `pattern` with a suffix such that no
// file of the resulting name exists; false when the pattern does not end in
// six X or no free name was found. The file is not created.
bool MakeUniqueName(FileSystem& fs, std::string_view pattern, std::string* path);

// `*` and `?` matching without regard to ASCII case.
bool MatchesPattern(std::string_view name, std::string_view pattern);

}  // namespace zelvan

#include "platform/posix_file_system.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/buffered_writable_file.h"
#include "platform/posix_file_system_internal.h"
#include "platform/win_path.h"

namespace zelvan {

using namespace posix_internal;  // NOLINT(google-build-using-namespace)

int64_t posix_internal::MtimeNs(const struct stat& st) {
  return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

std::string posix_internal::JoinHost(const std::string& dir, std::string_view name) {
  std::string out = dir;
  if (out.empty() || out.back() != '/') out += '/';
  out += name;
  return out;
}

// Lexically normalised absolute host path ("." and ".." resolved, no trailing slash).
std::string posix_internal::NormaliseHostPath(std::string_view path, const std::string& cwd) {
  std::string combined =
      (!path.empty() && path[0] == '/') ? std::string(path) : JoinHost(cwd, path);
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= combined.size()) {
    size_t slash = combined.find('/', start);
    if (slash == std::string::npos) slash = combined.size();
    std::string part = combined.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(std::move(part));
    }
    start = slash + 1;
  }
  std::string out;
  for (const std::string& part : parts)
    out += "/" + part;
  return out.empty() ? "/" : out;
}

namespace {

class PosixWritableFile final : public BufferedWritableFile {
 public:
  explicit PosixWritableFile(int fd) : fd_(fd) {}
  ~PosixWritableFile() override {
    if (!closed()) ::close(fd_);
  }

 private:
  Status WriteSome(std::string_view data, size_t* written) override {
    ssize_t n;
    do {
      n = ::write(fd_, data.data(), data.size());
    } while (n < 0 && errno == EINTR);
    *written = n < 0 ? 0 : static_cast<size_t>(n);
    return n < 0 ? Status::FromErrno(errno) : Status::OK();
  }
  Status SyncFile() override { return ::fsync(fd_) == 0 ? Status::OK() : Status::FromErrno(errno); }
  Status CloseFile() override {
    return ::close(fd_) == 0 ? Status::OK() : Status::FromErrno(errno);
  }

  int fd_;
};

// A path that Resolve cannot place (an unmapped drive, a file where a
// folder should be).
Status NoPlace() {
  return Status::NotFound("the path has no place on the host");
}

// The Windows calls refuse a read-only file; the OS would not.
Status ReadOnly() {
  return Status::FromErrno(EACCES);
}

class PosixFileLock : public FileLock {
 public:
  explicit PosixFileLock(int fd) : fd_(fd) {}
  ~PosixFileLock() override { ::close(fd_); }  // closing releases the lock

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

PosixFileSystem::PosixFileSystem(HostPathMap map, const std::string& host_cwd)
    : map_(std::move(map)),
      host_cwd_(host_cwd.empty() ? std::string() : NormaliseHostPath(host_cwd, "/")) {
  // Without a current directory a relative directory is nowhere: it maps nothing.
  for (auto it = map_.drives.begin(); it != map_.drives.end();) {
    if (!IsKnownHostPath(it->second)) {
      it = map_.drives.erase(it);
      continue;
    }
    it->second = NormaliseHostPath(it->second, host_cwd_);
    ++it;
  }
  if (!map_.network_root.empty()) {
    map_.network_root = IsKnownHostPath(map_.network_root)
                            ? NormaliseHostPath(map_.network_root, host_cwd_)
                            : std::string();
  }
  if (!host_cwd_.empty()) cwd_ = AppendLastSlash(FromHostPath(host_cwd_));
}

bool PosixFileSystem::IsKnownHostPath(std::string_view host_path) const {
  return !host_cwd_.empty() || (!host_path.empty() && host_path[0] == '/');
}

PosixFileSystem::~PosixFileSystem() {
  WaitForBackgroundWork();
}

std::unique_ptr<ReadOnlyFileSystem> PosixFileSystem::NewThreadReader() {
  // The drive map is already in host form; only the caches start empty.
  auto reader = std::make_unique<PosixFileSystem>(map_, host_cwd_);
  reader->cwd_ = cwd_;
  return reader;
}

std::string PosixFileSystem::GetCurrentDirectory() const {
  return cwd_;
}

Status PosixFileSystem::SetCurrentDirectory(std::string_view dir) {
  std::string full = FullPath(dir);
  FileStatus status;
  if (!Stat(full, &status) || !status.is_directory) return Status::NotFound("no such folder");
  cwd_ = AppendLastSlash(full);
  return Status::OK();
}

bool PosixFileSystem::Stat(std::string_view path, FileStatus* status) {
  const MappedPath* mapped = MapToHost(path);
  if (mapped == nullptr) return false;
  // Most paths exist as written: one stat answers them.
  struct stat st;
  if (::stat(mapped->direct.c_str(), &st) != 0) {
    std::string resolved = ResolveComponents(mapped->base, mapped->components);
    if (resolved == mapped->direct || ::stat(resolved.c_str(), &st) != 0) return false;
  }
  status->is_directory = S_ISDIR(st.st_mode);
  status->is_other = !S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode);
  status->read_only = (st.st_mode & S_IWUSR) == 0;
  status->size = static_cast<uint64_t>(st.st_size);
  status->mtime_ns = MtimeNs(st);
  status->mtime_local = ToLocalTime(static_cast<int64_t>(st.st_mtim.tv_sec));
  return true;
}

Status PosixFileSystem::ReadFile(std::string_view path, std::string* contents) {
  std::string host;
  if (!Resolve(path, &host)) return NoPlace();
  // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
  int fd = ::open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Status::FromErrno(errno);
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    Status status =
        S_ISDIR(st.st_mode) ? Status::FromErrno(EISDIR) : Status::Invalid("not a regular file");
    ::close(fd);
    return status;
  }
  std::string data;
  data.reserve(static_cast<size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      Status status = Status::FromErrno(errno);
      ::close(fd);
      return status;
    }
    if (n == 0) break;
    data.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  *contents = std::move(data);
  return Status::OK();
}

std::unique_ptr<WritableFile> PosixFileSystem::OpenForWrite(std::string_view path) {
  std::string host;
  if (!Resolve(path, &host)) return nullptr;
  int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  Invalidate(host);
  return std::make_unique<PosixWritableFile>(fd);
}

std::unique_ptr<WritableFile> PosixFileSystem::CreateFileLike(std::string_view path,
                                                              std::string_view like) {
  std::string host, host_like;
  if (!Resolve(path, &host)) return nullptr;
  struct stat st;
  bool keep = !like.empty() && Resolve(like, &host_like) && ::stat(host_like.c_str(), &st) == 0;
  int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, keep ? 0600 : 0666);
  if (fd < 0) return nullptr;
  Invalidate(host);
  if (keep) {
    // The owner first: changing it may clear set-id bits that the mode then restores.
    if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
      if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Not permitted: the new file stays ours, which is all the host allows.
      }
    }
    ::fchmod(fd, (st.st_mode & 07777) | S_IWUSR);
  }
  return std::make_unique<PosixWritableFile>(fd);
}

std::string PosixFileSystem::ResolveLinks(std::string_view path) {
  std::string host;
  if (!Resolve(path, &host)) return std::string(path);
  bool followed = false;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1, '\0');
    ssize_t n = ::readlink(host.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) break;
    target.resize(static_cast<size_t>(n));
    host = target[0] == '/' ? target : host.substr(0, host.rfind('/') + 1) + target;
    followed = true;
  }
  return followed ? FromHostPath(host) : std::string(path);
}

void PosixFileSystem::SyncDirectory(std::string_view dir) {
  std::string host;
  if (!Resolve(dir, &host)) return;
  int fd = ::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

Status PosixFileSystem::AppendToFile(std::string_view path, std::string_view data) {
  std::string host;
  if (!Resolve(path, &host)) return NoPlace();
  // O_NONBLOCK only for the open: a FIFO without reader fails at once
  // instead of waiting, and the write then waits like any other.
  int fd = ::open(host.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return Status::FromErrno(errno);
  Invalidate(host);
  struct stat st;
  if (::fstat(fd, &st) != 0 || (S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0)) {
    ::close(fd);  // the read-only attribute holds for appends too
    return Status::FromErrno(EACCES);
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  Status status = WriteAll(fd, data) ? Status::OK() : Status::FromErrno(errno);
  if (::close(fd) != 0 && status.ok()) status = Status::FromErrno(errno);
  return status;
}

LockResult PosixFileSystem::TryLockFile(std::string_view lock_path,
                                        std::unique_ptr<FileLock>* lock) {
  std::string host;
  if (!Resolve(lock_path, &host)) return LockResult::kUnavailable;
  int fd = ::open(host.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);  // one we may not write
  if (fd < 0) return LockResult::kUnavailable;
  Invalidate(host);
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return busy ? LockResult::kBusy : LockResult::kUnavailable;
  }
  *lock = std::make_unique<PosixFileLock>(fd);
  return LockResult::kLocked;
}

std::string PosixFileSystem::LockFileOf(std::string_view path) {
  if (lock_dir_state_ == 0) {
    struct stat st;
    ::mkdir(lock_dir_.c_str(), 0700);
    lock_dir_state_ = !lock_dir_.empty() && ::lstat(lock_dir_.c_str(), &st) == 0 &&
                              S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
                              (st.st_mode & 077) == 0
                          ? 1
                          : -1;
  }
  std::string host;
  if (lock_dir_state_ < 0 || !Resolve(path, &host)) return FileSystem::LockFileOf(path);
  // The whole host path in the name, so that a user (or a test) can tell
  // which file it locks; a long one by its name and a hash instead.
  std::string name;
  for (char c : host) {
    if (c == '%') {
      name += "%25";
    } else if (c == '/') {
      name += "%2F";
    } else if (c == '\\') {
      name += "%5C";
    } else {
      name += c;
    }
  }
  if (name.size() > 200) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : host)
      hash = (hash ^ c) * 1099511628211ull;
    name = StringPrintf("%s-%016llx", host.substr(host.rfind('/') + 1).substr(0, 150).c_str(),
                        static_cast<unsigned long long>(hash));
  }
  return FromHostPath(lock_dir_ + "/" + name + ".lock");
}

Status PosixFileSystem::Rename(std::string_view from, std::string_view to) {
  std::string host_from, host_to;
  if (!Resolve(from, &host_from) || !Resolve(to, &host_to)) return NoPlace();
  // Like the Windows call, a read-only file is not replaced.
  struct stat st;
  bool exists = ::lstat(host_to.c_str(), &st) == 0;
  if (exists && !S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return ReadOnly();
  constexpr off_t kLargeFile = off_t{4} << 20;
  bool large = exists && S_ISREG(st.st_mode) && st.st_size >= kLargeFile;
  if (large) {
    Status status = ReplaceLarge(host_from, host_to);
    if (!status) return status;
  } else if (::rename(host_from.c_str(), host_to.c_str()) != 0) {
    return Status::FromErrno(errno);
  }
  Invalidate(host_from);
  Invalidate(host_to);
  return Status::OK();
}

// Replacing a file of tens of megabytes costs tens of milliseconds twice
// over with a plain rename: ext4 sends the whole new file to the disk
// before it renames over another file, though its writer left it in the
// buffers on purpose (a file that must survive a crash is forced to disk
// before it is renamed anyway), and freeing the old file's blocks takes as
// long. So the two names are exchanged, the old file (now under `from`) is
// removed while it is held open, and it is let go on a thread of its own.
// Where names cannot be exchanged, a plain rename does it.
Status PosixFileSystem::ReplaceLarge(const std::string& from, const std::string& to) {
  int old_file = ::open(to.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  bool replaced = false;
#ifdef RENAME_EXCHANGE
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) == 0) {
    ::unlink(from.c_str());
    replaced = true;
  }
#endif
  if (!replaced && ::rename(from.c_str(), to.c_str()) != 0) {
    Status status = Status::FromErrno(errno);
    if (old_file >= 0) ::close(old_file);
    return status;
  }
  // One at a time: Start waits for the file let go before.
  if (old_file >= 0) release_.Start([old_file] { ::close(old_file); });
  return Status::OK();
}

void PosixFileSystem::WaitForBackgroundWork() {
  release_.Wait();
}

Status PosixFileSystem::DeleteFile(std::string_view path) {
  std::string host;
  if (!Resolve(path, &host)) return NoPlace();
  struct stat st;
  // Like the Windows call: directories and read-only files are not deleted.
  if (::lstat(host.c_str(), &st) != 0) return Status::FromErrno(errno);
  if (S_ISDIR(st.st_mode)) return Status::FromErrno(EISDIR);
  if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return ReadOnly();
  if (::unlink(host.c_str()) != 0) return Status::FromErrno(errno);
  Invalidate(host);
  return Status::OK();
}

Status PosixFileSystem::CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) {
  return Copy(from, to, fail_if_exists, Durability::kDurable);
}

Status PosixFileSystem::CopyScratchFile(std::string_view from, std::string_view to,
                                        bool fail_if_exists) {
  return Copy(from, to, fail_if_exists, Durability::kScratch);
}

Status PosixFileSystem::Copy(std::string_view from, std::string_view to, bool fail_if_exists,
                             Durability durability) {
  FileStatus source;
  if (!Stat(from, &source)) return Status::FromErrno(ENOENT);
  if (source.is_directory) return Status::FromErrno(EISDIR);
  FileStatus target;
  if (Stat(to, &target) && (fail_if_exists || target.is_directory)) {
    return Status::FromErrno(target.is_directory ? EISDIR : EEXIST);
  }
  std::string contents;
  if (Status status = ReadFile(from, &contents); !status) return status;
  // A new copy gets the permissions of its source, as cp gives them.
  if (Status written = WriteFileAtomic(*this, to, contents, WriteOptions{durability, false, from});
      !written) {
    return written;
  }
  return source.read_only ? SetReadOnly(to, true) : Status::OK();
}

Status PosixFileSystem::MoveFile(std::string_view from, std::string_view to) {
  std::string host_from, host_to;
  if (!Resolve(from, &host_from) || !Resolve(to, &host_to)) return NoPlace();
  struct stat st;
  if (::lstat(host_from.c_str(), &st) != 0) return Status::FromErrno(errno);
  if (::lstat(host_to.c_str(), &st) == 0) return Status::FromErrno(EEXIST);
  if (::rename(host_from.c_str(), host_to.c_str()) == 0) {
    Invalidate(host_from);
    Invalidate(host_to);
    return Status::OK();
  }
  if (errno != EXDEV || S_ISDIR(st.st_mode)) return Status::FromErrno(errno);
  // Another device: copy, then remove the original.
  if (Status status = CopyFile(from, to, true); !status) return status;
  if (::unlink(host_from.c_str()) != 0) {
    Status status = Status::FromErrno(errno);
    DeleteFile(to);
    return status;
  }
  Invalidate(host_from);
  return Status::OK();
}

Status PosixFileSystem::SetReadOnly(std::string_view path, bool read_only) {
  std::string host;
  if (!Resolve(path, &host)) return NoPlace();
  struct stat st;
  if (::stat(host.c_str(), &st) != 0) return Status::FromErrno(errno);
  mode_t mode = st.st_mode & 07777;
  mode = read_only ? (mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
  return ::chmod(host.c_str(), mode) == 0 ? Status::OK() : Status::FromErrno(errno);
}

Status PosixFileSystem::CreateDirectory(std::string_view path) {
  std::string host;
  if (!Resolve(path, &host)) return NoPlace();
  if (::mkdir(host.c_str(), 0777) != 0) return Status::FromErrno(errno);
  Invalidate(host);
  return Status::OK();
}

Status PosixFileSystem::RemoveDirectory(std::string_view path) {
  std::string host;
  if (!Resolve(path, &host)) return NoPlace();
  if (::rmdir(host.c_str()) != 0) return Status::FromErrno(errno);
  Invalidate(host);
  cache_.erase(host);
  return Status::OK();
}

Status PosixFileSystem::ListDirectory(std::string_view dir, std::string_view pattern,
                                      std::vector<DirectoryEntry>* entries) {
  std::string host;
  if (!Resolve(dir, &host)) return NoPlace();
  DIR* d = ::opendir(host.c_str());
  if (d == nullptr) return Status::FromErrno(errno);
  entries->clear();
  while (struct dirent* e = ::readdir(d)) {
    std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    if (!MatchesPattern(name, pattern)) continue;
    DirectoryEntry entry;
    entry.name = std::string(name);
    if (e->d_type == DT_DIR) {
      entry.is_directory = true;
    } else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      struct stat st;
      entry.is_directory = ::stat(JoinHost(host, name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    entries->push_back(std::move(entry));
  }
  ::closedir(d);
  std::sort(entries->begin(), entries->end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return Status::OK();
}

bool PosixFileSystem::GetShortPathName(std::string_view, std::string*) {
  return false;
}

}  // namespace zelvan

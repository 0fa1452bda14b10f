#include "platform/win32_file_system.h"

#include "platform/win32_api.h"

#include <algorithm>
#include <utility>

#include "platform/ansi_text.h"
#include "platform/buffered_writable_file.h"
#include "platform/local_time.h"
#include "platform/os_error.h"
#include "platform/win_path.h"

namespace zelvan {

namespace {

// The last error of the calling thread as a Status.
Status LastError(std::string_view context = {}) {
  return OsErrorStatus(static_cast<int>(::GetLastError()), context);
}

Status OsError(DWORD code) {
  return OsErrorStatus(static_cast<int>(code));
}

// 100-nanosecond intervals between 1601-01-01 and the epoch.
constexpr int64_t kEpochIn100ns = 116444736000000000LL;

int64_t NanosecondsSinceEpoch(const FILETIME& time) {
  int64_t ticks =
      static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return (ticks - kEpochIn100ns) * 100;
}

int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

class Win32WritableFile final : public BufferedWritableFile {
 public:
  explicit Win32WritableFile(HANDLE handle) : handle_(handle) {}
  ~Win32WritableFile() override {
    if (!closed()) ::CloseHandle(handle_);
  }

 private:
  Status WriteSome(std::string_view data, size_t* written) override {
    DWORD piece = static_cast<DWORD>(std::min<size_t>(data.size(), 1u << 30));
    DWORD n = 0;
    const bool ok = ::WriteFile(handle_, data.data(), piece, &n, nullptr);
    *written = n;
    return ok ? Status::OK() : LastError();
  }
  Status SyncFile() override { return ::FlushFileBuffers(handle_) ? Status::OK() : LastError(); }
  Status CloseFile() override { return ::CloseHandle(handle_) ? Status::OK() : LastError(); }

  HANDLE handle_;
};

class Win32FileLock : public FileLock {
 public:
  explicit Win32FileLock(HANDLE handle) : handle_(handle) {}
  ~Win32FileLock() override { ::CloseHandle(handle_); }  // closing releases the lock

 private:
  HANDLE handle_;
};

// The form of a full path the system calls take: past MAX_PATH (less the
// room CreateDirectory keeps for a file name) only with the \\?\ prefix. That
// form is taken as it is, so the path must be full, "." and ".." resolved.
constexpr std::string_view kLongPrefix = "\\\\?\\";
constexpr std::string_view kLongNetworkPrefix = "\\\\?\\UNC\\";

std::string LongForm(std::string full) {
  if (full.size() < MAX_PATH - 12 || full.starts_with(kLongPrefix) || !IsFullPath(full)) {
    return full;
  }
  if (full.starts_with("\\\\")) return std::string(kLongNetworkPrefix) + full.substr(2);
  return std::string(kLongPrefix) + full;
}

// Paths cross to the system in UTF-16, converted from the ANSI code page
// as the ANSI calls convert them, which limit them to MAX_PATH.
std::wstring Wide(std::string_view text) {
  const int size = static_cast<int>(text.size());
  std::wstring out(size == 0 ? 0 : ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0),
                   L'\0');
  if (!out.empty())
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, out.data(), static_cast<int>(out.size()));
  return out;
}

std::string Narrow(std::wstring_view text) {
  const int size = static_cast<int>(text.size());
  std::string out(
      size == 0 ? 0
                : ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr),
      '\0');
  if (!out.empty()) {
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), size, out.data(), static_cast<int>(out.size()),
                          nullptr, nullptr);
  }
  return out;
}

// What the system answers in the long form, as a user writes it.
std::string WithoutLongPrefix(std::string path) {
  if (path.starts_with(kLongNetworkPrefix)) return "\\\\" + path.substr(kLongNetworkPrefix.size());
  if (path.starts_with(kLongPrefix)) return path.substr(kLongPrefix.size());
  return path;
}

// Opened for writing: the file stays readable by others, and may be
// renamed or deleted while open (a rename over it by another writer).
HANDLE OpenWrite(const std::wstring& host, DWORD disposition) {
  return ::CreateFileW(host.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::string Win32ProcessDirectory(std::string* error) {
  DWORD size = ::GetCurrentDirectoryA(0, nullptr);
  std::string dir(size, '\0');
  DWORD got = size == 0 ? 0 : ::GetCurrentDirectoryA(size, dir.data());
  if (got == 0 || got >= size) {
    if (error != nullptr) *error = LastError().ToString();
    return "";
  }
  dir.resize(got);
  return AppendLastSlash(dir);
}

Win32FileSystem::Win32FileSystem(std::string cwd) {
  std::replace(cwd.begin(), cwd.end(), '/', '\\');
  std::string process = Win32ProcessDirectory();
  std::string full;
  if (cwd.empty()) {
    cwd_ = process;
  } else if (GetFullPathName(cwd, process, &full)) {
    cwd_ = AppendLastSlash(full);
  }
}

std::wstring Win32FileSystem::SystemPath(std::string_view path) const {
  return Wide(LongForm(FullPath(path)));
}

std::unique_ptr<ReadOnlyFileSystem> Win32FileSystem::NewThreadReader() {
  // Nothing is cached here: a reader needs only the current directory.
  return std::make_unique<Win32FileSystem>(cwd_);
}

Status Win32FileSystem::SetCurrentDirectory(std::string_view dir) {
  std::string full = FullPath(dir);
  FileStatus status;
  if (!Stat(full, &status) || !status.is_directory) return Status::NotFound("no such folder");
  cwd_ = AppendLastSlash(full);
  return Status::OK();
}

std::string Win32FileSystem::ToHostPath(std::string_view path) {
  return FullPath(path);
}

std::string Win32FileSystem::FromHostPath(std::string_view host_path) const {
  std::string path(host_path);
  std::replace(path.begin(), path.end(), '/', '\\');
  return FullPath(path);
}

bool Win32FileSystem::Stat(std::string_view path, FileStatus* status) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) return false;
  status->is_directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  status->is_other = (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
  status->read_only = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  status->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  status->mtime_ns = NanosecondsSinceEpoch(data.ftLastWriteTime);
  status->mtime_local = ToLocalTime(FloorDiv(status->mtime_ns, 1000000000));
  return true;
}

Status Win32FileSystem::ReadFile(std::string_view path, std::string* contents) {
  HANDLE file = ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  if (::GetFileType(file) != FILE_TYPE_DISK) {
    ::CloseHandle(file);
    return Status::Invalid("not a regular file");
  }
  std::string data;
  LARGE_INTEGER size;
  if (::GetFileSizeEx(file, &size)) data.reserve(static_cast<size_t>(size.QuadPart));
  char buffer[1 << 16];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file, buffer, sizeof buffer, &n, nullptr)) {
      Status status = LastError();
      ::CloseHandle(file);
      return status;
    }
    if (n == 0) break;
    data.append(buffer, n);
  }
  ::CloseHandle(file);
  *contents = std::move(data);
  return Status::OK();
}

std::unique_ptr<WritableFile> Win32FileSystem::OpenForWrite(std::string_view path) {
  HANDLE file = OpenWrite(SystemPath(path), CREATE_ALWAYS);
  if (file == INVALID_HANDLE_VALUE) return nullptr;  // GetLastError tells why
  return std::make_unique<Win32WritableFile>(file);
}

// A new file has the attributes of a new file: there are no permission
// bits to carry over, and the read-only attribute is the writer's to set.
std::unique_ptr<WritableFile> Win32FileSystem::CreateFileLike(std::string_view path,
                                                              std::string_view) {
  HANDLE file = OpenWrite(SystemPath(path), CREATE_NEW);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32WritableFile>(file);
}

Status Win32FileSystem::AppendToFile(std::string_view path, std::string_view data) {
  // FILE_APPEND_DATA alone: every write lands at the end, whoever else appends.
  HANDLE file = ::CreateFileW(SystemPath(path).c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  Status status;
  while (!data.empty() && status.ok()) {
    DWORD piece = static_cast<DWORD>(std::min<size_t>(data.size(), 1u << 30));
    DWORD n = 0;
    if (!::WriteFile(file, data.data(), piece, &n, nullptr)) {
      status = LastError();
    } else {
      data.remove_prefix(n);
    }
  }
  if (!::CloseHandle(file) && status.ok()) status = LastError();
  return status;
}

std::string Win32FileSystem::LockFileOf(std::string_view path) {
  if (lock_dir_state_ == 0) {
    ::CreateDirectoryA(lock_dir_.c_str(), nullptr);
    DWORD attributes =
        lock_dir_.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(lock_dir_.c_str());
    lock_dir_state_ =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 1
                                                                                              : -1;
  }
  if (lock_dir_state_ < 0) return FileSystem::LockFileOf(path);
  // The whole path in the name, so that a user can tell which file it locks;
  // a long one by its name and a hash instead. Names are compared without
  // case, so the lock file is too.
  std::string full = ToLowerAscii(FullPath(path));
  std::string name;
  for (char c : full) {
    if (c == '%' || c == '\\' || c == '/' || c == ':') {
      name += StringPrintf("%%%02X", static_cast<unsigned char>(c));
    } else {
      name += c;
    }
  }
  if (name.size() > 150) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : full)
      hash = (hash ^ c) * 1099511628211ull;
    name = StringPrintf("%s-%016llx", FileNamePart(full).substr(0, 100).c_str(),
                        static_cast<unsigned long long>(hash));
  }
  return AppendLastSlash(lock_dir_) + name + ".lock";
}

LockResult Win32FileSystem::TryLockFile(std::string_view lock_path,
                                        std::unique_ptr<FileLock>* lock) {
  std::wstring host = SystemPath(lock_path);
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE file = ::CreateFileW(host.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {  // one we may not write
    file = ::CreateFileW(host.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) return LockResult::kUnavailable;
  OVERLAPPED at = {};
  if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    bool busy = ::GetLastError() == ERROR_LOCK_VIOLATION || ::GetLastError() == ERROR_IO_PENDING;
    ::CloseHandle(file);
    return busy ? LockResult::kBusy : LockResult::kUnavailable;
  }
  *lock = std::make_unique<Win32FileLock>(file);
  return LockResult::kLocked;
}

Status Win32FileSystem::Rename(std::string_view from, std::string_view to) {
  std::wstring target = SystemPath(to);
  // A file replaced keeps its name as stored, whatever letters `to` uses.
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(target.c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    ::FindClose(search);
    // Windows refuses to replace a read-only file; Wine would replace it.
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
      return OsError(ERROR_ACCESS_DENIED);
    }
    target = target.substr(0, target.rfind(L'\\') + 1) + found.cFileName;
  }
  if (!::MoveFileExW(SystemPath(from).c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return LastError();
  }
  return Status::OK();
}

Status Win32FileSystem::DeleteFile(std::string_view path) {
  return ::DeleteFileW(SystemPath(path).c_str()) ? Status::OK() : LastError();
}

Status Win32FileSystem::CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) {
  return Copy(from, to, fail_if_exists, Durability::kDurable);
}

Status Win32FileSystem::CopyScratchFile(std::string_view from, std::string_view to,
                                        bool fail_if_exists) {
  return Copy(from, to, fail_if_exists, Durability::kScratch);
}

// Through a temporary and a rename, like every other write: CopyFile of
// the host would leave a half copy where the copy fails.
Status Win32FileSystem::Copy(std::string_view from, std::string_view to, bool fail_if_exists,
                             Durability durability) {
  FileStatus source;
  if (!Stat(from, &source)) return LastError();
  if (source.is_directory) return OsError(ERROR_ACCESS_DENIED);
  FileStatus target;
  if (Stat(to, &target) && (fail_if_exists || target.is_directory)) {
    return OsError(target.is_directory ? ERROR_ACCESS_DENIED : ERROR_FILE_EXISTS);
  }
  std::string contents;
  if (Status status = ReadFile(from, &contents); !status) return status;
  if (Status written = WriteFileAtomic(*this, to, contents, WriteOptions{durability, false, from});
      !written) {
    return written;
  }
  return source.read_only ? SetReadOnly(to, true) : Status::OK();
}

Status Win32FileSystem::MoveFile(std::string_view from, std::string_view to) {
  // Without REPLACE_EXISTING an existing `to` is refused.
  if (!::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                     MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) {
    return LastError();
  }
  return Status::OK();
}

Status Win32FileSystem::SetReadOnly(std::string_view path, bool read_only) {
  std::wstring host = SystemPath(path);
  DWORD attributes = ::GetFileAttributesW(host.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  DWORD wanted = read_only ? (attributes | FILE_ATTRIBUTE_READONLY)
                           : (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  // A file with no other attribute must say so.
  if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
  if (wanted == attributes) return Status::OK();
  return ::SetFileAttributesW(host.c_str(), wanted) ? Status::OK() : LastError();
}

Status Win32FileSystem::CreateDirectory(std::string_view path) {
  return ::CreateDirectoryW(SystemPath(path).c_str(), nullptr) ? Status::OK() : LastError();
}

Status Win32FileSystem::RemoveDirectory(std::string_view path) {
  return ::RemoveDirectoryW(SystemPath(path).c_str()) ? Status::OK() : LastError();
}

Status Win32FileSystem::ListDirectory(std::string_view dir, std::string_view pattern,
                                      std::vector<DirectoryEntry>* entries) {
  // Every name is listed and matched here: the host's own matching also
  // matches the short names, and "*.ini" would find "a.inix".
  std::wstring search = Wide(LongForm(AppendLastSlash(FullPath(dir)) + "*"));
  WIN32_FIND_DATAW found;
  HANDLE handle = ::FindFirstFileW(search.c_str(), &found);
  entries->clear();
  if (handle == INVALID_HANDLE_VALUE) {
    // A folder without entries, not even "." (a drive's root).
    if (::GetLastError() == ERROR_FILE_NOT_FOUND && DirectoryExists(*this, dir)) {
      return Status::OK();
    }
    return LastError();
  }
  do {
    std::string name = Narrow(found.cFileName);
    if (name == "." || name == ".." || !MatchesPattern(name, pattern)) continue;
    entries->push_back(
        {std::string(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (::FindNextFileW(handle, &found));
  ::FindClose(handle);
  std::sort(entries->begin(), entries->end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return Status::OK();
}

bool Win32FileSystem::GetShortPathName(std::string_view path, std::string* short_path) {
  std::wstring host = SystemPath(path);
  DWORD size = ::GetShortPathNameW(host.c_str(), nullptr, 0);
  if (size == 0) return false;
  std::wstring out(size, L'\0');
  DWORD got = ::GetShortPathNameW(host.c_str(), out.data(), size);
  if (got == 0 || got >= size) return false;
  out.resize(got);
  *short_path = WithoutLongPrefix(Narrow(out));
  return true;
}

}  // namespace zelvan

// The FileSystem of a POSIX host.
//
// Mapping a system path (Windows form) to the host:
//   - `\` becomes `/`;
//   - a path without drive is rooted at the host's root ("\srv\a.kbp" is /srv/a.kbp);
//   - "X:\rest" maps below the host directory given for drive X, and a drive
//     without one has no files (every call on it fails);
//   - "\\server\share\rest" maps below the network root, if one is given.
// Projects come from case-insensitive file systems, so a path that does not
// exist as written is resolved without regard to case, component by
// component, against directory listings that are cached and re-read when a
// directory's modification time changes.
//
// The read-only attribute is the owner's write permission bit. Locks are
// flock(2) locks, which the host drops when the process ends. Lock files lie
// in a folder of the user's own (SetLockDirectory), named after the file
// they lock, so a command that only reads leaves nothing in the project
// tree and works in a tree it may not write; without such a folder they
// lie beside the file.
// There are no short (8.3) names: GetShortPathName fails ("no short form").
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/background_task.h"
#include "platform/file_system.h"

namespace zelvan {

struct HostPathMap {
  std::map<char, std::string> drives;  // upper-case drive letter -> host directory
  std::string network_root;            // empty: network paths have no files
};

class PosixFileSystem final : public FileSystem {
 public:
  // `host_cwd` is the host directory the current directory starts at; empty
  // when it cannot be determined: then GetCurrentDirectory is empty, and a
  // relative host path stays relative (FromHostPath) and names no file.
  PosixFileSystem(HostPathMap map, const std::string& host_cwd);
  ~PosixFileSystem() override;
  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;

  // Maps drive `letter` to a host directory. With `keep_existing`, a drive
  // that is already mapped stays as it is. False for a letter that is no
  // letter, and for a relative directory without a current directory.
  bool MapDrive(char letter, const std::string& host_dir, bool keep_existing);

  std::string GetCurrentDirectory() const override;
  Status SetCurrentDirectory(std::string_view dir) override;
  bool Stat(std::string_view path, FileStatus* status) override;
  Status ReadFile(std::string_view path, std::string* contents) override;
  std::unique_ptr<WritableFile> OpenForWrite(std::string_view path) override;
  std::unique_ptr<WritableFile> CreateFileLike(std::string_view path,
                                               std::string_view like) override;
  std::string ResolveLinks(std::string_view path) override;
  void SyncDirectory(std::string_view dir) override;
  Status AppendToFile(std::string_view path, std::string_view data) override;
  LockResult TryLockFile(std::string_view lock_path, std::unique_ptr<FileLock>* lock) override;
  std::string LockFileOf(std::string_view path) override;
  // The host folder lock files go to, made (mode 0700) when first used. One
  // that is not a directory of this user's that only the user may enter is
  // not used. Empty: beside the files.
  void SetLockDirectory(std::string host_dir) { lock_dir_ = std::move(host_dir); }
  Status Rename(std::string_view from, std::string_view to) override;
  Status DeleteFile(std::string_view path) override;
  Status CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) override;
  Status CopyScratchFile(std::string_view from, std::string_view to, bool fail_if_exists) override;
  Status MoveFile(std::string_view from, std::string_view to) override;
  Status SetReadOnly(std::string_view path, bool read_only) override;
  Status CreateDirectory(std::string_view path) override;
  Status RemoveDirectory(std::string_view path) override;
  Status ListDirectory(std::string_view dir, std::string_view pattern,
                       std::vector<DirectoryEntry>* entries) override;
  bool GetShortPathName(std::string_view path, std::string* short_path) override;
  std::string ToHostPath(std::string_view path) override;
  // Each directory's files looked up in its listing: one stat per directory.
  std::vector<std::string> ToHostPaths(const std::vector<std::string>& paths) override;
  std::string FromHostPath(std::string_view host_path) const override;
  std::unique_ptr<ReadOnlyFileSystem> NewThreadReader() override;
  void WaitForBackgroundWork() override;

 private:
  // Absolute, or relative with a current directory to resolve it against.
  bool IsKnownHostPath(std::string_view host_path) const;
  std::string lock_dir_;
  int lock_dir_state_ = 0;  // 0 not yet looked at, 1 usable, -1 not
  Status Copy(std::string_view from, std::string_view to, bool fail_if_exists,
              Durability durability);
  // Rename's way for a large file that replaces another (host paths).
  Status ReplaceLarge(const std::string& from, const std::string& to);

  struct Listing {
    int64_t dir_mtime_ns = 0;
    int64_t read_at_ns = 0;
    std::unordered_map<std::string, std::vector<std::string>> by_lower_name;
  };

  // A system path mapped to the host: the host directory it is rooted at,
  // the components below it, and the path as written on the host.
  struct MappedPath {
    std::string base;
    std::vector<std::string> components;
    std::string direct;
  };
  static constexpr size_t kMaxMappedPaths = 8192;

  // Null when the path has no place on the host. The result stays valid
  // until the next call.
  const MappedPath* MapToHost(std::string_view path);
  // The host path for a system path: the path as written when it exists,
  // else resolved without regard to case as far as it can be; the unresolved
  // rest is kept as written (so new files get the name they were given).
  bool Resolve(std::string_view path, std::string* host);
  static std::string JoinComponents(const std::string& base,
                                    const std::vector<std::string>& components);
  std::string ResolveComponents(const std::string& base,
                                const std::vector<std::string>& components);
  const std::string* FindEntry(const std::string& dir, const std::string& name);
  const Listing* GetListing(const std::string& dir, bool force);
  void Invalidate(const std::string& host_path);

  // The large file that Rename replaced last, being let go (see ReplaceLarge).
  BackgroundTask release_;
  HostPathMap map_;
  std::string host_cwd_;
  std::string cwd_;
  std::unordered_map<std::string, Listing> cache_;
  std::unordered_map<std::string, MappedPath> mapped_;
  std::string mapped_key_;  // MapToHost's look-up key, kept for its room
};

}  // namespace zelvan

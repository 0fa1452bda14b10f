#include "tests/support/memory_file_system.h"

#include <errno.h>

#include <algorithm>

#include "platform/ansi_text.h"
#include "platform/win_path.h"

namespace zelvan::testing {

struct MemoryFileSystem::Node {
  std::string path;  // full path, case as created
  bool is_directory = false;
  bool read_only = false;
  int64_t mtime_ns = 0;
  std::string data;
};

class MemoryFileSystem::File : public WritableFile {
 public:
  File(MemoryFileSystem* fs, std::shared_ptr<Node> node) : fs_(fs), node_(std::move(node)) {}
  Status Append(std::string_view data) override {
    if (closed_) return Closed();
    node_->data.append(data);
    node_->mtime_ns = fs_->Tick();
    return Status::OK();
  }
  Status Flush() override { return closed_ ? Closed() : Status::OK(); }
  Status Sync() override { return closed_ ? Closed() : Status::OK(); }
  Status Close() override {
    if (closed_) return Closed();
    closed_ = true;
    return Status::OK();
  }

 private:
  static Status Closed() { return Status::Invalid("the file is closed"); }

  MemoryFileSystem* fs_;
  std::shared_ptr<Node> node_;
  bool closed_ = false;
};

namespace {

constexpr int64_t kSecond = 1000000000;
constexpr int64_t kStartTime = 1704164645 * kSecond;  // 2024-01-02 03:04:05 UTC

// The reasons the host would give, so that one table of failures holds for
// both file systems.
Status Missing() {
  return Status::FromErrno(ENOENT);
}
Status Refused() {
  return Status::FromErrno(EACCES);
}
std::unique_ptr<WritableFile> Fail(int why) {
  errno = why;
  return nullptr;
}

bool IsRoot(std::string_view full) {
  if (full == "\\") return true;
  if (full.size() == 3 && HasDrive(full) && full[2] == '\\') return true;
  if (IsNetworkPath(full) && full.back() == '\\') {
    return std::count(full.begin() + 2, full.end(), '\\') == 2;
  }
  return false;
}

// The key of the directory that holds `key`; empty for a root.
std::string ParentKey(std::string_view key) {
  if (IsRoot(key)) return std::string();
  std::string parent = GetFileDirectory(key);
  if (parent.empty() || IsRoot(parent)) return parent;
  return StripTrailingSlash(parent);
}

FileStatus MakeStatus(bool is_directory, bool read_only, uint64_t size, int64_t mtime_ns) {
  FileStatus status;
  status.is_directory = is_directory;
  status.read_only = read_only;
  status.size = size;
  status.mtime_ns = mtime_ns;
  int64_t seconds = mtime_ns / kSecond;
  if (mtime_ns < 0 && mtime_ns % kSecond != 0) --seconds;
  status.mtime_local = ToLocalTime(seconds);
  return status;
}

}  // namespace

MemoryFileSystem::MemoryFileSystem() : now_ns_(kStartTime) {}
MemoryFileSystem::~MemoryFileSystem() = default;

int64_t MemoryFileSystem::Tick() {
  now_ns_ += kSecond;
  return now_ns_;
}

// `full` may be null when only the key is wanted.
bool MemoryFileSystem::Resolve(std::string_view path, std::string* full, std::string* key) const {
  std::string out;
  if (!GetFullPathName(path, cwd_, &out)) return false;
  if (!IsRoot(out) && IsPathSeparator(out.back())) out.pop_back();
  if (full == nullptr) {
    // Only the key is wanted: made in place, without a copy.
    for (char& c : out)
      c = ToLowerAscii(c);
    *key = std::move(out);
    return true;
  }
  *key = ToLowerAscii(out);
  *full = std::move(out);
  return true;
}

std::shared_ptr<MemoryFileSystem::Node> MemoryFileSystem::Find(std::string_view key) const {
  auto it = nodes_.find(key);
  return it == nodes_.end() ? nullptr : it->second;
}

std::shared_ptr<MemoryFileSystem::Node> MemoryFileSystem::FindPath(std::string_view path) const {
  std::string key;
  return Resolve(path, nullptr, &key) ? Find(key) : nullptr;
}

bool MemoryFileSystem::IsDirectoryKey(std::string_view key) const {
  if (IsRoot(key)) return true;
  std::shared_ptr<Node> node = Find(key);
  return node && node->is_directory;
}

std::string MemoryFileSystem::GetCurrentDirectory() const {
  return cwd_;
}

Status MemoryFileSystem::SetCurrentDirectory(std::string_view dir) {
  std::string full, key;
  if (!Resolve(dir, &full, &key) || !IsDirectoryKey(key)) return Missing();
  cwd_ = AppendLastSlash(full);
  return Status::OK();
}

bool MemoryFileSystem::Stat(std::string_view path, FileStatus* status) {
  std::string key;
  if (!Resolve(path, nullptr, &key)) return false;
  if (IsRoot(key)) {
    *status = MakeStatus(true, false, 0, kStartTime);
    return true;
  }
  std::shared_ptr<Node> node = Find(key);
  if (!node) return false;
  *status = MakeStatus(node->is_directory, node->read_only,
                       node->is_directory ? 0 : node->data.size(), node->mtime_ns);
  return true;
}

Status MemoryFileSystem::ReadFile(std::string_view path, std::string* contents) {
  std::shared_ptr<Node> node = FindPath(path);
  if (!node) return Missing();
  if (node->is_directory) return Status::FromErrno(EISDIR);
  *contents = node->data;
  return Status::OK();
}

std::unique_ptr<WritableFile> MemoryFileSystem::OpenForWrite(std::string_view path) {
  std::string full, key;
  // Like the host, a refusal leaves its reason in errno.
  if (!Resolve(path, &full, &key) || IsRoot(key)) return Fail(ENOENT);
  std::shared_ptr<Node> node = Find(key);
  if (node) {
    if (node->is_directory) return Fail(EISDIR);
    if (node->read_only) return Fail(EACCES);
    node->data.clear();
    node->mtime_ns = Tick();
  } else {
    if (!IsDirectoryKey(ParentKey(key))) return Fail(ENOENT);
    node = std::make_shared<Node>();
    node->path = full;
    node->mtime_ns = Tick();
    nodes_[key] = node;
  }
  return std::make_unique<File>(this, node);
}

Status MemoryFileSystem::Rename(std::string_view from, std::string_view to) {
  std::string from_full, from_key, to_full, to_key;
  if (!Resolve(from, &from_full, &from_key) || !Resolve(to, &to_full, &to_key)) return Missing();
  std::shared_ptr<Node> source = Find(from_key);
  if (!source || !IsDirectoryKey(ParentKey(to_key))) return Missing();
  // Only files move: the system never renames a directory.
  if (IsRoot(to_key) || source->is_directory) return Refused();
  if (from_key == to_key) {  // a change of letter case only
    source->path = to_full;
    return Status::OK();
  }
  std::shared_ptr<Node> target = Find(to_key);
  if (target) {
    if (target->is_directory) return Status::FromErrno(EISDIR);
    if (target->read_only) return Refused();
    to_full = target->path;  // a replaced file keeps its own spelling, as on the host
  }
  nodes_.erase(from_key);
  source->path = to_full;
  nodes_[to_key] = source;
  return Status::OK();
}

Status MemoryFileSystem::DeleteFile(std::string_view path) {
  std::string full, key;
  if (!Resolve(path, &full, &key)) return Missing();
  std::shared_ptr<Node> node = Find(key);
  if (!node) return Missing();
  if (node->is_directory) return Status::FromErrno(EISDIR);
  if (node->read_only) return Refused();
  nodes_.erase(key);
  return Status::OK();
}

Status MemoryFileSystem::CopyFile(std::string_view from, std::string_view to, bool fail_if_exists) {
  std::string from_full, from_key, to_full, to_key;
  if (!Resolve(from, &from_full, &from_key) || !Resolve(to, &to_full, &to_key)) return Missing();
  std::shared_ptr<Node> source = Find(from_key);
  if (!source) return Missing();
  if (source->is_directory) return Status::FromErrno(EISDIR);
  if (from_key == to_key) return Status::FromErrno(EEXIST);
  std::shared_ptr<Node> target = Find(to_key);
  if (target) {
    if (target->is_directory) return Status::FromErrno(EISDIR);
    if (fail_if_exists) return Status::FromErrno(EEXIST);
    if (target->read_only) return Refused();
  } else {
    if (!IsDirectoryKey(ParentKey(to_key))) return Missing();
    target = std::make_shared<Node>();
    target->path = to_full;
    nodes_[to_key] = target;
  }
  Tick();
  target->data = source->data;
  target->read_only = source->read_only;
  target->mtime_ns = source->mtime_ns;
  return Status::OK();
}

Status MemoryFileSystem::MoveFile(std::string_view from, std::string_view to) {
  std::string from_full, from_key, to_full, to_key;
  if (!Resolve(from, &from_full, &from_key) || !Resolve(to, &to_full, &to_key)) return Missing();
  if (from_key != to_key && Find(to_key)) return Status::FromErrno(EEXIST);
  return Rename(from, to);
}

Status MemoryFileSystem::SetReadOnly(std::string_view path, bool read_only) {
  std::shared_ptr<Node> node = FindPath(path);
  if (!node) return Missing();
  node->read_only = read_only;
  return Status::OK();
}

Status MemoryFileSystem::CreateDirectory(std::string_view path) {
  std::string full, key;
  if (!Resolve(path, &full, &key)) return Missing();
  if (IsRoot(key) || Find(key)) return Status::FromErrno(EEXIST);
  if (!IsDirectoryKey(ParentKey(key))) return Missing();
  auto node = std::make_shared<Node>();
  node->path = full;
  node->is_directory = true;
  node->mtime_ns = Tick();
  nodes_[key] = node;
  return Status::OK();
}

Status MemoryFileSystem::RemoveDirectory(std::string_view path) {
  std::string full, key;
  if (!Resolve(path, &full, &key)) return Missing();
  std::shared_ptr<Node> node = Find(key);
  if (!node) return Missing();
  if (!node->is_directory) return Status::FromErrno(ENOTDIR);
  auto child = nodes_.lower_bound(key + "\\");
  if (child != nodes_.end() && child->first.compare(0, key.size() + 1, key + "\\") == 0) {
    return Status::FromErrno(ENOTEMPTY);
  }
  nodes_.erase(key);
  return Status::OK();
}

Status MemoryFileSystem::ListDirectory(std::string_view dir, std::string_view pattern,
                                       std::vector<DirectoryEntry>* entries) {
  std::string full, key;
  if (!Resolve(dir, &full, &key) || !IsDirectoryKey(key)) return Missing();
  std::string prefix = AppendLastSlash(key);
  entries->clear();
  for (auto it = nodes_.lower_bound(prefix);
       it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    std::string_view rest(it->first);
    rest.remove_prefix(prefix.size());
    if (rest.find('\\') != std::string_view::npos) continue;
    std::string name = FileNamePart(it->second->path);
    if (!MatchesPattern(name, pattern)) continue;
    entries->push_back({name, it->second->is_directory});
  }
  std::sort(entries->begin(), entries->end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  return Status::OK();
}

bool MemoryFileSystem::GetShortPathName(std::string_view, std::string*) {
  return false;
}

std::string MemoryFileSystem::ToHostPath(std::string_view path) {
  std::string full, key;
  if (!Resolve(path, &full, &key)) return std::string();
  std::replace(full.begin(), full.end(), '\\', '/');
  return full;
}

std::string MemoryFileSystem::FromHostPath(std::string_view host_path) const {
  std::string out(host_path);
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

bool MemoryFileSystem::AddFile(std::string_view path, std::string_view contents) {
  std::string full, key;
  if (!Resolve(path, &full, &key) || IsRoot(key)) return false;
  std::string parent = ParentKey(key);
  if (!IsDirectoryKey(parent) && !AddDirectory(GetFileDirectory(full))) return false;
  std::shared_ptr<Node> node = Find(key);
  if (node && node->is_directory) return false;
  if (!node) {
    node = std::make_shared<Node>();
    node->path = full;
    nodes_[key] = node;
  }
  node->data = std::string(contents);
  node->read_only = false;
  node->mtime_ns = Tick();
  return true;
}

bool MemoryFileSystem::AddDirectory(std::string_view path) {
  return CreateDirectories(*this, path);
}

std::optional<std::string> MemoryFileSystem::Contents(std::string_view path) const {
  std::shared_ptr<Node> node = FindPath(path);
  if (!node || node->is_directory) return std::nullopt;
  return node->data;
}

bool MemoryFileSystem::SetModificationTime(std::string_view path, int64_t mtime_ns) {
  std::shared_ptr<Node> node = FindPath(path);
  if (!node) return false;
  node->mtime_ns = mtime_ns;
  return true;
}

std::vector<std::string> MemoryFileSystem::AllFiles() const {
  std::vector<std::string> files;
  for (const auto& [key, node] : nodes_) {
    if (!node->is_directory) files.push_back(node->path);
  }
  return files;
}

}  // namespace zelvan::testing

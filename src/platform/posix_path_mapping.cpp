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
#include "platform/posix_file_system_internal.h"
#include "platform/win_path.h"

namespace zelvan {

using namespace posix_internal;  // NOLINT(google-build-using-namespace)

namespace {

int64_t NowNs() {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

}  // namespace

std::string PosixFileSystem::ToHostPath(std::string_view path) {
  std::string host;
  return Resolve(path, &host) ? host : std::string();
}

namespace {

// The last part of a path when it follows a separator and is a plain name:
// printable ASCII that no mapping changes (no character a Windows name may
// not hold, no trailing dot or blank, which full paths lose); else empty.
std::string_view PlainLastName(std::string_view path) {
  size_t at = path.size();
  while (at > 0) {
    char c = path[at - 1];
    if (IsPathSeparator(c)) break;
    switch (c) {
      case ':':
      case '*':
      case '?':
      case '"':
      case '<':
      case '>':
      case '|':
        return {};
      default:
        if (c < 0x20 || c > 0x7E) return {};
    }
    --at;
  }
  std::string_view name = path.substr(at);
  if (at == 0 || name.empty() || name.back() == '.' || name.back() == ' ') return {};
  return name;
}

}  // namespace

std::vector<std::string> PosixFileSystem::ToHostPaths(const std::vector<std::string>& paths) {
  // A directory of this call: where it resolves to and its listing; null
  // when it cannot be read or changed too recently to trust its listing
  // (its files are then resolved one by one, as ToHostPath does).
  struct Dir {
    std::string host;
    const Listing* listing = nullptr;
  };
  std::unordered_map<std::string, Dir> dirs;  // by the directory as written
  // Paths in a row mostly share their directory: the last one is tried first.
  std::string_view last_written;
  const Dir* last_dir = nullptr;
  std::string lower;
  std::vector<std::string> hosts;
  hosts.reserve(paths.size());
  // The name as written when the directory has it, else one equal without
  // regard to case, else (a new file) as written.
  auto append_host = [&](const Dir& dir, std::string_view name) {
    std::string_view entry = name;
    lower.assign(name);
    for (char& c : lower)
      c = ToLowerAscii(c);
    auto found = dir.listing->by_lower_name.find(lower);
    if (found != dir.listing->by_lower_name.end()) {
      entry = found->second.front();
      for (const std::string& candidate : found->second) {
        if (candidate == name) entry = candidate;
      }
    }
    std::string& host = hosts.emplace_back();
    host.reserve(dir.host.size() + 1 + entry.size());
    host = dir.host;
    if (host.empty() || host.back() != '/') host += '/';
    host += entry;
  };
  // Paths in a row mostly share their directory as written: a plain name
  // after the last one's directory text is in that directory, and the path
  // is not mapped again. The text must be one whose split the mapping
  // confirmed (`last_split`): what stands before a separator decides
  // whether it is one (a double-byte character's trail byte is not). It is
  // set only for a directory with a listing, which `last_dir` then is.
  std::string last_split;
  for (const std::string& path : paths) {
    std::string_view plain_name = PlainLastName(path);
    if (!last_split.empty() && !plain_name.empty() &&
        std::string_view(path).substr(0, path.size() - plain_name.size()) == last_split) {
      append_host(*last_dir, plain_name);
      continue;
    }
    last_split.clear();
    const MappedPath* mapped = MapToHost(path);
    if (mapped == nullptr) {
      hosts.emplace_back();
      continue;
    }
    if (mapped->components.empty()) {
      hosts.push_back(ToHostPath(path));
      continue;
    }
    const std::string& name = mapped->components.back();
    const std::string& direct = mapped->direct;
    std::string_view written =
        mapped->components.size() == 1
            ? std::string_view(mapped->base)
            : std::string_view(direct).substr(0, direct.size() - name.size() - 1);
    if (last_dir == nullptr || written != last_written) {
      auto it = dirs.find(std::string(written));
      if (it == dirs.end()) {
        Dir dir;
        std::string written_text(written);
        struct stat st;
        if (::lstat(written_text.c_str(), &st) == 0) {
          dir.host = written_text;
        } else {
          std::vector<std::string> parents(mapped->components.begin(),
                                           mapped->components.end() - 1);
          dir.host = ResolveComponents(mapped->base, parents);
        }
        // As FindEntry: a listing read in the tick of the directory's last
        // change is read once more, and not trusted if that is still so.
        auto racy = [](const Listing* listing) {
          return listing->read_at_ns - listing->dir_mtime_ns < 2000000000;
        };
        dir.listing = GetListing(dir.host, false);
        if (dir.listing != nullptr && racy(dir.listing)) dir.listing = GetListing(dir.host, true);
        if (dir.listing != nullptr && racy(dir.listing)) dir.listing = nullptr;
        it = dirs.emplace(std::move(written_text), std::move(dir)).first;
      }
      // The key, not `written`: the mapped path it views may be let go by
      // the next MapToHost.
      last_written = it->first;
      last_dir = &it->second;
    }
    const Dir& dir = *last_dir;
    if (dir.listing == nullptr) {
      hosts.push_back(ToHostPath(path));
      continue;
    }
    if (!plain_name.empty() && plain_name == name) {
      last_split.assign(path, 0, path.size() - name.size());
    }
    append_host(dir, name);
  }
  return hosts;
}

std::string PosixFileSystem::FromHostPath(std::string_view host_path) const {
  if (!IsKnownHostPath(host_path)) {
    // Relative, and no current directory to resolve it against: it stays
    // relative, which no call resolves either, rather than landing in "/".
    std::string relative(host_path);
    std::replace(relative.begin(), relative.end(), '/', '\\');
    return relative;
  }
  std::string host = NormaliseHostPath(host_path, host_cwd_);
  // The longest mapped prefix wins, so a drive inside another maps to itself.
  const std::string* best_dir = nullptr;
  std::string best_prefix;
  auto consider = [&](const std::string& dir, std::string prefix) {
    bool inside = host == dir || dir == "/" ||
                  (host.size() > dir.size() && host.compare(0, dir.size(), dir) == 0 &&
                   host[dir.size()] == '/');
    if (inside && (best_dir == nullptr || dir.size() > best_dir->size())) {
      best_dir = &dir;
      best_prefix = std::move(prefix);
    }
  };
  for (const auto& [letter, dir] : map_.drives)
    consider(dir, std::string(1, letter) + ":");
  if (!map_.network_root.empty()) consider(map_.network_root, "\\");
  std::string rest = host;
  std::string prefix;
  if (best_dir != nullptr) {
    rest = *best_dir == "/" ? host : host.substr(best_dir->size());
    prefix = best_prefix;
  }
  std::replace(rest.begin(), rest.end(), '/', '\\');
  if (rest.empty()) rest = "\\";
  return prefix + rest;
}

// Maps a system path to the host: the host directory the path is rooted at,
// and the components below it. False when the path has no place on the host.
const PosixFileSystem::MappedPath* PosixFileSystem::MapToHost(std::string_view path) {
  // Profile reads map the same few paths again and again; remember them.
  std::string& key = mapped_key_;  // a member: most calls find the path, and allocate nothing
  key.assign(cwd_);
  key += '|';
  key += path;
  if (auto it = mapped_.find(key); it != mapped_.end()) return &it->second;
  std::string full;
  if (!GetFullPathName(path, cwd_, &full)) return nullptr;
  MappedPath mapped;
  std::string_view rest = full;
  if (HasDrive(full)) {
    auto it = map_.drives.find(ToUpperAscii(full[0]));
    if (it == map_.drives.end()) return nullptr;
    mapped.base = it->second;
    rest.remove_prefix(2);
  } else if (IsNetworkPath(full)) {
    if (map_.network_root.empty()) return nullptr;
    mapped.base = map_.network_root;
    rest.remove_prefix(2);
  } else {
    mapped.base = "/";
  }
  // A trail byte of a double-byte character may be 0x5C: no separator.
  for (std::string_view part : PathComponents(rest))
    mapped.components.emplace_back(part);
  mapped.direct = JoinComponents(mapped.base, mapped.components);
  if (mapped_.size() >= kMaxMappedPaths) mapped_.clear();
  return &mapped_.emplace(key, std::move(mapped)).first->second;
}

// The host path for a system path: the path as written when it exists,
// else resolved without regard to case as far as it can be; the unresolved
// rest is kept as written (so new files get the name they were given).
bool PosixFileSystem::Resolve(std::string_view path, std::string* host) {
  const MappedPath* mapped = MapToHost(path);
  if (mapped == nullptr) return false;
  struct stat st;
  if (::lstat(mapped->direct.c_str(), &st) == 0) {
    *host = mapped->direct;
    return true;
  }
  *host = ResolveComponents(mapped->base, mapped->components);
  return true;
}

std::string PosixFileSystem::JoinComponents(const std::string& base,
                                            const std::vector<std::string>& components) {
  std::string out = base;
  for (const std::string& part : components)
    out = JoinHost(out, part);
  return out;
}

std::string PosixFileSystem::ResolveComponents(const std::string& base,
                                               const std::vector<std::string>& components) {
  std::string current = base;
  size_t i = 0;
  // Mostly only the last name is not as written (a message's word that
  // starts with a path): when the folder holding it exists as written, each
  // of its names is found as written, and its listing alone is read.
  if (components.size() > 1) {
    std::string folder = base;
    for (size_t k = 0; k + 1 < components.size(); ++k)
      folder = JoinHost(folder, components[k]);
    struct stat st;
    if (::lstat(folder.c_str(), &st) == 0) {
      current = std::move(folder);
      i = components.size() - 1;
    }
  }
  for (; i < components.size(); ++i) {
    const std::string* match = FindEntry(current, components[i]);
    if (match == nullptr) {
      for (size_t j = i; j < components.size(); ++j)
        current = JoinHost(current, components[j]);
      break;
    }
    current = JoinHost(current, *match);
  }
  return current;
}

// The entry of `dir` named `name`: the exact name when present, else the
// first one equal without regard to case; null when there is none.
const std::string* PosixFileSystem::FindEntry(const std::string& dir, const std::string& name) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const Listing* listing = GetListing(dir, attempt == 1);
    if (listing == nullptr) return nullptr;
    auto it = listing->by_lower_name.find(ToLowerAscii(name));
    if (it != listing->by_lower_name.end()) {
      for (const std::string& candidate : it->second) {
        if (candidate == name) return &candidate;
      }
      return &it->second.front();
    }
    // A listing read in the same clock tick as the directory's last change
    // may miss an entry made just after it: read it once more before saying no.
    bool racy = listing->read_at_ns - listing->dir_mtime_ns < 2000000000;
    if (!racy) return nullptr;
  }
  return nullptr;
}

const PosixFileSystem::Listing* PosixFileSystem::GetListing(const std::string& dir, bool force) {
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    cache_.erase(dir);
    return nullptr;
  }
  auto it = cache_.find(dir);
  if (!force && it != cache_.end() && it->second.dir_mtime_ns == MtimeNs(st)) {
    return &it->second;
  }
  Listing listing;
  listing.dir_mtime_ns = MtimeNs(st);
  listing.read_at_ns = NowNs();
  DIR* d = ::opendir(dir.c_str());
  if (d == nullptr) return nullptr;
  while (struct dirent* e = ::readdir(d)) {
    std::string_view name = e->d_name;
    if (name == "." || name == "..") continue;
    listing.by_lower_name[ToLowerAscii(name)].emplace_back(name);
  }
  ::closedir(d);
  Listing& stored = cache_[dir];
  stored = std::move(listing);
  return &stored;
}

// Forgets the cached listing of the directory that holds `host_path`.
void PosixFileSystem::Invalidate(const std::string& host_path) {
  size_t slash = host_path.rfind('/');
  if (slash == std::string::npos) return;
  cache_.erase(slash == 0 ? std::string("/") : host_path.substr(0, slash));
}

bool PosixFileSystem::MapDrive(char letter, const std::string& host_dir, bool keep_existing) {
  char upper = ToUpperAscii(letter);
  if (upper < 'A' || upper > 'Z') return false;
  if (keep_existing && map_.drives.count(upper)) return true;
  if (!IsKnownHostPath(host_dir)) return false;
  map_.drives[upper] = NormaliseHostPath(host_dir, host_cwd_);
  mapped_.clear();
  return true;
}

}  // namespace zelvan

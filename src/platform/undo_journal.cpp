#include "platform/undo_journal.h"

#include <cstdint>

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"

namespace zelvan {

namespace {

constexpr std::string_view kHeader = "zelvan undo journal";
constexpr std::string_view kSuffix = ".undo";
constexpr std::string_view kDoneWhenChanged = "done-when-changed ";
constexpr std::string_view kDirectory = "dir ";
constexpr std::string_view kFile = "file ";
constexpr std::string_view kObsolete = "obsolete ";

// FNV-1a and the size: enough to tell the file an operation wrote from
// another one a user put there.
std::string Digest(std::string_view contents) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : contents) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return StringPrintf("%016llx:%zu", static_cast<unsigned long long>(hash), contents.size());
}

// The digest of the file at `path`, "-" when there is none; empty when it
// exists but cannot be read.
std::string DigestOfFile(FileSystem& fs, std::string_view path) {
  FileStatus status;
  if (!fs.Stat(path, &status)) return "-";
  std::string contents;
  if (status.is_directory || status.is_other || !fs.ReadFile(path, &contents)) return "";
  return Digest(contents);
}

// The two fields of a line after its keyword: digest and path.
bool SplitDigestLine(std::string_view rest, std::string* digest, std::string* path) {
  size_t blank = rest.find(' ');
  if (blank == std::string_view::npos || blank == 0 || blank + 1 >= rest.size()) return false;
  *digest = std::string(rest.substr(0, blank));
  *path = std::string(rest.substr(blank + 1));
  return true;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool UndoJournal::WillCreateFile(std::string_view path, std::string_view contents) {
  return Add(std::string(kFile) + Digest(contents) + " " + std::string(path));
}

bool UndoJournal::WillCreateDirectory(std::string_view path) {
  return Add(std::string(kDirectory) + std::string(path));
}

void UndoJournal::DoneWhenChanged(std::string_view path) {
  if (dir_.empty()) return;
  lines_.push_back(std::string(kDoneWhenChanged) + DigestOfFile(fs_, path) + " " +
                   std::string(path));
}

void UndoJournal::DeleteWhenDone(std::string_view path) {
  if (dir_.empty()) return;
  lines_.push_back(std::string(kObsolete) + DigestOfFile(fs_, path) + " " + std::string(path));
}

bool UndoJournal::Add(std::string line) {
  if (dir_.empty()) return true;
  if (path_.empty()) {
    std::string unique;
    if (!MakeUniqueName(fs_, TemporaryPattern(AppendLastSlash(dir_) + "zelvan."), &unique)) {
      return false;
    }
    path_ = unique + std::string(kSuffix);
  }
  lines_.push_back(std::move(line));
  std::string text = std::string(kHeader) + "\n";
  for (const std::string& each : lines_)
    text += each + "\n";
  return WriteFileAtomic(fs_, path_, text).ok();
}

void UndoJournal::Close() {
  if (!path_.empty()) fs_.DeleteFile(path_);
  path_.clear();
  lines_.clear();
}

bool IsUndoJournalName(std::string_view name, std::string_view* owner) {
  if (name.size() <= kSuffix.size() || name.substr(name.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  std::string_view tag = TemporaryOwner(name.substr(0, name.size() - kSuffix.size()));
  if (tag.empty()) return false;
  // The tag is a view into `name` whatever the suffix.
  *owner = tag;
  return true;
}

void UndoDeadJournal(FileSystem& fs, const std::string& path) {
  std::string text;
  if (!fs.ReadFile(path, &text)) return;
  std::vector<std::string_view> lines;
  for (std::string_view rest = text; !rest.empty();) {
    size_t end = rest.find('\n');
    lines.push_back(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  if (lines.empty() || lines.front() != kHeader) return;
  std::string digest, target;
  bool done = false;
  for (std::string_view line : lines) {
    for (std::string_view keyword : {kDoneWhenChanged, kObsolete}) {
      if (StartsWith(line, keyword) &&
          SplitDigestLine(line.substr(keyword.size()), &digest, &target) &&
          DigestOfFile(fs, target) != digest) {
        done = true;
      }
    }
  }
  if (done) {
    // The operation got as far as its end: what it made stays, and what it
    // was deleting goes.
    for (std::string_view line : lines) {
      if (StartsWith(line, kObsolete) &&
          SplitDigestLine(line.substr(kObsolete.size()), &digest, &target) && digest != "-" &&
          DigestOfFile(fs, target) == digest) {
        fs.SetReadOnly(target, false);
        fs.DeleteFile(target);
      }
    }
    fs.DeleteFile(path);
    return;
  }
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    if (StartsWith(*it, kFile) && SplitDigestLine(it->substr(kFile.size()), &digest, &target)) {
      // The file's own temporary, should the process have died writing it.
      RemoveDeadTemporaryFiles(fs, GetFileDirectory(target));
      if (DigestOfFile(fs, target) == digest) {
        fs.SetReadOnly(target, false);
        fs.DeleteFile(target);
      }
    } else if (StartsWith(*it, kDirectory)) {
      std::string dir(it->substr(kDirectory.size()));
      RemoveDeadTemporaryFiles(fs, dir);
      fs.RemoveDirectory(dir);
    }
  }
  fs.DeleteFile(path);
}

}  // namespace zelvan

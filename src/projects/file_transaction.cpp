#include "projects/file_transaction.h"

#include "platform/file_system.h"
#include "platform/win_path.h"

namespace zelvan {

FileTransaction::~FileTransaction() {
  Rollback();
}

bool FileTransaction::CreateDirectories(std::string_view dir, std::string* error) {
  // The missing directories from the outermost in, so that Rollback can
  // remove them from the innermost out.
  std::vector<std::string> missing;
  std::string path = StripTrailingSlash(fs_.FullPath(dir));
  while (!path.empty() && !DirectoryExists(fs_, path)) {
    missing.insert(missing.begin(), path);
    std::string parent = StripTrailingSlash(GetFileDirectory(path));
    if (parent == path || parent.size() <= 2) break;  // a root ("C:", "\")
    path = parent;
  }
  for (const std::string& each : missing) {
    if (!journal_.WillCreateDirectory(each)) {
      *error = "the undo journal cannot be written";
      return false;
    }
    if (!fs_.CreateDirectory(each)) {
      *error = "the folder " + each + " cannot be created";
      return false;
    }
    directories_.push_back(each);
  }
  return true;
}

bool FileTransaction::Record(std::string_view path) {
  for (const Entry& entry : entries_) {
    if (PathEquals(entry.path, path)) return true;
  }
  Entry entry;
  entry.path = std::string(path);
  FileStatus status;
  if (fs_.Stat(path, &status) && !status.is_directory) {
    if (!fs_.ReadFile(path, &entry.contents)) return false;
    entry.existed = true;
    entry.read_only = status.read_only;
  }
  entries_.push_back(std::move(entry));
  return true;
}

void FileTransaction::Protect(std::string_view path) {
  Record(path);
}

bool FileTransaction::Write(std::string_view path, std::string_view contents, bool must_be_new,
                            bool read_only, std::string_view permissions_of, std::string* error) {
  FileStatus status;
  bool exists = fs_.Stat(path, &status);
  if (exists && (must_be_new || status.is_directory)) {
    *error = status.is_directory ? "it is a folder" : "it exists already";
    return false;
  }
  if (!Record(path)) {
    *error = "it cannot be read";
    return false;
  }
  if (!exists && !journal_.WillCreateFile(path, contents)) {
    *error = "the undo journal cannot be written";
    return false;
  }
  if (exists && status.read_only && !fs_.SetReadOnly(path, false)) {
    *error = "its read-only attribute cannot be cleared";
    return false;
  }
  if (Status written = WriteFileAtomic(fs_, path, contents,
                                       WriteOptions{Durability::kDurable, false, permissions_of});
      !written) {
    *error = written.ToString();
    return false;
  }
  if (read_only && !fs_.SetReadOnly(path, true)) {
    *error = "its read-only attribute cannot be set";
    return false;
  }
  return true;
}

bool FileTransaction::WriteNewFile(std::string_view path, std::string_view contents,
                                   std::string* error, bool read_only,
                                   std::string_view permissions_of) {
  return Write(path, contents, /*must_be_new=*/true, read_only, permissions_of, error);
}

bool FileTransaction::ReplaceFile(std::string_view path, std::string_view contents,
                                  std::string* error) {
  return Write(path, contents, /*must_be_new=*/false, /*read_only=*/false, {}, error);
}

void FileTransaction::Rollback() {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    FileStatus status;
    bool exists = fs_.Stat(it->path, &status) && !status.is_directory;
    if (!it->existed) {
      if (exists) {
        fs_.SetReadOnly(it->path, false);
        fs_.DeleteFile(it->path);
      }
      continue;
    }
    std::string now;
    if (exists && fs_.ReadFile(it->path, &now) && now == it->contents &&
        status.read_only == it->read_only) {
      continue;
    }
    if (exists) fs_.SetReadOnly(it->path, false);
    if (WriteFileAtomic(fs_, it->path, it->contents) && it->read_only) {
      fs_.SetReadOnly(it->path, true);
    }
  }
  entries_.clear();
  for (auto it = directories_.rbegin(); it != directories_.rend(); ++it)
    fs_.RemoveDirectory(*it);
  directories_.clear();
  journal_.Close();
}

void FileTransaction::Commit() {
  entries_.clear();
  directories_.clear();
  journal_.Close();
}

}  // namespace zelvan

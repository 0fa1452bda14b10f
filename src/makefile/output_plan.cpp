#include "makefile/output_plan.h"

#include "platform/ansi_text.h"
#include "platform/win_path.h"

namespace zelvan {

void OutputPlan::AddFolder(std::string_view path) {
  if (folder_keys_.insert(ToLowerAscii(StripTrailingSlash(path))).second) {
    folders.emplace_back(path);
  }
}

namespace {

// CreateDirectories, adding to `made` each directory that was not there.
void MakeFolder(FileSystem& fs, std::string_view path, std::vector<std::string>* made) {
  std::vector<std::string> missing;  // the deepest first
  std::string dir = StripTrailingSlash(fs.FullPath(path));
  while (!dir.empty() && !DirectoryExists(fs, dir)) {
    missing.push_back(dir);
    std::string parent = StripTrailingSlash(GetFileDirectory(dir));
    if (parent == dir) break;
    dir = std::move(parent);
  }
  if (missing.empty()) return;
  // A folder that cannot be made is the build's to report.
  CreateDirectories(fs, path);
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (DirectoryExists(fs, *it)) made->push_back(*it);
  }
}

Status WriteFile(FileSystem& fs, const PlannedFile& file) {
  WriteOptions options{file.durability, file.read_only == ReadOnlyRule::kReplaced, {}};
  if (file.read_only != ReadOnlyRule::kClearedFirst) {
    return WriteFileAtomic(fs, file.path, file.contents, options);
  }
  FileStatus status;
  bool was_read_only = fs.Stat(file.path, &status) && status.read_only;
  if (was_read_only) fs.SetReadOnly(file.path, false);
  Status written = WriteFileAtomic(fs, file.path, file.contents, options);
  if (!written && was_read_only) fs.SetReadOnly(file.path, true);
  return written;
}

// A file the plan wrote, and what it replaced.
struct Written {
  const PlannedFile* file = nullptr;
  bool existed = false;
  bool restorable = false;
  bool was_read_only = false;
  std::string old;
};

void Undo(FileSystem& fs, const std::vector<Written>& written,
          const std::vector<std::string>& made) {
  for (auto it = written.rbegin(); it != written.rend(); ++it) {
    const std::string& path = it->file->path;
    if (!it->existed) {
      fs.DeleteFile(path);
    } else if (it->restorable) {
      // Best effort: the failure that started the undo is the one reported.
      (void)WriteFileAtomic(fs, path, it->old,
                            WriteOptions{it->file->durability, /*replace_read_only=*/true, {}});
      if (it->was_read_only) fs.SetReadOnly(path, true);
    }
  }
  // Only empty folders go: one that something else filled meanwhile stays.
  for (auto it = made.rbegin(); it != made.rend(); ++it)
    fs.RemoveDirectory(*it);
}

}  // namespace

Status ApplyOutputPlan(FileSystem& fs, const OutputPlan& plan) {
  std::vector<std::string> made;
  for (const std::string& folder : plan.folders)
    MakeFolder(fs, folder, &made);
  // A file written after the last required one is never undone: no old
  // contents need keeping for it.
  size_t last_required = 0;
  for (size_t i = 0; i < plan.files.size(); ++i) {
    if (plan.files[i].required) last_required = i + 1;
  }
  std::vector<Written> written;
  for (size_t i = 0; i < plan.files.size(); ++i) {
    const PlannedFile& file = plan.files[i];
    Written done;
    done.file = &file;
    FileStatus status;
    done.existed = fs.Stat(file.path, &status);
    if (done.existed && i + 1 < last_required) {
      done.was_read_only = status.read_only;
      done.restorable = fs.ReadFile(file.path, &done.old).ok();
    }
    Status file_written = WriteFile(fs, file);
    if (file_written) {
      written.push_back(std::move(done));
    } else if (file.required) {
      Undo(fs, written, made);
      return file_written;
    }
  }
  return Status::OK();
}

}  // namespace zelvan

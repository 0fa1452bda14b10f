#include "model/project_store.h"

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "storage/profile_data.h"
#include "storage/text_table.h"
#include "storage/working_copy.h"

namespace zelvan {

ProjectStore::ProjectStore(const Platform& platform, ProjectPaths& paths)
    : platform_(platform), paths_(paths) {}

ProjectStore::~ProjectStore() = default;

bool ProjectStore::CreateWorkingCopy(std::string* error) {
  if (!zelvan::CreateWorkingCopy(platform_, paths_.project_file, &paths_.working_copy, error)) {
    paths_.working_copy.clear();
    return false;
  }
  if (!RecordWorkingCopyState()) {
    if (error) *error = "the working copy " + paths_.working_copy + " cannot be read";
    DeleteWorkingCopy();
    return false;
  }
  return true;
}

void ProjectStore::DeleteWorkingCopy() {
  if (paths_.working_copy.empty()) return;
  // Pending writes must not bring the file back after it is gone.
  Profile().Forget(paths_.working_copy);
  Fs().SetReadOnly(paths_.working_copy, false);
  Fs().DeleteFile(paths_.working_copy);
  paths_.working_copy.clear();
}

bool ProjectStore::LoadWholeFile() {
  if (paths_.working_copy.empty()) return false;
  Profile().Flush(paths_.working_copy);
  auto file = std::make_unique<ProfileData>();
  if (!file->Load(Fs(), paths_.working_copy)) return false;
  whole_file_ = std::move(file);
  return true;
}

void ProjectStore::ReleaseWholeFile() {
  whole_file_.reset();
}

std::string ProjectStore::ReadKey(std::string_view section, std::string_view key) const {
  return Profile().GetString(section, key, "", paths_.working_copy);
}

bool ProjectStore::Flush() {
  return Profile().Flush(paths_.working_copy);
}

bool ProjectStore::RecordWorkingCopyState() {
  std::string contents;
  if (!Fs().ReadFile(paths_.working_copy, &contents)) return false;
  recorded_size_ = contents.size();
  recorded_hash_ = HashText(contents);
  return true;
}

bool ProjectStore::IsModified() {
  if (paths_.working_copy.empty()) return false;
  Flush();
  // Size and contents, not the modification time: two writes within one
  // tick of the file system's clock leave the time as it was.
  std::string contents;
  if (!Fs().ReadFile(paths_.working_copy, &contents)) return false;
  return contents.size() != recorded_size_ || HashText(contents) != recorded_hash_;
}

bool ProjectStore::ProjectFileIsReadOnly() {
  FileStatus status;
  return Fs().Stat(paths_.project_file, &status) && status.read_only;
}

bool ProjectStore::Save(bool source_data_saved) {
  save_failures_.clear();
  if (!source_data_saved) save_failures_.push_back(paths_.dependency_file);
  if (IsModified()) {
    const std::string& project_file = paths_.project_file;
    std::string on_disk;
    if (Fs().ReadFile(project_file, &on_disk) &&
        (on_disk.size() != recorded_size_ || HashText(on_disk) != recorded_hash_)) {
      // Another program wrote the file since it was copied: neither version
      // may be lost, so ours goes beside it.
      std::string kept;
      bool saved = MakeUniqueName(Fs(), project_file + ".unsaved-XXXXXX", &kept) &&
                   Fs().CopyFile(paths_.working_copy, kept, true);
      save_failures_.push_back(project_file + ": changed by another program since it was read; " +
                               (saved ? "the changes not saved are in " + kept
                                      : std::string("the changes could not be kept")));
    } else if (Fs().CopyFile(paths_.working_copy, project_file, false)) {
      // CopyFile replaces the project file in one step and refuses a read-only one.
      RecordWorkingCopyState();
    } else {
      save_failures_.push_back(project_file);
    }
  }
  return save_failures_.empty();
}

}  // namespace zelvan

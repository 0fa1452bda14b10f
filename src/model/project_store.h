// The project's files on disk: the working copy that every read and write of
// project settings goes to, the whole-file read used while the workspace
// opens, and saving the working copy over the project file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/project_paths.h"
#include "platform/platform.h"

namespace zelvan {

class ProfileData;

class ProjectStore {
 public:
  // `paths` (kept, not copied) is where the working copy's path is kept.
  ProjectStore(const Platform& platform, ProjectPaths& paths);
  ~ProjectStore();
  ProjectStore(const ProjectStore&) = delete;
  ProjectStore& operator=(const ProjectStore&) = delete;

  // Makes the working copy of the project file. False, with a reason in
  // `error` and no working copy left, when it cannot be made.
  bool CreateWorkingCopy(std::string* error);
  // Deletes the working copy; the project is unusable afterwards.
  void DeleteWorkingCopy();
  bool HasWorkingCopy() const { return !paths_.working_copy.empty(); }
  const std::string& WorkingCopy() const { return paths_.working_copy; }

  // While the workspace opens: reads the whole working copy once.
  // ReleaseWholeFile frees it again.
  bool LoadWholeFile();
  void ReleaseWholeFile();
  const ProfileData* WholeFile() const { return whole_file_.get(); }

  // A value of the working copy; empty when absent.
  std::string ReadKey(std::string_view section, std::string_view key) const;
  // Writes the pending changes of the working copy.
  bool Flush();

  // True when the working copy differs from the project file as it was
  // copied or last saved.
  bool IsModified();
  bool ProjectFileIsReadOnly();
  // Copies a modified working copy over the project file. The copy is made
  // only when the project file is still what was copied at open or last
  // saved (size and contents): a file that another program changed
  // meanwhile is kept, and the working copy goes beside it as
  // "<project file>.unsaved-XXXXXX". The failure list starts anew, with the
  // dependency file when `source_data_saved` is false. False when anything
  // was not written (the project file is then as it was).
  bool Save(bool source_data_saved);
  // The files the last Save did not write, each with the reason when it is
  // not plain ("C:\wpp.kbp: changed by another program ...").
  const std::vector<std::string>& SaveFailures() const { return save_failures_; }

  PrivateProfile& Profile() const { return *platform_.profile; }
  FileSystem& Fs() const { return *platform_.fs; }

 private:
  bool RecordWorkingCopyState();

  Platform platform_;
  ProjectPaths& paths_;
  // Fingerprint of the working copy as made or last saved (see IsModified).
  uint64_t recorded_size_ = 0;
  size_t recorded_hash_ = 0;
  std::vector<std::string> save_failures_;
  std::unique_ptr<ProfileData> whole_file_;
};

}  // namespace zelvan

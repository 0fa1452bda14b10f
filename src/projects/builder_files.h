// The files of a project that copy and rename carry over to a new base name.
// They stand beside the project file and share its base name:
//
//   Motor.kbp   BuilderProfile     the project file; its name references follow
//   Motor.KPR   ProjectFile        the IDE's record of the project:
//                                    [PROFILE.KBP]
//                                    Motor.KBP=...   the key follows the name
//   Motor.KPA   ActiveProjectFile  the IDE's project settings, copied as they are
//   Motor.KCC   BuilderFile        compiler settings, copied as they are
//   Motor.KLO   BuilderFile        copied as they are
//
// In the project file, the base name of these paths becomes the new one
// (directory and extension stay): PROJECT/Name and PROJECT/Output, and in
// the section of every target of PROJECT/Target the keys DefaultDEBUG,
// DEBUG, TARGET, TARGET_NAME and LibraryOutput; in DefaultLink and
// ProjectLink the file after the output option "-o". Everything else of the
// file stays byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace zelvan {

class FileReader;
class FileTransaction;

class BuilderFile {
 public:
  explicit BuilderFile(std::string path) : path_(std::move(path)) {}
  virtual ~BuilderFile() = default;

  // Writes the copy through `files`: the path with only its base name
  // replaced by `new_base_name`, which must not exist yet; the copy keeps
  // the read-only attribute and the permissions. On success Path() names the copy. False, with
  // the reason in `error`, when the file cannot be read or the copy exists
  // or cannot be written.
  virtual bool CopyTo(std::string_view new_base_name, FileReader& fs, FileTransaction& files,
                      std::string* error);

  const std::string& Path() const { return path_; }
  bool Exists(FileReader& fs) const;

 protected:
  // The contents of the copy; the bytes unchanged here.
  virtual std::string Rewrite(std::string_view text, std::string_view old_base_name,
                              std::string_view new_base_name) const;

 private:
  std::string path_;
};

// The ".KPA" file.
class ActiveProjectFile : public BuilderFile {
 public:
  using BuilderFile::BuilderFile;
};

// The ".KPR" file.
class ProjectFile : public BuilderFile {
 public:
  using BuilderFile::BuilderFile;

 protected:
  std::string Rewrite(std::string_view text, std::string_view old_base_name,
                      std::string_view new_base_name) const override;
};

// The ".kbp" file.
class BuilderProfile : public BuilderFile {
 public:
  using BuilderFile::BuilderFile;

 protected:
  std::string Rewrite(std::string_view text, std::string_view old_base_name,
                      std::string_view new_base_name) const override;
};

// `options` with the base name of the file after the output option replaced
// (quoted when it was or when the new name holds a blank); unchanged without
// an output option.
std::string RenameOutputOption(std::string_view options, std::string_view new_base_name);

}  // namespace zelvan

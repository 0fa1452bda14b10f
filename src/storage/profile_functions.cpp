#include "storage/profile_functions.h"

#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/private_profile.h"
#include "storage/target_section_key.h"

namespace zelvan {

std::string TargetSectionName(std::string_view target) {
  std::string name(kTargetSectionPrefix);
  name += target;
  return name;
}

TargetSectionKey::TargetSectionKey(std::string_view target) {
  const size_t size = kTargetSectionPrefix.size() + target.size();
  if (size <= sizeof(buffer_)) {
    kTargetSectionPrefix.copy(buffer_, kTargetSectionPrefix.size());
    target.copy(buffer_ + kTargetSectionPrefix.size(), target.size());
    view_ = std::string_view(buffer_, size);
  } else {
    long_name_ = TargetSectionName(target);
    view_ = long_name_;
  }
}

size_t ReadProfileString(PrivateProfile& profile, std::string_view section, std::string_view key,
                         std::string* value, std::string_view file) {
  value->clear();
  if (key == kAllKeys) {
    for (const std::string& name : profile.GetKeyNames(section, file)) {
      *value += name;
      *value += ';';
    }
  } else {
    profile.Lookup(section, key, file, value);
  }
  return value->size();
}

bool ReadTargetProfileString(PrivateProfile& profile, std::string_view target, std::string_view key,
                             std::string* value, std::string_view file) {
  ReadProfileString(profile, TargetSectionKey(target).view(), key, value, file);
  return true;
}

bool WriteProfileString(const Platform& platform, std::string_view section, std::string_view key,
                        std::string_view value, std::string_view file, std::string* error) {
  ClearReadOnly(*platform.fs, file);
  PrivateProfile& profile = *platform.profile;
  if (profile.WriteString(section, key, value, file) && profile.Flush(file)) return true;
  if (error) *error = profile.LastError();
  return false;
}

bool ClearReadOnly(FileSystem& fs, std::string_view file) {
  FileStatus status;
  if (!fs.Stat(file, &status)) return false;
  if (status.read_only && !fs.SetReadOnly(file, false)) return false;
  return true;
}

}  // namespace zelvan

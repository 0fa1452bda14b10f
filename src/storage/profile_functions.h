// Single values of profile files, read and written through the process's
// private-profile cache (platform/private_profile.h). Every single-value
// read or write of a project or workspace file goes this way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvan {

class FileSystem;
class PrivateProfile;
struct Platform;

// The key that asks ReadProfileString for the names of a section's keys.
inline constexpr std::string_view kAllKeys = ".~ALL";
// Per-target settings stand in this section followed by the target name.
inline constexpr std::string_view kTargetSectionPrefix = "PROJECT!MACRO!";

// "PROJECT!MACRO!" followed by `target`.
std::string TargetSectionName(std::string_view target);

// Reads one value (empty when the file, section or key is missing) and
// returns its length. With the key ".~ALL" the value is the names of all keys
// of the section instead, each followed by `;` (empty for a missing section).
size_t ReadProfileString(PrivateProfile& profile, std::string_view section, std::string_view key,
                         std::string* value, std::string_view file);

// ReadProfileString on the section "PROJECT!MACRO!" + `target`. Always true.
bool ReadTargetProfileString(PrivateProfile& profile, std::string_view target, std::string_view key,
                             std::string* value, std::string_view file);

// Clears the file's read-only attribute, writes the value and flushes it to
// disk. False, with the reason in `error` (when given), when the value was
// refused (see PrivateProfile::WriteString) or could not be written.
// Callers that write several values in a row may call
// PrivateProfile::WriteString for each and PrivateProfile::Flush once.
bool WriteProfileString(const Platform& platform, std::string_view section, std::string_view key,
                        std::string_view value, std::string_view file,
                        std::string* error = nullptr);

// False when the file does not exist, or it is read-only and the attribute
// cannot be cleared; true otherwise (the file is writable afterwards).
bool ClearReadOnly(FileSystem& fs, std::string_view file);

}  // namespace zelvan

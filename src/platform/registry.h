// A read-only stand-in for the registry hive of the current user.
//
// The system reads a few values under the key
// "Software\Zentrak\Semiconductor\KOVA\Builder" and its per-CPU subkeys. They come from a file of
// our own in the profile syntax: one section per key path (below HKEY_CURRENT_USER, with
// `\` separators, case ignored), one line per value. A value written
// `dword:` and eight hex digits is a DWORD; any other value is a string.
//
//   [Software\Zentrak\Semiconductor\KOVA\Builder]
//   BuildMake=dword:00000001
//   [Software\Zentrak\Semiconductor\KOVA\Builder\MX-520\INC]
//   FILE=dword:00000001
//   FILE0=C:\KOVA\MX-520\include
//
// A subkey exists when a section of its path, or of a path below it, exists.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class PrivateProfile;

class Registry {
 public:
  virtual ~Registry() = default;
  virtual bool KeyExists(std::string_view key) = 0;
  // Names of the direct subkeys of `key`, in order of appearance.
  virtual std::vector<std::string> SubKeys(std::string_view key) = 0;
  // False when the key or value is missing or of the other type.
  virtual bool ReadDword(std::string_view key, std::string_view value, uint32_t* out) = 0;
  virtual bool ReadString(std::string_view key, std::string_view value, std::string* out) = 0;
};

// A Registry backed by the file described above (a system path), read through
// the private-profile cache, so it is read again whenever it changed. A
// missing file is an empty hive.
std::unique_ptr<Registry> CreateFileRegistry(PrivateProfile& profile, std::string path);

}  // namespace zelvan

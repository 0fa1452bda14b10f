// A stand-in for the registry hive of the current user.
//
// The system reads a few values under the key
// "Software\Zentrak\Semiconductor\KOVA\Builder" and its per-CPU subkeys, and the component
// registers its classes below "Software\Classes" (the current user's part of
// HKEY_CLASSES_ROOT, see class_registry.h). They come from a file of our own
// in the profile syntax: one section per key path (below HKEY_CURRENT_USER, with
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
// A key's default value is the value named "@".
//
// Writing changes the file in place through the private-profile functions:
// other lines keep their bytes, a new key is a section at the end, and the
// file is written atomically at Flush.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class FileSystem;
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

  // Writing; a registry that cannot be written answers false. Changes reach
  // the store at Flush.
  virtual bool WriteString(std::string_view /*key*/, std::string_view /*value*/,
                           std::string_view /*text*/) {
    return false;
  }
  // True when the value is gone afterwards.
  virtual bool DeleteValue(std::string_view /*key*/, std::string_view /*value*/) { return false; }
  // Removes a key that holds no values and has no subkeys; true when it is
  // gone afterwards, false (nothing removed) when it still holds something.
  virtual bool DeleteKey(std::string_view /*key*/) { return false; }
  virtual bool Flush() { return true; }
};

// A key path as both registries take it: blanks and separators at either
// end dropped.
std::string NormaliseRegistryKey(std::string_view key);

// A Registry backed by the file described above (a system path), read through
// the private-profile cache, so it is read again whenever it changed. A
// missing file is an empty hive. With `fs`, a flush first creates the file's
// folder when it is missing.
std::unique_ptr<Registry> CreateFileRegistry(PrivateProfile& profile, std::string path,
                                             FileSystem* fs = nullptr);

}  // namespace zelvan

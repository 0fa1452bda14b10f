// The flag word that the IDE's build runner reads for one file of a project.
#pragma once

#include <cstdint>

namespace zelvan {

class BuilderFileInfo {
 public:
  static constexpr uint32_t kAlways = 2;   // set on every file
  static constexpr uint32_t kExists = 4;   // the file was there when last tested
  static constexpr uint32_t kLibrary = 8;  // extension ".lib"
  static constexpr uint32_t kObject = 16;  // extension ".rel"

  uint32_t flags() const { return flags_; }
  bool Has(uint32_t flag) const { return (flags_ & flag) != 0; }
  void Set(uint32_t flag, bool on) { flags_ = on ? (flags_ | flag) : (flags_ & ~flag); }

 private:
  uint32_t flags_ = kAlways;
};

}  // namespace zelvan

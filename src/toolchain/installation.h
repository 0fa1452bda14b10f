// Installation: the maker's utility library, as a layer of our own.
//
// The installation of the toolchain is one folder (Windows form, no trailing
// `\`), chosen by the caller (see install_location.h). Everything the utility
// library answers comes from files below it, or from the registry:
//
//   <install>\Config\QkUtil.ini                 settings of this library (below)
//   <install>\Config\Builder\Builder.ini        the builder configuration (section "Builder")
//   <install>\Config\Builder\CpuOption.ini      library and converter options by CPU option
//   <install>\Config\Builder\Template\<cpu>.ini one file per CPU family, named by the CPU
//                                               name with every "/" removed (cpu_info.h)
//
// Config\QkUtil.ini:
//
//   [Installation]
//   Drive=K          ; the files of this installation name it as drive K: (optional)
//   [Toolchain]
//   SupportCPP=1     ; non-zero: the toolchain compiles C++ (default 0)
//   [Resource]
//   ZelvanRES.DLL=1041 ; language of one resource module, by its file name
//   Language=1033    ; language of every other resource module (default 1033)
//
// Config\Builder\CpuOption.ini: one section per CPU family and kind,
// "Library:" or "Convert:" followed by the CPU name (with its "/", case
// ignored); each key is one CPU option, matched exactly, and its value is the
// standard library to link or the converter option to add. A CPU without an
// entry of its own uses that of its template family (MX-520/S uses MX-520):
//
//   [Library:MX-520]
//   -Nc1=c520n1.lib
//   [Convert:MX-520]
//   -Nc1=-M1
//
// Registry: the CPU families registered under the key
// "Software\Zentrak\Semiconductor\KOVA\Builder" are its direct subkeys that
// hold at least one of the sections "INC", "LIB", "EXE", "TMP", "KHOME" or "KHOMExx" (their
// values: cpu_info.h). Their INI files are those of the template folder.
//
// Timing trace: when the environment variable ZELVAN_TIMING_LOG names a file
// (host path), each EndUsedTime appends one line "<label>\t<microseconds> us"
// to it. Without it the trace costs nothing and writes nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace zelvan {

// Where the per-CPU folders and files sit below the installation folder.
inline constexpr std::string_view kTemplateFolder = "Config\\Builder\\Template";
inline constexpr std::string_view kQkUtilSettingsFile = "Config\\QkUtil.ini";
inline constexpr std::string_view kBuilderConfigFile = "Config\\Builder\\Builder.ini";
inline constexpr std::string_view kCpuOptionFile = "Config\\Builder\\CpuOption.ini";
// The registry key of the builder, below HKEY_CURRENT_USER.
inline constexpr std::string_view kBuilderRegistryKey =
    "Software\\Zentrak\\Semiconductor\\KOVA\\Builder";
// The language of resource modules that name none (U.S. English).
inline constexpr uint32_t kDefaultResourceLanguage = 1033;

class Installation {
 public:
  // `platform` must outlive the Installation. A trailing `\` of `install_folder` is dropped.
  Installation(Platform& platform, std::string_view install_folder);
  Installation(const Installation&) = delete;
  Installation& operator=(const Installation&) = delete;

  const std::string& InstallFolder() const { return install_folder_; }

  // Path helpers (pure text work, except QkGetFullPathName, which takes a
  // relative path against the file system's current directory).
  static void SplitPath(std::string_view path, std::string* drive, std::string* directory,
                        std::string* title, std::string* extension);
  // Releases what SplitPath filled in.
  static void FreeSplitPath(std::string* drive, std::string* directory, std::string* title,
                            std::string* extension);
  static void AppendLastSlash(std::string* path);
  // `in` and `out` may be the same object. False (out untouched) when no
  // canonical path can be formed.
  bool QkGetFullPathName(const std::string& in, std::string* out) const;
  static bool CheckFullPathName(std::string_view path);
  static void GetFileDirectory(std::string_view path, std::string* out);
  // 1 when both name the same file name and extension (case ignored), else 0.
  static int CompareFileNameAnsExt(std::string_view a, std::string_view b);

  // CPU information in the registry.
  bool GetCPUInfoInRegister() const;
  // Appends the registered CPU family names, with their "/".
  void GetCPUNameInRegister(std::vector<std::string>* names) const;

  // The folder of the per-CPU INI files, ending in `\`.
  void GetCPUInfoFolder(std::string* folder) const;
  // The INI file of a CPU, given its name without "/"; it may not exist.
  std::string QkGetDefaultConfigIniPath(std::string_view cpu_without_slash) const;
  std::string QkGetBuilderConfigPath() const;
  // Empty when the CPU option brings no library (or converter option).
  std::string QkGetLibraryNameByOption(std::string_view cpu, std::string_view option) const;
  std::string QkGetConvertOptionByOption(std::string_view cpu, std::string_view option) const;
  bool IsSupportCPP() const;
  // The language of the resource module at `module_path`. Always succeeds.
  bool GetDLLLanguage(std::string_view module_path, uint32_t* language) const;
  // An empty string array, as the interfaces hand out when there is nothing.
  static void InitStringSafeArray(std::vector<std::string>* array);

  // The timing trace. Starts nest; an EndUsedTime without a start measures
  // from the construction of this object. The trace changes no result, so
  // whoever may read the utility library may measure with it.
  void StartUsedTime() const;
  void EndUsedTime(std::string_view label) const;
  // Sends the trace to `log` (a system path); empty turns it off.
  void SetTimingLog(std::string_view log) { timing_log_ = log; }

  // The path of a file below the installation folder.
  std::string InstallPath(std::string_view relative) const;
  // A value of Config\QkUtil.ini.
  std::string Setting(std::string_view section, std::string_view key) const;

 private:
  std::string OptionMapValue(std::string_view kind, std::string_view cpu,
                             std::string_view option) const;

  Platform& platform_;
  std::string install_folder_;
  std::string timing_log_;
  std::chrono::steady_clock::time_point created_;
  mutable std::vector<std::chrono::steady_clock::time_point> starts_;
};

// One measured stretch of the timing trace: from construction to the end of
// the scope, written with `label`. A null `util` measures nothing.
class ScopedUsedTime {
 public:
  ScopedUsedTime(const Installation* util, std::string_view label) : util_(util), label_(label) {
    if (util_ != nullptr) util_->StartUsedTime();
  }
  ~ScopedUsedTime() {
    if (util_ != nullptr) util_->EndUsedTime(label_);
  }
  ScopedUsedTime(const ScopedUsedTime&) = delete;
  ScopedUsedTime& operator=(const ScopedUsedTime&) = delete;

 private:
  const Installation* util_;
  std::string_view label_;
};

}  // namespace zelvan

// CpuInfo and RegisteredCpuInfo: what the system knows about one installed CPU
// family, read from its INI file and (in registry mode) from the registry.
//
// The INI file of a family (named by the CPU name without "/", in the
// template folder of installation.h), in profile syntax:
//
//   [TOOLS]            one key per tool kind; "CC" names the compiler program
//   CC=cc520           (a base name: the program is "<home>\bin\cc520.exe")
//   AS=as520
//   LINK=lk520
//   [INC]              include directories; likewise [LIB] (library),
//   FILE=2             [EXE] (executable) and [TMP] (temporary): "FILE" is the
//   FILE0=K:\Tools\MX520\include        count, "FILE0" onward one directory each
//   FILE1=K:\Shared\include
//   [KHOME]            candidates for the home directory of the toolchain; the
//   FILE=1             first under which "bin\<CC>.exe" exists is the home
//   FILE0=K:\KOVA
//   [KHOMExx]          the secondary home, chosen the same way, and the name of
//   NAME=KHOME520      the environment variable the makefiles know it by
//   FILE=1
//   FILE0=K:\Tools\MX520
//   [CHECK]            registry mode: per home variable, a file relative to a
//   KHOME=bin\kmake.exe  candidate home whose existence proves it a home
//
// Registry mode keeps the directories under the registry key
// "Software\Zentrak\Semiconductor\KOVA\Builder\<cpu>\<section>" (the CPU name
// with its "/"): sections "INC", "LIB", "EXE", "TMP" with DWORD "FILE" and
// strings "FILE0" onward; "KHOME" with string "NAME", DWORD "FILE" and strings
// "FILE0" onward; "KHOMExx" with strings "NAME" and "FILE0" (taken unchecked).
//
// Unreadable files and missing keys give empty answers, never errors. A count
// above kMaxDirectoryEntries is taken as that many; empty entries are skipped.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/platform.h"

namespace zelvan {

class Installation;

inline constexpr int kMaxDirectoryEntries = 1000;

// Appends `entry` unless it is empty or `list` holds it already (case ignored).
void AppendUniqueNoCase(std::vector<std::string>* list, std::string_view entry);

class CpuInfo {
 public:
  // Reads the tool table of `ini_path` at once.
  CpuInfo(Platform& platform, std::string_view cpu_name, std::string_view ini_path);
  virtual ~CpuInfo();
  CpuInfo(const CpuInfo&) = delete;
  CpuInfo& operator=(const CpuInfo&) = delete;

  // Reads section "TOOLS" into the fields below (appending to them).
  virtual void LoadTools();
  // Appends the entries of a directory list ("INC", "FILE" and so on) to `list`.
  virtual void ReadDirectoryList(std::string_view section, std::string_view key,
                                 std::vector<std::string>* list) const;
  // The home directory of the toolchain, or empty.
  virtual void ReadHomeDir(std::string* dir) const;
  // The secondary home and the name of its variable; each may be empty.
  virtual void ReadSecondHome(std::string* var_name, std::string* dir) const;

  // Read-only once loaded.
  std::string CpuName;       // as registered, or the INI file's base name
  std::string IniPath;       // the family's INI file
  std::string CompilerName;  // "CC" of "TOOLS"
  std::vector<std::string> ToolKeys;
  std::vector<std::string> ToolValues;  // same order and count as ToolKeys

 protected:
  // For derived classes, which load in their own constructor.
  struct NoLoad {};
  CpuInfo(Platform& platform, std::string_view cpu_name, std::string_view ini_path, NoLoad);

  // Whether "<dir>\bin\<CompilerName>.exe" exists.
  bool HasCompiler(std::string_view dir) const;

  Platform& platform_;
};

class RegisteredCpuInfo : public CpuInfo {
 public:
  // The INI file is taken from the utility library's CPU folder, whatever
  // `ini_path` says; `util` must outlive this object.
  RegisteredCpuInfo(Platform& platform, Installation& util, std::string_view cpu_name,
                    std::string_view ini_path);

  void LoadTools() override;
  void ReadDirectoryList(std::string_view section, std::string_view key,
                         std::vector<std::string>* list) const override;
  void ReadHomeDir(std::string* dir) const override;
  void ReadSecondHome(std::string* var_name, std::string* dir) const override;

  // Section "CHECK": home variable name -> file proving a home (non-empty values only).
  std::map<std::string, std::string, NoCaseLess> CheckFiles;

 private:
  std::string SectionKey(std::string_view section) const;

  Installation& util_;
};

}  // namespace zelvan

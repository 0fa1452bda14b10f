// CpuTable: the list of installed CPU families, filled once when the host
// connects and read-only afterwards. Every lookup goes by CPU name.
//
// The list comes from the registry when it holds CPU information (one
// RegisteredCpuInfo per registered family whose INI file exists), otherwise
// from the INI files of the installation's template folder (one CpuInfo
// per "*.ini", named by the file's base name).
//
// CPU names match without regard to case. INI files cannot carry the "/" of
// a name ("MX-520/S" is "MX-520S.ini"), so a name that matches no entry
// exactly is matched again with every "/" removed on both sides: a project of
// "MX-520/S" finds its family in either mode.
//
// Each lookup returns false for an unknown CPU and then leaves its outputs
// alone. Directory lists are appended to, never cleared, and never get an
// entry twice (case ignored).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "toolchain/cpu_info.h"

namespace zelvan {

class Installation;

// Message IDs of CheckCompiler.
inline constexpr unsigned kMsgCompilerNotFound = 5083;  // formatted with the compiler path
inline constexpr unsigned kMsgUnknownCpuMX520 = 5084;   // formatted with the CPU name
inline constexpr unsigned kMsgUnknownCpu = 5085;        // formatted with the CPU name

// What CheckCompiler found; the workspace turns it into its status and message.
struct CompilerCheck {
  std::string code;           // empty, "5" (CPU unknown) or "6" (no compiler program)
  unsigned message_id = 0;    // 0 when the check passed
  std::string message_arg;    // the text that message is formatted with
  std::string compiler_path;  // the program looked for; empty for an unknown CPU
};

class CpuTable {
 public:
  // Both must outlive the list.
  CpuTable(Platform& platform, Installation& util);
  const Installation& util() const { return util_; }
  ~CpuTable();
  CpuTable(const CpuTable&) = delete;
  CpuTable& operator=(const CpuTable&) = delete;

  // Empties the list, then fills it from the registry or, when the registry
  // holds no CPU information, from the template folder.
  bool LoadCpuTools();
  // False when the registry holds no CPU information.
  bool LoadFromRegistry();
  bool LoadFromTemplates();
  void Clear();

  // The template folder (ending in `\`) when the list came from it, else empty.
  const std::string& Folder() const { return folder_; }
  bool FromRegistry() const { return from_registry_; }
  const std::vector<std::unique_ptr<CpuInfo>>& Cpus() const { return cpus_; }

  const CpuInfo* FindCpu(std::string_view cpu) const;

  // Appends "key=value\n" per tool and one more "\n".
  bool GetToolsText(std::string_view cpu, std::string* text) const;
  // "INC", then "<secondary home>\include", then "<home>\include".
  bool GetIncludeDirs(std::string_view cpu, std::vector<std::string>* list) const;
  bool GetLibraryDirs(std::string_view cpu, std::vector<std::string>* list) const;
  bool GetExecutableDirs(std::string_view cpu, std::vector<std::string>* list) const;
  bool GetTemporaryDirs(std::string_view cpu, std::vector<std::string>* list) const;
  bool AddHomeDir(std::string_view cpu, std::vector<std::string>* list) const;
  bool AddHomeXXDir(std::string_view cpu, std::vector<std::string>* list) const;
  bool ReadHomeDir(std::string_view cpu, std::string* dir) const;
  bool ReadSecondHome(std::string_view cpu, std::string* var_name, std::string* dir) const;

  // The secondary home of a project's CPU and the name of its variable, each
  // with one trailing `\` removed, as makefiles and option checks use them.
  bool GetSecondHomeDir(std::string_view cpu, std::string* dir) const;
  bool GetSecondHomeVariable(std::string_view cpu, std::string* var_name) const;

  // Whether the compiler program of `cpu` exists under its (secondary) home.
  // On failure `check` says why: code "5" with message 5084 ("MX-520") or
  // 5085 (any other CPU) for an unknown CPU, code "6" with message 5083 for a
  // missing program. A CPU that CpuDriverTable does not know uses the
  // program its tool table names ("CC" + ".exe").
  bool CheckCompiler(std::string_view cpu, CompilerCheck* check) const;

 private:
  Platform& platform_;
  Installation& util_;
  std::string folder_;
  bool from_registry_ = false;
  std::vector<std::unique_ptr<CpuInfo>> cpus_;
};

}  // namespace zelvan

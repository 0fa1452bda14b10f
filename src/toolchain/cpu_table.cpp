#include "toolchain/cpu_table.h"

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "toolchain/cpu_driver.h"
#include "toolchain/installation.h"
#include "toolchain/support_cpu.h"

namespace zelvan {

namespace {

// `dir` with "\include" after it, one `\` between.
std::string IncludeDir(std::string_view dir) {
  if (dir.empty()) return {};
  return StripTrailingSlash(dir) + "\\include";
}

}  // namespace

CpuTable::CpuTable(Platform& platform, Installation& util) : platform_(platform), util_(util) {}

CpuTable::~CpuTable() = default;

void CpuTable::Clear() {
  cpus_.clear();
  folder_.clear();
  from_registry_ = false;
}

bool CpuTable::LoadCpuTools() {
  Clear();
  util_.StartUsedTime();
  bool loaded = LoadFromRegistry() || LoadFromTemplates();
  util_.EndUsedTime("LoadCpuTools");
  return loaded;
}

bool CpuTable::LoadFromRegistry() {
  if (!util_.GetCPUInfoInRegister()) return false;
  std::vector<std::string> names;
  util_.GetCPUNameInRegister(&names);
  for (const std::string& name : names) {
    std::string ini = util_.QkGetDefaultConfigIniPath(CpuNameWithoutSlash(name));
    if (!FileExists(*platform_.fs, ini)) continue;
    cpus_.push_back(std::make_unique<RegisteredCpuInfo>(platform_, util_, name, ini));
  }
  from_registry_ = true;
  return true;
}

bool CpuTable::LoadFromTemplates() {
  util_.GetCPUInfoFolder(&folder_);
  std::vector<DirectoryEntry> entries;
  if (!platform_.fs->ListDirectory(folder_, "*.ini", &entries)) return true;  // nothing installed
  for (const DirectoryEntry& entry : entries) {
    if (entry.is_directory) continue;
    std::string name = entry.name.substr(0, entry.name.size() - 4);  // without ".ini"
    if (name.empty()) continue;
    cpus_.push_back(std::make_unique<CpuInfo>(platform_, name, folder_ + entry.name));
  }
  return true;
}

const CpuInfo* CpuTable::FindCpu(std::string_view cpu) const {
  for (const auto& info : cpus_) {
    if (EqualsNoCase(info->CpuName, cpu)) return info.get();
  }
  std::string bare = CpuNameWithoutSlash(cpu);
  if (bare.empty()) return nullptr;
  for (const auto& info : cpus_) {
    if (EqualsNoCase(CpuNameWithoutSlash(info->CpuName), bare)) return info.get();
  }
  return nullptr;
}

bool CpuTable::GetToolsText(std::string_view cpu, std::string* text) const {
  const CpuInfo* info = FindCpu(cpu);
  if (!info) return false;
  for (size_t i = 0; i < info->ToolKeys.size(); ++i) {
    *text += info->ToolKeys[i] + "=" + info->ToolValues[i] + "\n";
  }
  *text += "\n";
  return true;
}

bool CpuTable::GetIncludeDirs(std::string_view cpu, std::vector<std::string>* list) const {
  const CpuInfo* info = FindCpu(cpu);
  if (!info) return false;
  info->ReadDirectoryList("INC", "FILE", list);
  std::string var_name, second_home, home;
  info->ReadSecondHome(&var_name, &second_home);
  AppendUniqueNoCase(list, IncludeDir(second_home));
  info->ReadHomeDir(&home);
  AppendUniqueNoCase(list, IncludeDir(home));
  return true;
}

bool CpuTable::GetLibraryDirs(std::string_view cpu, std::vector<std::string>* list) const {
  const CpuInfo* info = FindCpu(cpu);
  if (!info) return false;
  info->ReadDirectoryList("LIB", "FILE", list);
  return true;
}

bool CpuTable::GetExecutableDirs(std::string_view cpu, std::vector<std::string>* list) const {
  const CpuInfo* info = FindCpu(cpu);
  if (!info) return false;
  info->ReadDirectoryList("EXE", "FILE", list);
  return true;
}

bool CpuTable::GetTemporaryDirs(std::string_view cpu, std::vector<std::string>* list) const {
  const CpuInfo* info = FindCpu(cpu);
  if (!info) return false;
  info->ReadDirectoryList("TMP", "FILE", list);
  return true;
}

bool CpuTable::AddHomeDir(std::string_view cpu, std::vector<std::string>* list) const {
  const CpuInfo* info = FindCpu(cpu);
  if (!info) return false;
  std::string home;
  info->ReadHomeDir(&home);
  AppendUniqueNoCase(list, home);
  return true;
}

bool CpuTable::AddHomeXXDir(std::string_view cpu, std::vector<std::string>* list) const {
  const CpuInfo* info = FindCpu(cpu);
  if (!info) return false;
  std::string var_name, dir;
  info->ReadSecondHome(&var_name, &dir);
  AppendUniqueNoCase(list, dir);
  return true;
}

bool CpuTable::ReadHomeDir(std::string_view cpu, std::string* dir) const {
  const CpuInfo* info = FindCpu(cpu);
  if (!info) return false;
  info->ReadHomeDir(dir);
  return true;
}

bool CpuTable::ReadSecondHome(std::string_view cpu, std::string* var_name, std::string* dir) const {
  const CpuInfo* info = FindCpu(cpu);
  if (!info) return false;
  info->ReadSecondHome(var_name, dir);
  return true;
}

bool CpuTable::GetSecondHomeDir(std::string_view cpu, std::string* dir) const {
  std::string var_name, home;
  if (!ReadSecondHome(cpu, &var_name, &home)) return false;
  *dir = StripTrailingSlash(home);
  return true;
}

bool CpuTable::GetSecondHomeVariable(std::string_view cpu, std::string* var_name) const {
  std::string name, home;
  if (!ReadSecondHome(cpu, &name, &home)) return false;
  *var_name = StripTrailingSlash(name);
  return true;
}

bool CpuTable::CheckCompiler(std::string_view cpu, CompilerCheck* check) const {
  *check = CompilerCheck{};
  const CpuInfo* info = FindCpu(cpu);
  if (!info) {
    check->code = "5";
    check->message_id = EqualsNoCase(cpu, "MX-520") ? kMsgUnknownCpuMX520 : kMsgUnknownCpu;
    check->message_arg = std::string(cpu);
    return false;
  }
  std::string var_name, dir;
  info->ReadSecondHome(&var_name, &dir);
  if (dir.empty()) info->ReadHomeDir(&dir);
  dir = StripTrailingSlash(dir);

  std::string compiler = EqualsNoCase(var_name, "KHOME52IP")
                             ? GetCompilerExe(cpu, std::string_view("KHOME52IP"))
                             : GetCompilerExe(cpu);
  // A family the table does not know still names its compiler in its tools;
  // without it the check would only find the "bin" folder.
  if (compiler.empty() && !info->CompilerName.empty()) compiler = info->CompilerName + ".exe";

  check->compiler_path = dir + "\\bin\\" + compiler;
  if (!compiler.empty() && FileExists(*platform_.fs, check->compiler_path)) return true;
  check->code = "6";
  check->message_id = kMsgCompilerNotFound;
  check->message_arg = check->compiler_path;
  return false;
}

}  // namespace zelvan

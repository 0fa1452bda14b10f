#include "toolchain/cpu_info.h"

#include <algorithm>

#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "platform/win_path.h"
#include "toolchain/installation.h"
#include "toolchain/support_cpu.h"

namespace zelvan {

namespace {

// `dir` and `name` with exactly one `\` between them.
std::string JoinOne(std::string_view dir, std::string_view name) {
  while (!dir.empty() && dir.back() == '\\')
    dir.remove_suffix(1);
  while (!name.empty() && name.front() == '\\')
    name.remove_prefix(1);
  std::string out(dir);
  out += '\\';
  out += name;
  return out;
}

std::string NumberedKey(std::string_view key, int index) {
  return StringPrintf("%.*s%d", static_cast<int>(key.size()), key.data(), index);
}

int ClampCount(long long count) {
  if (count < 0) return 0;
  return static_cast<int>(std::min<long long>(count, kMaxDirectoryEntries));
}

}  // namespace

void AppendUniqueNoCase(std::vector<std::string>* list, std::string_view entry) {
  if (entry.empty()) return;
  for (const std::string& present : *list) {
    if (EqualsNoCase(present, entry)) return;
  }
  list->emplace_back(entry);
}

CpuInfo::CpuInfo(Platform& platform, std::string_view cpu_name, std::string_view ini_path)
    : CpuInfo(platform, cpu_name, ini_path, NoLoad{}) {
  CpuInfo::LoadTools();
}

CpuInfo::CpuInfo(Platform& platform, std::string_view cpu_name, std::string_view ini_path, NoLoad)
    : CpuName(cpu_name), IniPath(ini_path), platform_(platform) {}

CpuInfo::~CpuInfo() = default;

void CpuInfo::LoadTools() {
  PrivateProfile& profile = *platform_.profile;
  for (const std::string& key : profile.GetKeyNames("TOOLS", IniPath)) {
    std::string value = profile.GetString("TOOLS", key, "", IniPath);
    if (EqualsNoCase(key, "CC")) CompilerName = value;
    ToolKeys.push_back(key);
    ToolValues.push_back(std::move(value));
  }
}

bool CpuInfo::HasCompiler(std::string_view dir) const {
  if (dir.empty() || CompilerName.empty()) return false;
  return FileExists(*platform_.fs, JoinOne(dir, "bin\\" + CompilerName + ".exe"));
}

void CpuInfo::ReadDirectoryList(std::string_view section, std::string_view key,
                                std::vector<std::string>* list) const {
  PrivateProfile& profile = *platform_.profile;
  int count = ClampCount(profile.GetInt(section, key, 0, IniPath));
  for (int i = 0; i < count; ++i) {
    AppendUniqueNoCase(list, profile.GetString(section, NumberedKey(key, i), "", IniPath));
  }
}

void CpuInfo::ReadHomeDir(std::string* dir) const {
  PrivateProfile& profile = *platform_.profile;
  dir->clear();
  int count = ClampCount(profile.GetInt("KHOME", "FILE", 0, IniPath));
  for (int i = 0; i < count; ++i) {
    std::string entry = profile.GetString("KHOME", NumberedKey("FILE", i), "", IniPath);
    if (HasCompiler(entry)) {
      *dir = std::move(entry);
      return;
    }
  }
}

void CpuInfo::ReadSecondHome(std::string* var_name, std::string* dir) const {
  PrivateProfile& profile = *platform_.profile;
  *var_name = profile.GetString("KHOMExx", "NAME", "", IniPath);
  dir->clear();
  int count = ClampCount(profile.GetInt("KHOMExx", "FILE", 0, IniPath));
  for (int i = 0; i < count; ++i) {
    std::string entry = profile.GetString("KHOMExx", NumberedKey("FILE", i), "", IniPath);
    if (HasCompiler(entry)) {
      *dir = std::move(entry);
      return;
    }
  }
}

RegisteredCpuInfo::RegisteredCpuInfo(Platform& platform, Installation& util,
                                     std::string_view cpu_name, std::string_view ini_path)
    : CpuInfo(platform, cpu_name, ini_path, NoLoad{}), util_(util) {
  RegisteredCpuInfo::LoadTools();
}

void RegisteredCpuInfo::LoadTools() {
  IniPath = util_.QkGetDefaultConfigIniPath(CpuNameWithoutSlash(CpuName));
  CpuInfo::LoadTools();
  PrivateProfile& profile = *platform_.profile;
  for (const std::string& key : profile.GetKeyNames("CHECK", IniPath)) {
    std::string value = profile.GetString("CHECK", key, "", IniPath);
    if (!value.empty()) CheckFiles.emplace(key, std::move(value));
  }
}

std::string RegisteredCpuInfo::SectionKey(std::string_view section) const {
  return std::string(kBuilderRegistryKey) + "\\" + CpuName + "\\" + std::string(section);
}

void RegisteredCpuInfo::ReadDirectoryList(std::string_view section, std::string_view key,
                                          std::vector<std::string>* list) const {
  Registry& registry = *platform_.registry;
  std::string reg_key = SectionKey(section);
  uint32_t count = 0;
  if (!registry.ReadDword(reg_key, key, &count)) return;
  int entries = ClampCount(count);
  for (int i = 0; i < entries; ++i) {
    std::string entry;
    if (!registry.ReadString(reg_key, NumberedKey(key, i), &entry)) continue;
    while (!entry.empty() && entry.back() == '\\')
      entry.pop_back();
    AppendUniqueNoCase(list, entry);
  }
}

void RegisteredCpuInfo::ReadHomeDir(std::string* dir) const {
  Registry& registry = *platform_.registry;
  dir->clear();
  std::string reg_key = SectionKey("KHOME");
  std::string var_name;
  if (!registry.ReadString(reg_key, "NAME", &var_name)) var_name.clear();
  auto check = CheckFiles.find(var_name);
  uint32_t count = 0;
  if (!registry.ReadDword(reg_key, "FILE", &count)) return;
  int entries = ClampCount(count);
  for (int i = 0; i < entries; ++i) {
    std::string entry;
    if (!registry.ReadString(reg_key, NumberedKey("FILE", i), &entry) || entry.empty()) continue;
    if (HasCompiler(entry) ||
        (check != CheckFiles.end() && FileExists(*platform_.fs, JoinOne(entry, check->second)))) {
      *dir = std::move(entry);
      return;
    }
  }
}

void RegisteredCpuInfo::ReadSecondHome(std::string* var_name, std::string* dir) const {
  Registry& registry = *platform_.registry;
  std::string reg_key = SectionKey("KHOMExx");
  std::string name, entry;
  if (!registry.ReadString(reg_key, "NAME", &name)) name.clear();
  if (!registry.ReadString(reg_key, "FILE0", &entry)) entry.clear();
  *var_name = std::move(name);
  *dir = std::move(entry);
}

}  // namespace zelvan

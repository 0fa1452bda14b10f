#include "toolchain/installation.h"

#include <array>

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "platform/system_services.h"
#include "platform/win_path.h"
#include "toolchain/support_cpu.h"

namespace zelvan {

namespace {

// The sections that make a subkey of the builder key a CPU family.
constexpr std::array<std::string_view, 6> kCpuSections = {"INC", "LIB",   "EXE",
                                                          "TMP", "KHOME", "KHOMExx"};

std::string JoinKey(std::string_view a, std::string_view b) {
  std::string key(a);
  key += '\\';
  key += b;
  return key;
}

}  // namespace

Installation::Installation(Platform& platform, std::string_view install_folder)
    : platform_(platform),
      install_folder_(StripTrailingSlash(install_folder)),
      created_(std::chrono::steady_clock::now()) {
  if (platform_.system && platform_.fs) {
    if (std::optional<std::string> log = platform_.system->GetEnv("ZELVAN_TIMING_LOG")) {
      if (!log->empty()) timing_log_ = platform_.fs->FromHostPath(*log);
    }
  }
}

std::string Installation::InstallPath(std::string_view relative) const {
  return install_folder_ + "\\" + std::string(relative);
}

std::string Installation::Setting(std::string_view section, std::string_view key) const {
  return platform_.profile->GetString(section, key, "", InstallPath(kQkUtilSettingsFile));
}

void Installation::SplitPath(std::string_view path, std::string* drive, std::string* directory,
                             std::string* title, std::string* extension) {
  PathParts parts = zelvan::SplitPath(path);
  if (drive) *drive = std::move(parts.drive);
  if (directory) *directory = std::move(parts.directory);
  if (title) *title = std::move(parts.title);
  if (extension) *extension = std::move(parts.extension);
}

void Installation::FreeSplitPath(std::string* drive, std::string* directory, std::string* title,
                                 std::string* extension) {
  for (std::string* text : {drive, directory, title, extension}) {
    if (text) std::string().swap(*text);
  }
}

void Installation::AppendLastSlash(std::string* path) {
  if (path->empty() || path->back() != '\\') *path += '\\';
}

bool Installation::QkGetFullPathName(const std::string& in, std::string* out) const {
  std::string full;
  if (!GetFullPathName(in, platform_.fs->GetCurrentDirectory(), &full)) return false;
  *out = std::move(full);
  return true;
}

bool Installation::CheckFullPathName(std::string_view path) {
  if (!IsFullPath(path)) return false;
  std::string full;
  return GetFullPathName(path, "\\", &full);
}

void Installation::GetFileDirectory(std::string_view path, std::string* out) {
  *out = zelvan::GetFileDirectory(path);
}

int Installation::CompareFileNameAnsExt(std::string_view a, std::string_view b) {
  return CompareFileNameAndExt(a, b) ? 1 : 0;
}

bool Installation::GetCPUInfoInRegister() const {
  std::vector<std::string> names;
  GetCPUNameInRegister(&names);
  return !names.empty();
}

void Installation::GetCPUNameInRegister(std::vector<std::string>* names) const {
  Registry& registry = *platform_.registry;
  for (const std::string& name : registry.SubKeys(kBuilderRegistryKey)) {
    std::string cpu_key = JoinKey(kBuilderRegistryKey, name);
    for (std::string_view section : kCpuSections) {
      if (registry.KeyExists(JoinKey(cpu_key, section))) {
        names->push_back(name);
        break;
      }
    }
  }
}

void Installation::GetCPUInfoFolder(std::string* folder) const {
  *folder = InstallPath(kTemplateFolder) + "\\";
}

std::string Installation::QkGetDefaultConfigIniPath(std::string_view cpu_without_slash) const {
  std::string folder;
  GetCPUInfoFolder(&folder);
  return StringPrintf("%s%.*s.ini", folder.c_str(), static_cast<int>(cpu_without_slash.size()),
                      cpu_without_slash.data());
}

std::string Installation::QkGetBuilderConfigPath() const {
  return InstallPath(kBuilderConfigFile);
}

std::string Installation::OptionMapValue(std::string_view kind, std::string_view cpu,
                                         std::string_view option) const {
  if (cpu.empty() || option.empty()) return {};
  std::string file = InstallPath(kCpuOptionFile);
  std::string family = SupportCpu(cpu).GetTemplateCpuName();
  for (std::string_view name : {cpu, std::string_view(family)}) {
    std::string section = std::string(kind) + ":" + std::string(name);
    // Options differ by letter case ("-Nc1" is not "-nc1"), so the key is
    // matched exactly rather than the profile's case-blind way.
    for (const auto& [key, value] : platform_.profile->GetSection(section, file)) {
      if (key == option) return value;
    }
  }
  return {};
}

std::string Installation::QkGetLibraryNameByOption(std::string_view cpu,
                                                   std::string_view option) const {
  return OptionMapValue("Library", cpu, option);
}

std::string Installation::QkGetConvertOptionByOption(std::string_view cpu,
                                                     std::string_view option) const {
  return OptionMapValue("Convert", cpu, option);
}

bool Installation::IsSupportCPP() const {
  return platform_.profile->GetInt("Toolchain", "SupportCPP", 0,
                                   InstallPath(kQkUtilSettingsFile)) != 0;
}

bool Installation::GetDLLLanguage(std::string_view module_path, uint32_t* language) const {
  std::string settings = InstallPath(kQkUtilSettingsFile);
  std::string module = FileNamePart(module_path);
  std::string value;
  if (module.empty() || !platform_.profile->Lookup("Resource", module, settings, &value)) {
    value = Setting("Resource", "Language");
  }
  // A language is a positive 16-bit LANGID; anything else falls back.
  uint32_t parsed = 0;
  bool digits = !value.empty();
  for (char c : TrimBlanks(value)) {
    if (c < '0' || c > '9' || parsed > 0xFFFF) {
      digits = false;
      break;
    }
    parsed = parsed * 10 + static_cast<uint32_t>(c - '0');
  }
  *language = (digits && parsed > 0 && parsed <= 0xFFFF) ? parsed : kDefaultResourceLanguage;
  return true;
}

void Installation::InitStringSafeArray(std::vector<std::string>* array) {
  array->clear();
}

void Installation::StartUsedTime() const {
  if (timing_log_.empty()) return;
  starts_.push_back(std::chrono::steady_clock::now());
}

void Installation::EndUsedTime(std::string_view label) const {
  if (timing_log_.empty()) return;
  auto now = std::chrono::steady_clock::now();
  auto start = created_;
  if (!starts_.empty()) {
    start = starts_.back();
    starts_.pop_back();
  }
  long long micros = std::chrono::duration_cast<std::chrono::microseconds>(now - start).count();
  std::string line(label);
  for (char& c : line) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';  // one line per measurement
  }
  // One append a line, never a rewrite: the log may be shared with other
  // processes, a link, a pipe or a terminal. The trace must never disturb
  // the work it measures: a failed write is dropped.
  platform_.fs->AppendToFile(timing_log_, StringPrintf("%s\t%lld us\n", line.c_str(), micros));
}

}  // namespace zelvan

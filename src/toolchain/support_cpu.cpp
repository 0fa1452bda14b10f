#include "toolchain/support_cpu.h"

#include <array>

#include "platform/ansi_text.h"

namespace zelvan {

std::string CpuNameWithoutSlash(std::string_view cpu) {
  std::string out;
  out.reserve(cpu.size());
  for (char c : cpu) {
    if (c != '/') out += c;
  }
  return out;
}

namespace {

// The MX-520 family first.
constexpr std::array<std::string_view, 10> kSupported = {
    "MX-520",    "MX-520/S", "MX-520/S1", "MX-520/R", "MX-520/R1",
    "MX-310/P1", "MX-310/P", "K310SA1",   "MR44",     "MR44A"};
constexpr size_t kMX520FamilySize = 5;

}  // namespace

bool SupportCpu::IsMX520Family() const {
  for (size_t i = 0; i < kMX520FamilySize; ++i) {
    if (EqualsNoCase(cpu_, kSupported[i])) return true;
  }
  return false;
}

std::string SupportCpu::FamilySpelling(std::string_view name) {
  const std::string bare = CpuNameWithoutSlash(name);
  for (std::string_view supported : kSupported) {
    if (EqualsNoCase(supported, name) || EqualsNoCase(CpuNameWithoutSlash(supported), bare)) {
      return std::string(supported);
    }
  }
  return std::string();
}

bool SupportCpu::IsMX310P1() const {
  return EqualsNoCase(cpu_, "MX-310/P1");
}
bool SupportCpu::IsMX310P() const {
  return EqualsNoCase(cpu_, "MX-310/P");
}
bool SupportCpu::IsK310SA1() const {
  return EqualsNoCase(cpu_, "K310SA1");
}
bool SupportCpu::IsMR44() const {
  return EqualsNoCase(cpu_, "MR44");
}
bool SupportCpu::IsMR44A() const {
  return EqualsNoCase(cpu_, "MR44A");
}

bool SupportCpu::IsSupported() const {
  return IsMX520Family() || IsMX310P1() || IsMX310P() || IsK310SA1() || IsMR44() || IsMR44A();
}

std::string SupportCpu::GetTemplateCpuName() const {
  if (IsMX520Family()) return "MX-520";
  return GetCpuNameWithoutSlash();
}

std::string SupportCpu::GetCpuNameWithoutSlash() const {
  return CpuNameWithoutSlash(cpu_);
}

}  // namespace zelvan

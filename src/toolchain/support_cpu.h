// SupportCpu: the CPU families that accept new projects from templates, and
// the names that their template folder and INI file go by. Every comparison
// ignores letter case.
#pragma once

#include <string>
#include <string_view>

namespace zelvan {

class SupportCpu {
 public:
  explicit SupportCpu(std::string_view cpu) : cpu_(cpu) {}

  const std::string& CpuName() const { return cpu_; }

  // "MX-520" and its variants "/S", "/S1", "/R", "/R1".
  bool IsMX520Family() const;
  bool IsMX310P1() const;
  bool IsMX310P() const;
  bool IsK310SA1() const;
  bool IsMR44() const;
  bool IsMR44A() const;
  // Any of the families above.
  bool IsSupported() const;

  // The folder of the family's templates: "MX-520" for the whole MX-520
  // family, the name without "/" for any other CPU.
  std::string GetTemplateCpuName() const;
  // The name with every "/" removed, as the CPU's INI file is named.
  std::string GetCpuNameWithoutSlash() const;

  // The supported CPU that `name` names, spelt as the family spells it
  // ("MX-520/R1" for "mx-520r1" or "MX-520/R1"); empty for any other name.
  static std::string FamilySpelling(std::string_view name);

 private:
  std::string cpu_;
};

// `cpu` with every "/" removed.
std::string CpuNameWithoutSlash(std::string_view cpu);

}  // namespace zelvan

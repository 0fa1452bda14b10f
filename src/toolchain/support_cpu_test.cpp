#include "toolchain/support_cpu.h"

#include <gtest/gtest.h>

namespace zelvan {
namespace {

TEST(SupportCpuTest, FamiliesAndNames) {
  const struct {
    const char* cpu;
    bool mx520;
    bool supported;
    const char* template_name;
    const char* without_slash;
    const char* family_spelling;
  } cases[] = {
      {"MX-520", true, true, "MX-520", "MX-520", "MX-520"},
      {"MX-520/S", true, true, "MX-520", "MX-520S", "MX-520/S"},
      {"Mx-520/r1", true, true, "MX-520", "Mx-520r1", "MX-520/R1"},
      {"MX-520S", false, false, "MX-520S", "MX-520S",
       "MX-520/S"},  // an INI name, spelt as its family
      {"MX-310/P", false, true, "MX-310P", "MX-310P", "MX-310/P"},
      {"mx-310/p1", false, true, "mx-310p1", "mx-310p1", "MX-310/P1"},
      {"K310SA1", false, true, "K310SA1", "K310SA1", "K310SA1"},
      {"MR44", false, true, "MR44", "MR44", "MR44"},
      {"mr44a", false, true, "mr44a", "mr44a", "MR44A"},
      {"MR4", false, false, "MR4", "MR4", ""},
      {"", false, false, "", "", ""},
      {"//", false, false, "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cpu);
    SupportCpu cpu(c.cpu);
    EXPECT_EQ(cpu.IsMX520Family(), c.mx520);
    EXPECT_EQ(cpu.IsSupported(), c.supported);
    EXPECT_EQ(cpu.GetTemplateCpuName(), c.template_name);
    EXPECT_EQ(cpu.GetCpuNameWithoutSlash(), c.without_slash);
    EXPECT_EQ(SupportCpu::FamilySpelling(c.cpu), c.family_spelling);
  }
}

}  // namespace
}  // namespace zelvan

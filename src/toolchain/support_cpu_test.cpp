#include "toolchain/support_cpu.h"

#include <gtest/gtest.h>

namespace zelvan {
namespace {

TEST(SupportCpuTest, FamiliesAndNames) {
  struct Case {
    const char* cpu;
    bool mx520;
    bool supported;
    const char* template_name;
    const char* without_slash;
  };
  const Case cases[] = {
      {"MX-520", true, true, "MX-520", "MX-520"},
      {"MX-520/S", true, true, "MX-520", "MX-520S"},
      {"mx-520/s", true, true, "MX-520", "mx-520s"},
      {"Mx-520/r1", true, true, "MX-520", "Mx-520r1"},
      {"MX-520S", false, false, "MX-520S", "MX-520S"},  // the INI name is no CPU name
      {"MX-520/X", false, false, "MX-520X", "MX-520X"},
      {"MX-310/P", false, true, "MX-310P", "MX-310P"},
      {"mx-310/p1", false, true, "mx-310p1", "mx-310p1"},
      {"K310SA1", false, true, "K310SA1", "K310SA1"},
      {"MR44", false, true, "MR44", "MR44"},
      {"mr44a", false, true, "mr44a", "mr44a"},
      {"MR4", false, false, "MR4", "MR4"},
      {"", false, false, "", ""},
      {"//", false, false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cpu);
    SupportCpu cpu(c.cpu);
    EXPECT_EQ(cpu.IsMX520Family(), c.mx520);
    EXPECT_EQ(cpu.IsSupported(), c.supported);
    EXPECT_EQ(cpu.GetTemplateCpuName(), c.template_name);
    EXPECT_EQ(cpu.GetCpuNameWithoutSlash(), c.without_slash);
  }
}

TEST(SupportCpuTest, EachFamilyTestIsExact) {
  EXPECT_TRUE(SupportCpu("MX-310/P1").IsMX310P1());
  EXPECT_FALSE(SupportCpu("MX-310/P1").IsMX310P());
  EXPECT_TRUE(SupportCpu("mx-310/p").IsMX310P());
  EXPECT_FALSE(SupportCpu("MX-310/P").IsMX310P1());
  EXPECT_TRUE(SupportCpu("k310sa1").IsK310SA1());
  EXPECT_TRUE(SupportCpu("MR44").IsMR44());
  EXPECT_FALSE(SupportCpu("MR44").IsMR44A());
  EXPECT_TRUE(SupportCpu("MR44A").IsMR44A());
  EXPECT_FALSE(SupportCpu("MR44A").IsMR44());
  EXPECT_FALSE(SupportCpu("MR44 ").IsMR44());
}

}  // namespace
}  // namespace zelvan

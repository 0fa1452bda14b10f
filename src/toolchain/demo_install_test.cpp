// The demo installation of the repository (share/kova), read in both modes.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/toolchain_platform.h"
#include "toolchain/cpu_driver.h"
#include "toolchain/cpu_tools.h"
#include "toolchain/qk_util.h"
#include "toolchain/support_cpu.h"

namespace zelvan {
namespace {

const char* const kDemoCpus[] = {"MX-520",   "MX-520/S",  "MX-520/S1", "MX-520/R", "MX-520/R1",
                                 "MX-310/P", "MX-310/P1", "K310SA1",   "MR44",     "MR44A"};

std::string Join(const std::vector<std::string>& list) {
  std::string out;
  for (const std::string& entry : list)
    out += (out.empty() ? "" : ";") + entry;
  return out;
}

// Every answer the list gives about one CPU, as text.
std::string Describe(const CCPUTools& tools, const std::string& cpu) {
  std::string out;
  if (!tools.GetToolsText(cpu, &out)) return "unknown\n";
  std::vector<std::string> inc, lib, exe, tmp, homes;
  tools.GetIncludeDirs(cpu, &inc);
  tools.GetLibraryDirs(cpu, &lib);
  tools.GetExecutableDirs(cpu, &exe);
  tools.GetTemporaryDirs(cpu, &tmp);
  tools.AddHomeDir(cpu, &homes);
  tools.AddHomeXXDir(cpu, &homes);
  std::string home, var, second;
  tools.ReadHomeDir(cpu, &home);
  tools.ReadSecondHome(cpu, &var, &second);
  CompilerCheck check;
  bool found = tools.CheckCompiler(cpu, &check);
  out += "INC=" + Join(inc) + "\nLIB=" + Join(lib) + "\nEXE=" + Join(exe) + "\nTMP=" + Join(tmp) +
         "\nHOMES=" + Join(homes) + "\nKHOME=" + home + "\n" + var + "=" + second +
         "\nCOMPILER=" + check.compiler_path + (found ? "" : " (missing)") + "\n";
  return out;
}

class DemoInstallationTest : public ::testing::Test {
 protected:
  static std::string Demo() { return std::string(ZELVAN_SOURCE_DIR) + "/share/kova"; }

  testing::ToolchainPlatform ini_env_{{{'K', Demo()}}, "T:\\no-registry.ini"};
  QkUtil ini_util_{ini_env_.platform(), "K:"};
  CCPUTools ini_tools_{ini_env_.platform(), ini_util_};

  testing::ToolchainPlatform reg_env_{{{'K', Demo()}}, "K:\\registry.ini"};
  QkUtil reg_util_{reg_env_.platform(), "K:"};
  CCPUTools reg_tools_{reg_env_.platform(), reg_util_};

  void SetUp() override {
    ASSERT_TRUE(ini_tools_.LoadCpuTools());
    ASSERT_TRUE(reg_tools_.LoadCpuTools());
    ASSERT_FALSE(ini_tools_.FromRegistry());
    ASSERT_TRUE(reg_tools_.FromRegistry());
  }
};

TEST_F(DemoInstallationTest, RegistryAndIniModeGiveTheSameAnswers) {
  std::set<std::string> ini_names, reg_names;
  for (const auto& info : ini_tools_.Cpus())
    ini_names.insert(info->CpuName);
  for (const auto& info : reg_tools_.Cpus())
    reg_names.insert(CpuNameWithoutSlash(info->CpuName));
  EXPECT_EQ(ini_names, reg_names);
  EXPECT_EQ(ini_names.size(), std::size(kDemoCpus));

  for (const char* cpu : kDemoCpus) {
    SCOPED_TRACE(cpu);
    std::string ini = Describe(ini_tools_, cpu);
    EXPECT_EQ(ini, Describe(reg_tools_, cpu));
    EXPECT_EQ(ini.find("unknown"), std::string::npos);
    EXPECT_EQ(ini.find("(missing)"), std::string::npos) << ini;
    EXPECT_EQ(ini_tools_.FindCpu(cpu)->IniPath, reg_tools_.FindCpu(cpu)->IniPath);
    // Options are checked with the driver of the secondary home's variable.
    std::string var;
    ASSERT_TRUE(ini_tools_.GetSecondHomeVariable(cpu, &var));
    if (!SupportCpu(cpu).IsK310SA1()) {
      EXPECT_NE(FindDriverRow(var), nullptr) << var;
    }
  }
  EXPECT_EQ(Describe(ini_tools_, "MX-999"), Describe(reg_tools_, "MX-999"));
}

// One family whole: its secondary home comes before its home.
TEST_F(DemoInstallationTest, WhatTheFamiliesHold) {
  EXPECT_EQ(Describe(ini_tools_, "MR44"),
            "CC=cc52ip\nAS=as52i\nMPP=mpp52i\nLINK=lk52i\nAR=lb52i\nCONV=cv52i\nFAL=fal52i\n\n"
            "INC=K:\\Shared\\include;K:\\Tools\\MR44P\\include;K:\\Tools\\MR44\\include\n"
            "LIB=K:\\Tools\\MR44\\lib\n"
            "EXE=K:\\Tools\\MR44\\bin;K:\\KOVA\\bin\n"
            "TMP=K:\\Temp\\MR44\n"
            "HOMES=K:\\Tools\\MR44;K:\\Tools\\MR44P\n"
            "KHOME=K:\\Tools\\MR44\n"
            "KHOME52IP=K:\\Tools\\MR44P\n"
            "COMPILER=K:\\Tools\\MR44P\\bin\\cc52ip.exe\n");
  EXPECT_EQ(ini_util_.QkGetLibraryNameByOption("MX-520/S", "-Nc2"), "c520n2.lib");
  EXPECT_EQ(ini_util_.QkGetConvertOptionByOption("MX-520", "-Nc3"), "-M128");
  EXPECT_TRUE(ini_util_.IsSupportCPP());
}

}  // namespace
}  // namespace zelvan

// The demo installation of the repository (share/kova), read in both modes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/toolchain_platform.h"
#include "toolchain/cpu_table.h"
#include "toolchain/installation.h"

namespace zelvan {
namespace {

std::string Join(const std::vector<std::string>& list) {
  std::string out;
  for (const std::string& entry : list)
    out += (out.empty() ? "" : ";") + entry;
  return out;
}

// Every answer the list gives about one CPU, as text.
std::string Describe(const CpuTable& tools, const std::string& cpu) {
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

// The registry and the INI files of the demo say the same of every family;
// one family is shown whole (its secondary home comes before its home).
TEST(DemoInstallationTest, RegistryAndIniModeGiveTheSameAnswers) {
  const std::string demo = std::string(ZELVAN_SOURCE_DIR) + "/share/kova";
  testing::ToolchainPlatform ini_env({{'K', demo}}, "T:\\no-registry.ini");
  testing::ToolchainPlatform reg_env({{'K', demo}}, "K:\\registry.ini");
  Installation ini_util(ini_env.platform(), "K:"), reg_util(reg_env.platform(), "K:");
  CpuTable ini_tools(ini_env.platform(), ini_util), reg_tools(reg_env.platform(), reg_util);
  ASSERT_TRUE(ini_tools.LoadCpuTools() && reg_tools.LoadCpuTools());
  ASSERT_TRUE(!ini_tools.FromRegistry() && reg_tools.FromRegistry());
  ASSERT_EQ(ini_tools.Cpus().size(), reg_tools.Cpus().size());
  for (const auto& info : reg_tools.Cpus()) {
    SCOPED_TRACE(info->CpuName);
    std::string text = Describe(reg_tools, info->CpuName);
    EXPECT_EQ(text, Describe(ini_tools, info->CpuName));
    EXPECT_EQ(text.find("(missing)"), std::string::npos) << text;
  }
  EXPECT_EQ(Describe(reg_tools, "MR44"),
            "CC=cc52ip\nAS=as52i\nMPP=mpp52i\nLINK=lk52i\nAR=lb52i\nCONV=cv52i\nFAL=fal52i\n\n"
            "INC=K:\\Shared\\include;K:\\Tools\\MR44P\\include;K:\\Tools\\MR44\\include\n"
            "LIB=K:\\Tools\\MR44\\lib\n"
            "EXE=K:\\Tools\\MR44\\bin;K:\\KOVA\\bin\n"
            "TMP=K:\\Temp\\MR44\n"
            "HOMES=K:\\Tools\\MR44;K:\\Tools\\MR44P\n"
            "KHOME=K:\\Tools\\MR44\n"
            "KHOME52IP=K:\\Tools\\MR44P\n"
            "COMPILER=K:\\Tools\\MR44P\\bin\\cc52ip.exe\n");
}

}  // namespace
}  // namespace zelvan

#include "toolchain/cpu_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/toolchain_platform.h"
#include "toolchain/installation.h"

namespace zelvan {
namespace {

using Strings = std::vector<std::string>;

constexpr char kTemplates[] = "Inst\\Config\\Builder\\Template\\";

class CpuTableTest : public ::testing::Test {
 protected:
  void WriteIni(std::string_view file, std::string_view contents) {
    env_.Write(std::string(kTemplates) + std::string(file), contents);
  }
  // Loads the list, the way connecting does.
  CpuTable& Load() {
    tools_.LoadCpuTools();
    return tools_;
  }

  testing::ToolchainPlatform env_;
  Installation util_{env_.platform(), "T:\\Inst"};
  CpuTable tools_{env_.platform(), util_};
};

TEST_F(CpuTableTest, ListsTheIniFilesOfTheTemplateFolder) {
  WriteIni("MX-520S.ini", "[TOOLS]\nCC=cc520\n");
  WriteIni("MR44.ini", "[TOOLS]\nCC=cc52i\n");
  WriteIni("mx-310p.INI", "[TOOLS]\nCC=cc310p\n");
  WriteIni("readme.txt", "not a CPU");
  WriteIni("Folder.ini\\inner.ini", "a directory named like an INI file");

  CpuTable& tools = Load();
  EXPECT_FALSE(tools.FromRegistry());
  EXPECT_EQ(tools.Folder(), "T:\\Inst\\Config\\Builder\\Template\\");
  Strings names;
  for (const auto& info : tools.Cpus())
    names.push_back(info->CpuName);
  EXPECT_EQ(names, (Strings{"MR44", "MX-520S", "mx-310p"}));
  EXPECT_EQ(tools.Cpus()[1]->IniPath, "T:\\Inst\\Config\\Builder\\Template\\MX-520S.ini");

  // Case is ignored, and so is the "/" that an INI file name cannot hold.
  ASSERT_NE(tools.FindCpu("mx-520/s"), nullptr);
  EXPECT_EQ(tools.FindCpu("mx-520/s")->CpuName, "MX-520S");
  EXPECT_EQ(tools.FindCpu("MX-310/P")->CpuName, "mx-310p");
  for (const char* none : {"MX-520", "", "/"})
    EXPECT_EQ(tools.FindCpu(none), nullptr) << none;
}

TEST_F(CpuTableTest, ToolsTextAndCompilerName) {
  WriteIni("MX-520.ini",
           "; tools\r\n[TOOLS]\r\nAS = as520\r\ncc=\"cc520\"\r\nLINK=lk520 -q\r\nAS=second\r\n"
           "[INC]\r\nFILE=0\r\n");
  WriteIni("EMPTY.ini", "");
  CpuTable& tools = Load();
  std::string text = "before\n";
  ASSERT_TRUE(tools.GetToolsText("mx-520", &text));
  EXPECT_EQ(text, "before\nAS=as520\ncc=cc520\nLINK=lk520 -q\n\n");
  EXPECT_EQ(tools.FindCpu("MX-520")->CompilerName, "cc520");
  EXPECT_EQ(tools.FindCpu("MX-520")->ToolKeys, (Strings{"AS", "cc", "LINK"}));

  text.clear();
  ASSERT_TRUE(tools.GetToolsText("EMPTY", &text));
  EXPECT_EQ(text, "\n");
  EXPECT_EQ(tools.FindCpu("EMPTY")->CompilerName, "");
}

TEST_F(CpuTableTest, UnknownCpuLeavesEveryOutputAlone) {
  EXPECT_TRUE(Load().Cpus().empty());  // no template folder
  WriteIni("MX-520.ini", "[TOOLS]\nCC=cc520\n[INC]\nFILE=1\nFILE0=T:\\x\n");
  CpuTable& tools = Load();
  Strings list = {"kept"};
  std::string text = "kept", name = "kept";
  const char* cpu = "MX-999";
  EXPECT_FALSE(tools.GetToolsText(cpu, &text) || tools.GetIncludeDirs(cpu, &list) ||
               tools.GetLibraryDirs(cpu, &list) || tools.GetExecutableDirs(cpu, &list) ||
               tools.GetTemporaryDirs(cpu, &list) || tools.AddHomeDir(cpu, &list) ||
               tools.AddHomeXXDir(cpu, &list) || tools.ReadHomeDir(cpu, &text) ||
               tools.ReadSecondHome(cpu, &name, &text) || tools.GetSecondHomeDir(cpu, &text) ||
               tools.GetSecondHomeVariable(cpu, &name));
  EXPECT_EQ(list.front() + text + name, "keptkeptkept");
}

TEST_F(CpuTableTest, MalformedIniFilesGiveEmptyAnswers) {
  const struct {
    const char* name;
    std::string contents;
    Strings includes;
  } cases[] = {
      {"BINARY", std::string("\0\x01\xff[INC\n=\x80\0FILE=2\n", 18), {}},
      {"NOSECTIONS", "FILE=1\nFILE0=T:\\x\n", {}},
      {"NEGATIVE", "[INC]\nFILE=-3\nFILE0=T:\\x\n", {}},
      {"WORDS", "[INC]\nFILE=many\nFILE0=T:\\x\n", {}},
      // A count far beyond the entries ends at the entries there are.
      {"HUGE", "[INC]\nFILE=2147483647\nFILE0=T:\\x\nFILE3=T:\\y\n", {"T:\\x", "T:\\y"}},
      {"OVERFLOW", "[INC]\nFILE=99999999999999999999\nFILE0=T:\\x\n", {"T:\\x"}},
      {"UNTERMINATED", "[INC\nFILE=1\nFILE0=T:\\x\n", {}},
  };
  for (const auto& c : cases)
    WriteIni(std::string(c.name) + ".ini", c.contents);
  CpuTable& tools = Load();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Strings list;
    ASSERT_TRUE(tools.GetIncludeDirs(c.name, &list));
    EXPECT_EQ(list, c.includes);
    std::string home = "x", var = "x", second = "x";
    ASSERT_TRUE(tools.ReadHomeDir(c.name, &home) && tools.ReadSecondHome(c.name, &var, &second));
    EXPECT_EQ(home + var + second, "");
  }
}

TEST_F(CpuTableTest, HomeIsTheFirstCandidateWithTheCompiler) {
  env_.Write("Old\\bin\\other.exe");
  env_.Write("New\\bin\\CC52I.EXE");     // letter case resolved by the file system
  env_.Write("Dir\\bin\\cc52i.exe\\x");  // a directory is no compiler
  WriteIni("MR44.ini",
           "[TOOLS]\nCC=cc52i\n"
           "[KHOME]\nFILE=4\nFILE0=T:\\Missing\nFILE1=T:\\Old\nFILE2=T:\\Dir\nFILE3=T:\\New\n"
           "[KHOMExx]\nNAME=KHOME52I\nFILE=2\nFILE0=T:\\Old\nFILE1=T:\\New\\\n");
  WriteIni("NOCC.ini", "[TOOLS]\nAS=as\n[KHOME]\nFILE=1\nFILE0=T:\\New\n");
  CpuTable& tools = Load();

  std::string home, var, second, second_dir;
  ASSERT_TRUE(tools.ReadHomeDir("MR44", &home) && tools.ReadSecondHome("MR44", &var, &second) &&
              tools.GetSecondHomeDir("MR44", &second_dir));
  EXPECT_EQ(home + "|" + var + "|" + second + "|" + second_dir,
            "T:\\New|KHOME52I|T:\\New\\|T:\\New");

  ASSERT_TRUE(tools.ReadHomeDir("NOCC", &home));
  EXPECT_EQ(home, "");
}

TEST_F(CpuTableTest, RegistryModeReadsDirectoriesFromTheRegistry) {
  env_.Write("H310\\bin\\cc310p.exe");
  env_.Write("Checked\\kova.chk");
  WriteIni("MX-310P.ini",
           "[TOOLS]\nCC=cc310p\n[INC]\nFILE=1\nFILE0=T:\\FromIni\n[CHECK]\nkhome=kova.chk\n"
           "KHOMEXX=\n");
  WriteIni("MX-310P1.ini", "[TOOLS]\nCC=cc310p\n");
  const std::string key = "[Software\\Zentrak\\Semiconductor\\KOVA\\Builder";
  env_.Write("registry.ini",
             key + "]\nBuildMake=dword:00000001\n" + key + "\\Settings]\nX=1\n" + key +
                 "\\MX-520\\INC]\nFILE=dword:00000000\n" + key +
                 "\\MX-310/P\\INC]\nFILE=dword:00000004\nFILE0=T:\\Inc\\\\\nFILE1=t:\\inc\n"
                 "FILE3=T:\\More\\\n" +
                 key + "\\MX-310/P\\LIB]\nFILE=dword:ffffffff\nFILE0=T:\\Lib\n" + key +
                 "\\MX-310/P\\KHOME]\nNAME=KHOME\nFILE=dword:00000003\nFILE0=T:\\Nothing\n"
                 "FILE1=T:\\Checked\\\nFILE2=T:\\H310\n" +
                 key + "\\MX-310/P\\KHOMExx]\nNAME=KHOME310P\\\nFILE0=T:\\Unchecked\\\n" + key +
                 "\\MX-310/P1\\TMP]\nFILE=dword:00000001\nFILE0=T:\\Tmp\n");
  CpuTable& tools = Load();
  ASSERT_TRUE(tools.FromRegistry());
  // MX-520 has no INI file; "Settings" holds no CPU sections; the name
  // without "/" finds the registered family too.
  ASSERT_EQ(tools.Cpus().size(), 2u);
  const CpuInfo* info = tools.FindCpu("mx-310/p");
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->CpuName + "|" + info->IniPath + "|" + info->CompilerName + "|" +
                tools.FindCpu("MX-310P1")->CpuName,
            "MX-310/P|T:\\Inst\\Config\\Builder\\Template\\MX-310P.ini|cc310p|MX-310/P1");
  const auto& checks = dynamic_cast<const RegisteredCpuInfo&>(*info).CheckFiles;
  ASSERT_EQ(checks.size(), 1u);
  EXPECT_EQ(checks.at("KHOME"), "kova.chk");

  // A huge count ends; the home is the one proved by its CHECK file; missing
  // keys leave the lists unchanged.
  Strings lib, inc, p1 = {"kept"};
  std::string home, var, second, plain_var, p1_home;
  ASSERT_TRUE(tools.GetLibraryDirs("MX-310/P", &lib) && tools.ReadHomeDir("MX-310/P", &home) &&
              tools.ReadSecondHome("MX-310/P", &var, &second) &&
              tools.GetSecondHomeVariable("MX-310/P", &plain_var) &&
              tools.GetIncludeDirs("MX-310/P", &inc));
  EXPECT_EQ(lib, (Strings{"T:\\Lib"}));
  EXPECT_EQ(home + "|" + var + "|" + second + "|" + plain_var,
            "T:\\Checked\\|KHOME310P\\|T:\\Unchecked\\|KHOME310P");
  EXPECT_EQ(inc,
            (Strings{"T:\\Inc", "T:\\More", "T:\\Unchecked\\include", "T:\\Checked\\include"}));
  ASSERT_TRUE(tools.GetExecutableDirs("MX-310/P1", &p1) && tools.GetIncludeDirs("MX-310/P1", &p1) &&
              tools.GetTemporaryDirs("MX-310/P1", &p1) && tools.ReadHomeDir("MX-310/P1", &p1_home));
  EXPECT_EQ(p1, (Strings{"kept", "T:\\Tmp"}));
  EXPECT_EQ(p1_home, "");
}

TEST_F(CpuTableTest, CheckCompiler) {
  env_.Write("H52IP\\bin\\cc52ip.exe");
  env_.Write("H52I\\bin\\cc52i.exe");
  env_.Write("HSA\\bin\\cc310sa.exe");
  // MR44 once with each of its home variables (two installations).
  WriteIni("MR44.ini",
           "[TOOLS]\nCC=cc52ip\n[KHOMExx]\nNAME=khome52ip\nFILE=1\nFILE0=T:\\H52IP\\\n");
  WriteIni("K310SA1.ini", "[TOOLS]\nCC=cc310sa\n[KHOME]\nFILE=1\nFILE0=T:\\HSA\n");
  WriteIni("MX-520.ini", "[TOOLS]\nCC=cc520\n[KHOME]\nFILE=1\nFILE0=T:\\H52I\n");
  CpuTable& tools = Load();

  const struct {
    const char* cpu;
    bool ok;
    const char* code;
    unsigned message;
    const char* arg;
    const char* path;
  } cases[] = {
      {"MR44", true, "", 0, "", "T:\\H52IP\\bin\\cc52ip.exe"},
      // Not in the driver table: the tool table names the program.
      {"k310sa1", true, "", 0, "", "T:\\HSA\\bin\\cc310sa.exe"},
      // No home has the compiler.
      {"MX-520", false, "6", 5083, "\\bin\\cc520.exe", "\\bin\\cc520.exe"},
      {"MX-310/P", false, "5", 5085, "MX-310/P", ""},
      {"mx-520/s", false, "5", 5085, "mx-520/s", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cpu);
    CompilerCheck check;
    check.code = "stale";
    EXPECT_EQ(tools.CheckCompiler(c.cpu, &check), c.ok);
    EXPECT_EQ(check.code, c.code);
    EXPECT_EQ(check.message_id, c.message);
    EXPECT_EQ(check.message_arg, c.arg);
    EXPECT_EQ(check.compiler_path, c.path);
  }

  // "MX-520" itself unknown has a message of its own, in any letter case.
  env_.fs().DeleteFile("T:\\Inst\\Config\\Builder\\Template\\MX-520.ini");
  tools.LoadCpuTools();
  CompilerCheck check;
  EXPECT_FALSE(tools.CheckCompiler("mx-520", &check));
  EXPECT_EQ(check.code + " " + std::to_string(check.message_id) + " " + check.message_arg,
            "5 5084 mx-520");

  // With another secondary home variable MR44 uses its first row's compiler.
  WriteIni("MR44.ini",
           "[TOOLS]\nCC=cc52ip\n[KHOMExx]\nNAME=KHOME52I\nFILE=1\nFILE0=T:\\H52IP\n"
           "[KHOME]\nFILE=1\nFILE0=T:\\H52IP\n");
  tools.LoadCpuTools();
  EXPECT_FALSE(tools.CheckCompiler("MR44", &check));
  EXPECT_EQ(check.code, "6");
  EXPECT_EQ(check.message_arg, "T:\\H52IP\\bin\\cc52i.exe");
}

}  // namespace
}  // namespace zelvan

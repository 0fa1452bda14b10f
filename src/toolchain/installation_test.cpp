#include "toolchain/installation.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "tests/support/toolchain_platform.h"

namespace zelvan {
namespace {

// The splitting and comparing helpers pass straight to the platform's path
// functions (tested there); these are the ones with rules of their own.
TEST(QkUtilPathTest, PathHelpers) {
  std::string empty, plain = "C:\\a", ended = "C:\\a\\";
  Installation::AppendLastSlash(&empty);
  Installation::AppendLastSlash(&plain);
  Installation::AppendLastSlash(&ended);
  EXPECT_EQ(empty + "|" + plain + "|" + ended, "\\|C:\\a\\|C:\\a\\");

  for (const char* full : {"C:\\a\\b.kbp", "\\\\server\\share\\a"})
    EXPECT_TRUE(Installation::CheckFullPathName(full)) << full;
  for (const char* not_full : {"a\\b.kbp", "C:a", "", "\\\\server"})
    EXPECT_FALSE(Installation::CheckFullPathName(not_full)) << not_full;
}

class InstallationTest : public ::testing::Test {
 protected:
  testing::ToolchainPlatform env_;
  Installation util_{env_.platform(), "T:\\Inst\\"};
};

TEST_F(InstallationTest, InstallationLayout) {
  std::string folder;
  util_.GetCPUInfoFolder(&folder);
  EXPECT_EQ(util_.InstallFolder() + "|" + folder + "|" + util_.QkGetDefaultConfigIniPath("X") +
                "|" + util_.QkGetBuilderConfigPath(),
            "T:\\Inst|T:\\Inst\\Config\\Builder\\Template\\|"
            "T:\\Inst\\Config\\Builder\\Template\\X.ini|T:\\Inst\\Config\\Builder\\Builder.ini");

  // A relative path is taken against the current directory; in and out may be one object.
  ASSERT_TRUE(env_.fs().SetCurrentDirectory("T:\\"));
  std::string path = "a\\..\\b\\c.kbp";
  ASSERT_TRUE(util_.QkGetFullPathName(path, &path));
  EXPECT_EQ(path, "T:\\b\\c.kbp");
  path = "kept";
  EXPECT_FALSE(util_.QkGetFullPathName("", &path));
  EXPECT_EQ(path, "kept");
}

TEST_F(InstallationTest, SettingsOfTheInstallation) {
  // Nothing installed: every answer is the default.
  uint32_t language = 0;
  EXPECT_FALSE(util_.IsSupportCPP());
  EXPECT_TRUE(util_.GetDLLLanguage("T:\\bin\\ZelvanRES.DLL", &language));
  EXPECT_EQ(language, 1033u);
  EXPECT_EQ(util_.QkGetLibraryNameByOption("MX-520", "-Nc1"), "");

  env_.Write("Inst\\Config\\QkUtil.ini",
             "[Toolchain]\nSupportCPP=1\n[Resource]\nLanguage=1041\nzelvanres.dll=1031\n"
             "Broken.DLL=12abc\nHuge.DLL=4294967297\n");
  EXPECT_TRUE(util_.IsSupportCPP());
  const struct {
    const char* module;
    uint32_t language;
  } cases[] = {
      {"T:\\bin\\ZelvanRES.DLL", 1031},  // by its file name, case ignored
      {"T:\\bin\\Other.DLL", 1041},
      {"", 1041},
      {"Broken.DLL", 1033},  // not a number: the default, not a part of it
      {"Huge.DLL", 1033},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.module);
    ASSERT_TRUE(util_.GetDLLLanguage(c.module, &language));
    EXPECT_EQ(language, c.language);
  }
  env_.Write("Inst\\Config\\QkUtil.ini", "[Toolchain]\nSupportCPP=0\n");
  EXPECT_FALSE(util_.IsSupportCPP());
}

TEST_F(InstallationTest, LibraryAndConverterByCpuOption) {
  env_.Write("Inst\\Config\\Builder\\CpuOption.ini",
             "[Library:MX-520]\n-Nc1 = c520n1.lib\n-nc1=lower.lib\n"
             "[Convert:mx-520]\n-Nc1=-M64\n"
             "[Library:MX-520/S]\n-Nc3=special.lib\n"
             "[Library:MR44]\n-Nc1=mr.lib\n");
  const struct {
    const char* cpu;
    const char* option;
    const char* library;
    const char* converter;
  } cases[] = {
      {"MX-520", "-Nc1", "c520n1.lib", "-M64"},
      {"MX-520", "-nc1", "lower.lib", ""},  // options differ by letter case
      {"MX-520/S", "-Nc3", "special.lib", ""},
      {"MX-520/S", "-Nc1", "c520n1.lib", "-M64"},  // the family's entry
      {"mx-520/r1", "-Nc1", "c520n1.lib", "-M64"},
      {"MR44", "-Nc1", "mr.lib", ""},
      {"MR44A", "-Nc1", "", ""},
      {"MX-520", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.cpu) + " " + c.option);
    EXPECT_EQ(util_.QkGetLibraryNameByOption(c.cpu, c.option), c.library);
    EXPECT_EQ(util_.QkGetConvertOptionByOption(c.cpu, c.option), c.converter);
  }
}

TEST_F(InstallationTest, TimingTraceWritesOnlyWhenEnabled) {
  util_.StartUsedTime();
  util_.EndUsedTime("off");
  EXPECT_FALSE(FileExists(env_.fs(), "T:\\time.log"));

  util_.SetTimingLog("T:\\time.log");
  util_.StartUsedTime();
  util_.StartUsedTime();
  util_.EndUsedTime("inner");
  util_.EndUsedTime("outer\r\nforged line");
  util_.EndUsedTime("since start");
  std::string log;
  ASSERT_TRUE(env_.fs().ReadFile("T:\\time.log", &log));
  EXPECT_TRUE(std::regex_match(log, std::regex("inner\t[0-9]+ us\n"
                                               "outer  forged line\t[0-9]+ us\n"
                                               "since start\t[0-9]+ us\n")))
      << log;

  // A log that cannot be written changes nothing else.
  ASSERT_TRUE(env_.fs().SetReadOnly("T:\\time.log", true));
  util_.EndUsedTime("dropped");
  ASSERT_TRUE(env_.fs().ReadFile("T:\\time.log", &log));
  EXPECT_EQ(log.find("dropped"), std::string::npos);
}

}  // namespace
}  // namespace zelvan

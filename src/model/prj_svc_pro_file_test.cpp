#include "model/prj_svc_pro_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/model_test_platform.h"

namespace zelvan {
namespace {

using testing::Crlf;
using ::testing::ElementsAre;
using testing::ModelTestPlatform;

TEST(CPrjSvcProFile, SwitchesComeFromTheRegistryAndAreReadAgain) {
  ModelTestPlatform env;
  CPrjSvcProFile settings(env.platform);
  settings.LoadServiceSettings();
  // No registry file: every switch is off.
  EXPECT_EQ(settings.BuildMake(), 0u);
  EXPECT_EQ(settings.BuildDepend(), 0u);
  EXPECT_EQ(settings.ReadUpdateDependencyFile(), 0);

  env.AddFile("C:\\registry.ini",
              Crlf("[Software\\Zentrak\\Semiconductor\\KOVA\\Builder]\nBuildMake=dword:00000001\n"
                   "BuildDepend=dword:00000002\nUpdateDependencyFile=dword:00000001\n"));
  EXPECT_EQ(settings.BuildMake(), 0u);  // until re-read
  settings.ReloadBuildSwitches();
  EXPECT_EQ(settings.BuildMake(), 1u);
  EXPECT_EQ(settings.BuildDepend(), 2u);
  EXPECT_EQ(settings.ReadUpdateDependencyFile(), 1);

  // A value of the wrong type counts as missing.
  env.AddFile("C:\\registry.ini",
              Crlf("[Software\\Zentrak\\Semiconductor\\KOVA\\Builder]\nBuildMake=yes\n"));
  settings.ReloadBuildSwitches();
  EXPECT_EQ(settings.BuildMake(), 0u);
}

TEST(CPrjSvcProFile, TextsAndExtensionLists) {
  ModelTestPlatform env;
  env.ide.strings[5008] = "C;ASM;;Lib";
  env.ide.strings[5003] = "  Compiler  ";
  CPrjSvcProFile settings(env.platform);
  settings.LoadServiceSettings();
  EXPECT_THAT(settings.SettingKindNames(), ElementsAre("Compile", "Link", "Convert"));
  EXPECT_THAT(settings.SettingKindLabels(),
              ElementsAre("Compiler", "Linker options", "Converter options"));
  EXPECT_THAT(settings.ScopeNames(), ElementsAre("Project", "Individual"));
  EXPECT_THAT(settings.HeaderExtensions(), ElementsAre("h", "inc"));
  EXPECT_EQ(settings.FrameWindowTitle(), "KOVA");
  EXPECT_TRUE(settings.IsSpecialExtension("asm"));
  EXPECT_TRUE(settings.IsSpecialExtension("LIB"));
  EXPECT_FALSE(settings.IsSpecialExtension(""));
  EXPECT_FALSE(settings.IsSpecialExtension("h"));

  EXPECT_THAT(settings.FunctionScanExtensions(), ElementsAre("c", "h"));
  settings.SetFunctionScanExtensions("");
  EXPECT_THAT(settings.FunctionScanExtensions(), ElementsAre("c", "h"));
  settings.SetFunctionScanExtensions("c;cpp;;h");
  EXPECT_THAT(settings.FunctionScanExtensions(), ElementsAre("c", "cpp", "h"));

  env.AddFile("C:\\kova\\kprjsvc.ini", Crlf("[KPrjSvc]\nFrameWindowTitle=KOVA Studio\n"));
  settings.SetSettingsFilePath("C:\\kova\\kprjsvc.ini");
  settings.LoadServiceSettings();
  EXPECT_EQ(settings.FrameWindowTitle(), "KOVA Studio");
}

}  // namespace
}  // namespace zelvan

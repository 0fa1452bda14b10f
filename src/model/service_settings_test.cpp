#include "model/service_settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/model_test_platform.h"
#include "toolchain/installation.h"

namespace zelvan {
namespace {

using testing::Crlf;
using ::testing::ElementsAre;
using testing::ModelTestPlatform;

TEST(ServiceSettings, SwitchesComeFromTheRegistryAndAreReadAgain) {
  ModelTestPlatform env;
  ServiceSettings settings(env.platform);
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

TEST(ServiceSettings, TextsAndExtensionLists) {
  ModelTestPlatform env;
  env.ide.strings[5008] = "C;ASM;;Lib";
  env.ide.strings[5003] = "  Compiler  ";
  ServiceSettings settings(env.platform);
  settings.LoadServiceSettings();
  EXPECT_THAT(settings.SettingKindLabels(),
              ElementsAre("Compiler", "Linker options", "Converter options"));
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

TEST(ServiceSettings, ResourceLanguageAndFunctionExtensionsComeFromTheUtilityLibrary) {
  ModelTestPlatform env;
  Installation util(env.platform, "C:\\kova");
  env.AddFile("C:\\kova\\Config\\QkUtil.ini", Crlf("[Resource]\nZelvanRES.DLL=1041\n"));
  env.AddFile("C:\\kova\\Config\\Builder\\Builder.ini",
              Crlf("[Builder]\nFunctionExtend=c;;cpp;h\n"));
  ServiceSettings settings(env.platform, &util);
  settings.SetResourceModulePath("C:\\kova\\bin\\ZelvanRES.DLL");
  settings.LoadServiceSettings();
  EXPECT_EQ(settings.ResourceLanguage(), 1041u);
  EXPECT_THAT(settings.FunctionScanExtensions(), ElementsAre("c", "cpp", "h"));

  const struct {
    std::string builder_ini;
    std::vector<std::string> extensions;
  } cases[] = {
      {"[Builder]\nFunctionExtend=\n", {"c", "h"}},    // empty: the default
      {"[Builder]\nFunctionExtend=;;\n", {"c", "h"}},  // nothing but separators
      {"[Other]\nFunctionExtend=asm\n", {"c", "h"}},   // not in section Builder
      {"[Builder]\nFunctionExtend=C;H;inc\n", {"C", "H", "inc"}},
      // Longer than the 1023 characters read: cut there.
      {"[Builder]\nFunctionExtend=c;\x01\xFF;" + std::string(1100, 'x') + "\n",
       {"c", "\x01\xFF", std::string(1023 - 5, 'x')}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.builder_ini);
    env.AddFile("C:\\kova\\Config\\Builder\\Builder.ini", Crlf(c.builder_ini));
    settings.LoadServiceSettings();
    EXPECT_EQ(settings.FunctionScanExtensions(), c.extensions);
  }

  // Without a resource entry of its own the module takes the installation's language.
  settings.SetResourceModulePath("C:\\kova\\bin\\OtherRES.DLL");
  settings.LoadServiceSettings();
  EXPECT_EQ(settings.ResourceLanguage(), kDefaultResourceLanguage);
}

}  // namespace
}  // namespace zelvan

#include "model/project.h"

#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/model_test_platform.h"
#include "tests/support/test_text.h"
#include "toolchain/cpu_table.h"
#include "toolchain/installation.h"

namespace zelvan {
namespace {

using testing::Crlf;
using ::testing::ElementsAre;
using testing::FsOp;
using testing::ModelTestPlatform;
using testing::SourceFolder;

constexpr const char* kProjectFile = "C:\\work\\app\\App.kbp";

const std::string kAppProject = Crlf(
    R"([PROJECT]
OUTPUT=App.abs
CPU=MX-520
CPUFAMILY=MX-520
TARGET=Debug;;Release
Folder=Sources;Headers;
LinkProject=Util.lib;Base.lib;
)" + SourceFolder("Sources", {"main.c", "..\\common\\util.c"}, "FILTER=c;asm\nFolder=Startup;\n") +
    SourceFolder("Startup", {"start.asm", ""}, "FILTER=asm\n") +
    SourceFolder("Headers", {"app.h"}, "FILTER=h\nFolder=Sources;\n") + R"([PROJECT!MACRO!Debug]
DefaultCompile=-g
ProjectCompile=
BlankCompileOption=1
DefaultLink=-g -o "out dir\App.abs"
ProjectLink=-x -o "C:\my out\App.abs" -m
OUTPUT=
DefaultOUTPUT=.\Debug
TEMP=.\Debug\obj
DefaultTEMP=.\obj
WORK=
DefaultWORK=.
[PROJECT!MACRO!Release]
DefaultCompile=-O2
ProjectCompile=-O2 -DNDEBUG
DefaultLink=-oApp.abs
ProjectLink=
BlankLinkOption=1
ProjectConvert=
DefaultConvert=-Fhex
OUTPUT=.\Release
[Debug!main.c]
COMPILE=-g -O0
[Release!main.c]
NoBuild=1
[Debug!Sources]
NoBuild=0
)");

class ProjectTest : public ::testing::Test {
 protected:
  ProjectTest() { env_.AddFile(kProjectFile, kAppProject); }

  std::unique_ptr<Project> OpenProject() {
    auto project = std::make_unique<Project>(env_.platform, kProjectFile, "app\\App.kbp");
    std::string error;
    EXPECT_TRUE(project->Open(&error)) << error;
    return project;
  }
  // The working copy's value of a per-target key.
  std::string WorkingValue(Project& project, const std::string& target, const std::string& key) {
    env_.profile.Flush(project.paths().working_copy);
    return env_.profile.GetString("PROJECT!MACRO!" + target, key, "", project.paths().working_copy);
  }

  ModelTestPlatform env_;
};

TEST_F(ProjectTest, OpenDerivesNamesAndMakesTheWorkingCopy) {
  auto project = OpenProject();
  // An empty piece between two targets is skipped. Companion files: the
  // project's title with another extension, or a fixed name beside it by index.
  EXPECT_THAT(project->targets().List(), ElementsAre("Debug", "Release"));
  EXPECT_EQ(project->paths().output_name + " " + project->Cpu() + " " + project->CpuFamily() + " " +
                std::to_string(project->IsLibrary()) + " [" + project->paths().archive + "] " +
                project->paths().dependency_file + " " + project->paths().temp_makefiles[0] + " " +
                project->paths().temp_makefiles[1] + " " + project->paths().temp_makefiles[2] +
                " " + project->paths().temp_makefiles[3],
            "App.abs MX-520 MX-520 0 [] C:\\work\\app\\App.kde C:\\work\\app\\tempmake.mak "
            "C:\\work\\app\\tempmake.falmak C:\\work\\app\\tempmakeabs.mak "
            "C:\\work\\app\\tempmakepre.mak");

  ASSERT_THAT(env_.WorkingCopies(), ElementsAre(project->paths().working_copy));
  EXPECT_TRUE(StartsWithNoCase(project->paths().working_copy, "C:\\Temp\\KOVA\\App_kbp_"));
  EXPECT_EQ(env_.Contents(project->paths().working_copy), kAppProject);
  EXPECT_FALSE(project->store().IsModified());

  project.reset();
  EXPECT_THAT(env_.WorkingCopies(), ElementsAre());
  EXPECT_EQ(env_.Contents(kProjectFile), kAppProject);

  // A library, with an archive path relative to the project.
  env_.AddFile("C:\\lib\\Util.kbp", Crlf("[PROJECT]\nOUTPUT=Util.LIB\nTARGET=Debug\n"));
  env_.AddFile("C:\\lib\\Util.kba", Crlf("[Arcive]\nArcivePath=..\\archive\\util.arc\n"));
  Project library(env_.platform, "C:\\lib\\Util.kbp", "Util.kbp");
  std::string error;
  ASSERT_TRUE(library.Open(&error)) << error;
  EXPECT_TRUE(library.IsLibrary());
  EXPECT_EQ(library.paths().archive, "C:\\archive\\util.arc");
}

TEST_F(ProjectTest, EffectiveOptionsFollowProjectBlankAndDefault) {
  auto project = OpenProject();
  using Getter = std::function<bool(ProjectTargets&, std::string_view, std::string*)>;
  auto options = [](TargetOptions which) {
    return [which](ProjectTargets& t, std::string_view n, std::string* v) {
      return t.GetOptions(n, which, v);
    };
  };
  auto dir = [](TargetDir which) {
    return [which](ProjectTargets& t, std::string_view n, std::string* v) {
      return t.GetDir(n, which, v);
    };
  };
  const struct {
    const char* what;
    Getter get;
    const char* target;
    const char* expected;  // null: fails
  } cases[] = {
      // ProjectCompile empty and BlankCompileOption "1": no options, not the default.
      {"compile", options(TargetOptions::kCompile), "Debug", ""},
      {"compile", options(TargetOptions::kCompile), "Final", nullptr},
      {"link", options(TargetOptions::kLink), "Debug", "-x -o \"C:\\my out\\App.abs\" -m"},
      {"link", options(TargetOptions::kLink), "Release", ""},  // BlankLinkOption
      {"link", options(TargetOptions::kLink), "Final", nullptr},
      {"project convert", &ProjectTargets::GetProjectConvert, "Final", nullptr},
      // Directories: the project value, else the default one.
      {"output", dir(TargetDir::kOutput), "Debug", ".\\Debug"},
      {"output direct", &ProjectTargets::GetOutputDirDirect, "DEBUG", ".\\Debug"},
      {"output direct", &ProjectTargets::GetOutputDirDirect, "Final", nullptr},
      {"temp", dir(TargetDir::kTemp), "Debug", ".\\Debug\\obj"},
      {"work", dir(TargetDir::kWork), "Debug", "."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.what) + " " + c.target);
    std::string value;
    EXPECT_EQ(c.get(project->targets(), c.target, &value), c.expected != nullptr);
    if (c.expected) {
      EXPECT_EQ(value, c.expected);
    }
  }
  // A missing key reads as empty.
  std::string value = "stale";
  project->targets().GetValue("Debug", "NoSuchKey", &value);
  EXPECT_EQ(value, "");
}

TEST_F(ProjectTest, SetOutputDirMovesTheOutputFileOfTheLinkOptions) {
  const struct {
    const char* options;
    const char* dir;
    const char* expected;
  } cases[] = {
      // A quoted path with a blank: same file name in the new directory.
      {"-x -o \"C:\\my out\\App.abs\" -m", ".\\Final", "-x -o .\\Final\\App.abs -m"},
      {"-x -o \"C:\\my out\\App.abs\" -m", "C:\\new out\\", "-x -o \"C:\\new out\\App.abs\" -m"},
      // An attached argument stays attached.
      {"-oApp.abs -g", "bin", "-obin\\App.abs -g"},
      {"-g -o out\\App.abs", "", "-g -o App.abs"},
      // "-opndtrk" is another option.
      {"-opndtrk -o a\\x.abs", "b", "-opndtrk -o b\\x.abs"},
      // Without -o the options stay as they were.
      {"-g -m", "bin", "-g -m"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    auto project = OpenProject();
    ASSERT_TRUE(project->targets().SetValue("Debug", kKeyProjectLink, c.options));
    ASSERT_TRUE(project->targets().SetValue("Debug", kKeyUpdate, ""));
    ASSERT_TRUE(project->targets().SetDir("debug", TargetDir::kOutput, c.dir));
    EXPECT_EQ(WorkingValue(*project, "Debug", "OUTPUT"), c.dir);
    EXPECT_EQ(WorkingValue(*project, "Debug", "ProjectLink"), c.expected);
    EXPECT_EQ(WorkingValue(*project, "Debug", "UPDATE"), "1");
  }
}

// The default output directory rewrites the default link options; the
// project's link options give the output directory; debug files follow it.
TEST_F(ProjectTest, OutputDirectoriesLinkOptionsAndDebugFiles) {
  auto project = OpenProject();
  ASSERT_TRUE(project->targets().SetDebugFile("Debug"));
  ASSERT_TRUE(project->targets().SetDefaultDebugFile("Debug"));
  EXPECT_EQ(WorkingValue(*project, "Debug", "DEBUG"), ".\\Debug\\App.abs");
  EXPECT_EQ(WorkingValue(*project, "Debug", "DefaultDEBUG"), ".\\Debug\\App.abs");
  ASSERT_TRUE(project->targets().SetDefaultDir("Debug", TargetDir::kOutput, ".\\D2"));
  EXPECT_EQ(WorkingValue(*project, "Debug", "DefaultOUTPUT"), ".\\D2");
  EXPECT_EQ(WorkingValue(*project, "Debug", "DefaultLink"), "-g -o .\\D2\\App.abs");
  // The project's own link options are not the default's business.
  EXPECT_EQ(WorkingValue(*project, "Debug", "ProjectLink"), "-x -o \"C:\\my out\\App.abs\" -m");

  ASSERT_TRUE(project->targets().SetProjectOptions("Release", TargetOptions::kLink,
                                                   "-g -o \"D:\\out dir\\App.abs\""));
  EXPECT_EQ(WorkingValue(*project, "Release", "OUTPUT"), "D:\\out dir");
  EXPECT_EQ(WorkingValue(*project, "Release", "ProjectLink"), "-g -o \"D:\\out dir\\App.abs\"");
  // Without -o, OUTPUT stays.
  ASSERT_TRUE(project->targets().SetProjectOptions("Release", TargetOptions::kLink, "-g -m"));
  EXPECT_EQ(WorkingValue(*project, "Release", "OUTPUT"), "D:\\out dir");
  std::string value;
  project->targets().GetDir("Release", TargetDir::kOutput, &value);
  EXPECT_EQ(value, "D:\\out dir");
}

TEST_F(ProjectTest, SettersCheckTheTargetAndWriteNothingForAnUnknownOne) {
  auto project = OpenProject();
  EXPECT_FALSE(project->targets().SetProjectOptions("Final", TargetOptions::kCompile, "-O3") ||
               project->targets().SetDir("Final", TargetDir::kTemp, "x") ||
               project->targets().SetDefaultDir("Final", TargetDir::kTemp, "x") ||
               project->targets().SetProjectOptions("Final", TargetOptions::kConvert, "x") ||
               project->targets().SetDefaultOptions("Final", TargetOptions::kLink, "x") ||
               project->targets().SetDebugFile("Final") || project->targets().MarkUpdate("Final") ||
               project->targets().SetValue("Final", "KEY", "x"));
  EXPECT_FALSE(project->store().IsModified());
  EXPECT_EQ(env_.Contents(project->paths().working_copy), kAppProject);

  // A target name in another letter case is the same target.
  EXPECT_TRUE(project->targets().Has("rElEaSe"));
  ASSERT_TRUE(project->targets().SetProjectOptions("RELEASE", TargetOptions::kCompile, "-O3"));
  EXPECT_EQ(WorkingValue(*project, "Release", "ProjectCompile"), "-O3");
  EXPECT_EQ(WorkingValue(*project, "Release", "UPDATE"), "1");
  EXPECT_TRUE(project->targets().NeedsUpdate("Release"));
  EXPECT_FALSE(project->targets().NeedsUpdate("Debug"));
}

TEST_F(ProjectTest, TheCacheAnswersWithoutReadingTheFile) {
  auto project = OpenProject();
  ASSERT_TRUE(project->targets().SetDir("Debug", TargetDir::kTemp, ".\\tmp2"));
  // The file changes behind the project's back: the cached value stands.
  env_.profile.WriteString("PROJECT!MACRO!Debug", "TEMP", ".\\other",
                           project->paths().working_copy);
  env_.profile.Flush(project->paths().working_copy);
  std::string value;
  project->targets().GetValue("Debug", "TEMP", &value);
  EXPECT_EQ(value, ".\\tmp2");
  // A refresh reads the file again.
  project->targets().RefreshTempDir("Debug");
  project->targets().GetValue("Debug", "TEMP", &value);
  EXPECT_EQ(value, ".\\other");
}

TEST_F(ProjectTest, SaveCopiesOnlyAModifiedWorkingCopy) {
  auto project = OpenProject();
  env_.fs.ResetCounts();
  EXPECT_TRUE(project->Save());
  EXPECT_EQ(env_.fs.Count(FsOp::kCopyFile), 0);

  // A change of the same size within the same clock tick is still a change.
  ASSERT_TRUE(project->targets().SetValue("Debug", "TEMP", ".\\Debug\\ob2"));
  EXPECT_TRUE(project->store().IsModified());
  EXPECT_TRUE(project->Save());
  EXPECT_EQ(env_.fs.Count(FsOp::kCopyFile), 1);
  EXPECT_FALSE(project->store().IsModified());
  std::string expected = kAppProject;
  expected.replace(expected.find("TEMP=.\\Debug\\obj"), 16, "TEMP=.\\Debug\\ob2");
  EXPECT_EQ(env_.Contents(kProjectFile), expected);

  // Writing a value back to what it was leaves nothing to save.
  ASSERT_TRUE(project->targets().SetValue("Debug", "TEMP", ".\\x"));
  ASSERT_TRUE(project->targets().SetValue("Debug", "TEMP", ".\\Debug\\ob2"));
  EXPECT_FALSE(project->store().IsModified());
}

TEST_F(ProjectTest, SystemDirectoriesOfTheCpu) {
  env_.AddFile("C:\\Inst\\Config\\Builder\\Template\\MX-520.ini",
               Crlf("[TOOLS]\nCC=cc520\n[LIB]\nFILE=3\nFILE0=C:\\KOVA\\lib\n"
                    "FILE1=C:\\Program Files\\KOVA\\lib\nFILE2=D:\\lib2\n"
                    "[INC]\nFILE=1\nFILE0=C:\\KOVA\\include\n"));
  env_.AddFile("C:\\Inst\\Config\\Builder\\Template\\MR44.ini", Crlf("[TOOLS]\nCC=cc52i\n"));
  Installation util(env_.platform, "C:\\Inst");
  CpuTable cpus(env_.platform, util);
  ASSERT_TRUE(cpus.LoadCpuTools());
  auto project = OpenProject();
  std::string text;
  // A directory with a blank and no short form is left out.
  ASSERT_TRUE(project->GetSystemLibraryOption(cpus, &text));
  EXPECT_EQ(text, "SysLibraryPath= -L C:\\KOVA\\lib -L D:\\lib2\n\n");
  ASSERT_TRUE(project->GetSystemIncludeOption(cpus, &text));
  EXPECT_EQ(text, "SysIncludePath= -I C:\\KOVA\\include\n\n");

  // A CPU without directories gives nothing; an unknown CPU is reported.
  env_.AddFile("C:\\work\\s\\S.kbp", Crlf("[PROJECT]\nOUTPUT=S.abs\nCPU=mr44\nTARGET=Debug\n"));
  env_.AddFile("C:\\work\\u\\U.kbp", Crlf("[PROJECT]\nOUTPUT=U.abs\nCPU=Z80\nTARGET=Debug\n"));
  Project sensor(env_.platform, "C:\\work\\s\\S.kbp", "S.kbp");
  Project unknown(env_.platform, "C:\\work\\u\\U.kbp", "U.kbp");
  std::string error;
  ASSERT_TRUE(sensor.Open(&error));
  ASSERT_TRUE(unknown.Open(&error));
  EXPECT_TRUE(sensor.GetSystemLibraryOption(cpus, &text));
  EXPECT_EQ(text, "");
  text = "old";
  EXPECT_FALSE(unknown.GetSystemIncludeOption(cpus, &text));
  EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace zelvan

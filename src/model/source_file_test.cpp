#include "model/source_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/project.h"
#include "platform/ansi_text.h"
#include "tests/support/model_test_platform.h"
#include "tests/support/test_text.h"
#include "toolchain/language_table.h"

namespace zelvan {
namespace {

using testing::Crlf;
using ::testing::ElementsAre;
using testing::FsOp;
using ::testing::IsEmpty;
using testing::ModelTestPlatform;
using testing::SourceFolder;
using testing::Visible;

constexpr const char* kProjectFile = "C:\\work\\app\\App.kbp";

const std::string kProject =
    Crlf(R"([PROJECT]
OUTPUT=App.abs
CPU=MR44A
CPUFAMILY=MR44A
TARGET=Debug;Release;
Folder=Sources;Link;
)" +
         SourceFolder("Sources", {"main.c", "..\\common\\util.c", "gen.mac"},
                      "FILTER=c\nFolder=Startup;\n") +
         SourceFolder("Startup", {"start.asm"}, "FILTER=asm\n") +
         SourceFolder("Link", {"boot.lcf", "rt.lib", "tables.def", "app.h"}, "FILTER=lcf;lib\n") +
         R"([PROJECT!MACRO!Debug]
ProjectCompile=-g -I..\inc
DefaultCompile=-g
TEMP=.\Debug\obj
[PROJECT!MACRO!Release]
DefaultCompile=-O2
DefaultTEMP=.\Release\obj
[Debug!main.c]
COMPILE=-g -O0
TEMP=.\main\obj
UPDATE=1
[Release!main.c]
NoBuild=1
[Debug!..\common\util.c]
BlankCompileOption=1
NoBuild=2
[Release!..\common\util.c]
COMPILE=
BlankCompileOption=0
NoBuild=abc
[Debug!boot.lcf]
NoLCF=1
[Debug!tables.def]
CustomBuild=1
CBuildComment=Generating tables
CBuildCommandCount=3
CBuildCommand-0=gen $(InputPath)
CBuildCommand-1=
CBuildCommand-2=echo done
CBuildOutputCount=2
CBuildOutput-0=$(IntDir)\tables.c
CBuildOutput-1=out dir\tables.h
CBuildDependencyCount=3
CBuildDependency-0=gen.py
CBuildDependency-1=missing.py
CBuildDependency-2=my tools\gen.cfg
[Release!tables.def]
CBuildCommandCount=2147483647
CBuildCommand-0=one
CBuildOutputCount=-3
CBuildOutput-0=never
)");

// Replaces the first `from` in `text`; a test text that lacks it fails the test.
void Replace(std::string* text, std::string_view from, std::string_view to) {
  size_t at = text->find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text->replace(at, from.size(), to);
}

class SourceFileTest : public ::testing::Test {
 protected:
  SourceFileTest() {
    env_.settings.LoadServiceSettings();
    environment_.languages = &languages_;
    environment_.settings = &env_.settings;
    env_.AddFile(kProjectFile, kProject);
    for (const char* file : {"main.c", "..\\common\\util.c", "gen.mac", "start.asm", "boot.lcf",
                             "tables.def", "gen.py", "my tools\\gen.cfg", "app.h"}) {
      env_.AddFile(std::string("C:\\work\\app\\") + file, "");
    }
  }

  // Opens the project and loads its files as opening the workspace does.
  Project& Open() {
    project_ =
        std::make_unique<Project>(env_.platform, kProjectFile, "app\\App.kbp", &environment_);
    std::string error;
    EXPECT_TRUE(project_->Open(&error)) << error;
    EXPECT_TRUE(project_->store().LoadWholeFile());
    project_->LoadSettings();
    project_->store().ReleaseWholeFile();
    return *project_;
  }
  SourceFile& File(std::string_view relative) {
    SourceFile* file = project_->sources().FindByRelativePath(relative);
    EXPECT_NE(file, nullptr) << relative;
    return *file;
  }
  std::string WorkingCopy() {
    env_.profile.Flush(project_->paths().working_copy);
    return env_.Contents(project_->paths().working_copy);
  }
  std::string Read(SourceFile& file, std::string_view target, std::string_view key) {
    std::string value;
    EXPECT_TRUE(file.settings().Read(target, key, &value));
    return value;
  }

  ModelTestPlatform env_;
  LanguageTable languages_;
  ProjectEnvironment environment_;
  std::unique_ptr<Project> project_;
};

TEST_F(SourceFileTest, ClassifiesByExtensionOnce) {
  struct Case {
    const char* path;
    const char* kind_name;
    int kind;
    const char* object;
    uint32_t flags;
    int image_base;
    uint32_t file_info;
  };
  constexpr uint32_t kExists = BuilderFileInfo::kAlways | BuilderFileInfo::kExists;
  const Case cases[] = {
      {"C:\\work\\app\\main.c", "CC", 0, "main.rel", 0, 6, kExists},
      // Extensions and kind names ignore letter case.
      {"C:\\work\\app\\Main.C", "CC", 0, "Main.rel", 0, 6, kExists},
      {"C:\\work\\app\\a.ASM", "AS", 1, "a.rel", 0, 6, 2},
      {"C:\\work\\app\\gen.mac", "MAC", 2, "gen.rel", 0, 6, kExists},
      // A LINK-kind file has no object; a link command file is marked.
      {"C:\\work\\app\\boot.lcf", "LINK", 6, "", SourceFile::kLinkCommandFile, 8, kExists},
      {"C:\\work\\app\\rt.lib", "LINK", 6, "", 0, 8, 2 | BuilderFileInfo::kLibrary},
      {"C:\\work\\app\\app.h", "", -1, "", SourceFile::kHeader, 8, kExists},
      {"C:\\work\\app\\sys.cfg", "", -1, "", SourceFile::kConfigFile, 8, 2},
      {"C:\\work\\app\\Makefile", "", -1, "", 0, 8, 2},
  };
  Project& project = Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    SourceFile file(c.path, project, false);
    EXPECT_EQ(StringPrintf("%s %d %s %u %d %u", file.ToolKindName().data(), file.ToolKind(),
                           file.ObjectName().c_str(), file.Flags(), file.ImageBase(),
                           file.FileInfo().flags()),
              StringPrintf("%s %d %s %u %d %u", c.kind_name, c.kind, c.object, c.flags,
                           c.image_base, c.file_info));
  }
  SourceFile parts("C:\\work\\app\\src\\Main.C", project, false);
  EXPECT_EQ(parts.RelativePath(), "src\\Main.C");

  // The existence flag follows the disk when asked to.
  env_.AddFile("C:\\work\\app\\src\\Main.C", "");
  EXPECT_FALSE(parts.FileInfo().Has(BuilderFileInfo::kExists));
  parts.RefreshExists();
  EXPECT_TRUE(parts.FileInfo().Has(BuilderFileInfo::kExists));
  env_.memory.DeleteFile("C:\\work\\app\\src\\Main.C");
  parts.RefreshExists();
  EXPECT_FALSE(parts.FileInfo().Has(BuilderFileInfo::kExists));

  // Listed extensions come from the host only.
  EXPECT_FALSE(
      SourceFile("C:\\work\\app\\notes.txt", project, false).HasFlag(SourceFile::kListedExtension));
  environment_.listed_extensions = {"TXT"};
  EXPECT_TRUE(
      SourceFile("C:\\work\\app\\notes.txt", project, false).HasFlag(SourceFile::kListedExtension));
  EXPECT_FALSE(
      SourceFile("C:\\work\\app\\main.c", project, false).HasFlag(SourceFile::kListedExtension));
}

// Values read as the profile functions read them (quotes removed).
TEST_F(SourceFileTest, SettingsLoadedWithTheProjectAreServedFromTheCache) {
  std::string text = kProject;
  Replace(&text, "COMPILE=-g -O0", "COMPILE=  \" -g -O0 \"  ");
  env_.AddFile(kProjectFile, text);
  Open();
  SourceFile& main = File("main.c");
  env_.fs.ResetCounts();
  EXPECT_EQ(Read(main, "Debug", "COMPILE") + "|" + Read(main, "debug", "TEMP") + "|" +
                Read(main, "Release", "NoBuild") + "|" + Read(main, "Release", "COMPILE"),
            " -g -O0 |.\\main\\obj|1|");
  EXPECT_EQ(env_.fs.Count(FsOp::kStat) + env_.fs.Count(FsOp::kReadFile), 0);

  // A key that is not cached is read from the working copy.
  EXPECT_EQ(Read(File("tables.def"), "Debug", "CBuildComment"), "Generating tables");
  EXPECT_GT(env_.fs.Count(FsOp::kStat), 0);

  // Reloading reads the same; a change made behind the file's back shows then.
  main.settings().Reload("Debug");
  EXPECT_EQ(Read(main, "Debug", "COMPILE"), " -g -O0 ");
  env_.profile.WriteString("Debug!main.c", "COMPILE", "-O1", project_->paths().working_copy);
  EXPECT_EQ(Read(main, "Debug", "COMPILE"), " -g -O0 ");
  main.settings().Reload("Debug");
  EXPECT_EQ(Read(main, "Debug", "COMPILE"), "-O1");
}

TEST_F(SourceFileTest, ChangesWriteTheWorkingCopyAndTheCache) {
  Open();
  SourceFile& util = File("..\\common\\util.c");
  SourceFile& start = File("start.asm");
  ASSERT_TRUE(util.settings().SetCompileOptions("release", "-O3"));
  ASSERT_TRUE(util.settings().SetNoBuild("Release", "1"));
  ASSERT_TRUE(util.settings().SetTempDir("Release", ".\\t"));
  ASSERT_TRUE(start.settings().SetCustomBuild("Debug", "1"));
  ASSERT_TRUE(start.settings().SetUpdate("Debug", true));
  ASSERT_TRUE(start.settings().SetUpdate("Debug", false));  // removes the key
  ASSERT_TRUE(File("main.c").settings().SetUpdate("Debug", false));
  ASSERT_TRUE(File("boot.lcf").settings().SetLcfUsed("Debug", true));

  std::string expected = kProject;
  Replace(&expected, "TEMP=.\\main\\obj\r\nUPDATE=1\r\n", "TEMP=.\\main\\obj\r\n");
  Replace(&expected, "COMPILE=\r\nBlankCompileOption=0\r\nNoBuild=abc\r\n",
          "COMPILE=-O3\r\nBlankCompileOption=0\r\nNoBuild=1\r\nUPDATE=1\r\nTEMP=.\\t\r\n");
  Replace(&expected, "NoLCF=1", "NoLCF=0");
  expected += "[Debug!start.asm]\r\nCustomBuild=1\r\n";
  EXPECT_EQ(Visible(WorkingCopy()), Visible(expected));

  env_.fs.ResetCounts();
  // A cleared mark is cached as "0".
  EXPECT_EQ(Read(util, "Release", "COMPILE") + "|" + Read(util, "Release", "UPDATE") + "|" +
                Read(util, "Release", "TEMP") + "|" + Read(start, "Debug", "CustomBuild") + "|" +
                Read(start, "Debug", "UPDATE"),
            "-O3|1|.\\t|1|0");
  EXPECT_FALSE(start.settings().IsUpdate("Debug"));
  EXPECT_EQ(env_.fs.Count(FsOp::kStat), 0);
}

TEST_F(SourceFileTest, ChangesThatCannotBeWrittenChangeNothing) {
  Open();
  SourceFile& main = File("main.c");
  std::string before = WorkingCopy();
  // Unknown target, a link-command-file setting of another file, a value
  // that would break the file.
  EXPECT_FALSE(main.settings().SetCompileOptions("Final", "-O3") ||
               main.settings().SetLcfUsed("Debug", false) ||
               File("boot.lcf").settings().SetLcfUsed("Final", false) ||
               main.settings().SetTempDir("Debug", "a\r\nb") ||
               main.settings().SetCompileOptions("Debug", "-O3\n-O1"));
  std::string section;
  EXPECT_FALSE(main.settings().GetFileSection("Final", &section));
  ASSERT_TRUE(main.settings().GetFileSection("release", &section));
  EXPECT_EQ(section, "Release!main.c");

  // The disk refuses: the cache keeps what the file has.
  env_.fs.FailAlways(FsOp::kRename);
  EXPECT_FALSE(main.settings().SetCompileOptions("Debug", "-O3") ||
               main.settings().SetUpdate("Debug", false));
  env_.fs.ClearFaults();
  EXPECT_EQ(Read(main, "Debug", "COMPILE") + "|" + Read(main, "Debug", "UPDATE"), "-g -O0|1");
  EXPECT_EQ(WorkingCopy(), before);
}

TEST_F(SourceFileTest, IntegerSettingsAndEffectiveValues) {
  Open();
  SourceFileSettings& main = File("main.c").settings();
  SourceFileSettings& util = File("..\\common\\util.c").settings();
  // Only the integer 1 excludes: not "2", not "abc".
  EXPECT_TRUE(main.IsBuilt("Debug") && !main.IsBuilt("Release") && util.IsBuilt("Debug") &&
              util.IsBuilt("Release"));
  const std::pair<const char*, int64_t> ints[] = {{" 1x", 1},
                                                  {"x1", 0},
                                                  {"", 0},
                                                  {"-1", -1},
                                                  {"+7", 7},
                                                  {"99999999999", 2147483647},
                                                  {"-99999999999", -2147483648},
                                                  {"\x01\xff", 0}};
  for (const auto& [text, value] : ints)
    EXPECT_EQ(ReadsAsInteger(text), value) << text;

  // Own options; blank mark; blank mark "0" and the project's options.
  std::string own, blank, project, plain, value;
  ASSERT_TRUE(main.GetCompileOptions("Debug", &own) && util.GetCompileOptions("Debug", &blank) &&
              util.GetCompileOptions("Release", &project) &&
              File("gen.mac").settings().GetCompileOptions("Debug", &plain));
  EXPECT_EQ(own + "|" + blank + "|" + project + "|" + plain, "-g -O0||-O2|-g -I..\\inc");
  EXPECT_FALSE(File("gen.mac").settings().GetCompileOptions("Final", &value));
  // Temporary directories: the file's own, else the project's through its default.
  std::string own_temp, no_temp, project_temp, other_temp;
  main.GetTempDir("Debug", &own_temp);
  main.GetTempDir("Release", &no_temp);
  main.GetEffectiveTempDir("Release", &project_temp);
  util.GetEffectiveTempDir("Debug", &other_temp);
  EXPECT_EQ(own_temp + "|" + no_temp + "|" + project_temp + "|" + other_temp,
            ".\\main\\obj||.\\Release\\obj|.\\Debug\\obj");

  EXPECT_TRUE(main.IsUpdate("Debug") && !main.IsUpdate("Release") &&
              !File("boot.lcf").settings().IsLcfUsed("Debug") &&
              File("boot.lcf").settings().IsLcfUsed("Release") && !main.IsLcfUsed("Release"));
  EXPECT_EQ(File("tables.def").settings().GetCustomBuild("Debug") * 10 +
                File("tables.def").settings().GetCustomBuild("Release"),
            10);
}

TEST_F(SourceFileTest, CustomBuildLists) {
  Open();
  SourceFile& tables = File("tables.def");
  std::string text;
  tables.settings().GetCBuildComment("Debug", &text);
  EXPECT_EQ(text, "Generating tables");
  std::vector<std::string> list = {"stale"};
  tables.settings().GetCBuildList("Debug", CBuildList::kCommands, &list);
  EXPECT_THAT(list, ElementsAre("gen $(InputPath)", "echo done"));
  tables.settings().GetCBuildList("Debug", CBuildList::kOutputs, &list);
  EXPECT_THAT(list, ElementsAre("$(IntDir)\\tables.c", "out dir\\tables.h"));
  tables.settings().GetCBuildDependencies("Debug", &list, false, false);
  EXPECT_THAT(list, ElementsAre("gen.py", "missing.py", "my tools\\gen.cfg"));
  tables.settings().GetCBuildDependencies("Debug", &list, true, true);
  EXPECT_THAT(list, ElementsAre("gen.py", "\"my tools\\gen.cfg\""));
  // A count far beyond the section's keys costs no more than the section;
  // a negative one lists nothing.
  tables.settings().GetCBuildList("Release", CBuildList::kCommands, &list);
  EXPECT_THAT(list, ElementsAre("one"));
  tables.settings().GetCBuildList("Release", CBuildList::kOutputs, &list);
  EXPECT_THAT(list, IsEmpty());
  File("main.c").settings().GetCBuildList("Debug", CBuildList::kCommands, &list);
  EXPECT_THAT(list, IsEmpty());

  EXPECT_TRUE(tables.settings().GetCBuildDependencyText("Debug", &text));
  EXPECT_EQ(text, "tables.def gen.py \"my tools\\gen.cfg\" ");
}

TEST_F(SourceFileTest, ImagesLabelsLibrariesAndPreprocessedNames) {
  Project& project = Open();
  const struct {
    const char* file;
    const char* target;
    int32_t image;
    const char* label;
  } cases[] = {
      {"main.c", "Debug", 6, "Lang Tool"},      {"main.c", "Release", 16, "Lang Tool"},  // excluded
      {"main.c", "Final", 6, "Lang Tool"},     // an unknown target: the first one
      {"boot.lcf", "Debug", 16, "Lang Tool"},  // not used for the link
      {"boot.lcf", "Release", 22, "Lang Tool"}, {"tables.def", "Debug", 20, "Custom Build"},
      {"tables.def", "Release", 8, ""},         {"app.h", "Debug", 8, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.target);
    int32_t image = -1;
    std::string label = "stale";
    EXPECT_TRUE(File(c.file).GetImageIndex(c.target, &image));
    EXPECT_EQ(image, c.image);
    EXPECT_TRUE(File(c.file).GetToolLabel(c.target, &label));
    EXPECT_EQ(label, c.label);
  }
  std::string label;
  SourceFile("C:\\work\\app\\sys.cfg", project, false).GetToolLabel("Debug", &label);
  EXPECT_EQ(label, "Lang Tool");

  std::vector<std::string> libraries;
  EXPECT_TRUE(File("rt.lib").AddToLibraryList("Debug", &libraries));
  EXPECT_FALSE(File("boot.lcf").AddToLibraryList("Debug", &libraries));
  EXPECT_FALSE(File("main.c").AddToLibraryList("Debug", &libraries));
  ASSERT_TRUE(File("rt.lib").settings().SetNoBuild("Release", "1"));
  EXPECT_FALSE(File("rt.lib").AddToLibraryList("Release", &libraries));
  EXPECT_THAT(libraries, ElementsAre("rt.lib"));

  std::string path;
  EXPECT_TRUE(File("gen.mac").GetPreprocessedName("Debug", &path));
  EXPECT_EQ(path, "C:\\work\\app\\gen.eas");  // MR44A
  EXPECT_FALSE(File("main.c").GetPreprocessedName("Debug", &path));
  EXPECT_EQ(path, "");
  std::string other = kProject;
  Replace(&other, "CPUFAMILY=MR44A", "CPUFAMILY=MX-520");
  env_.AddFile(kProjectFile, other);
  Open();
  EXPECT_TRUE(File("gen.mac").GetPreprocessedName("Debug", &path));
  EXPECT_EQ(path, "C:\\work\\app\\gen.asm");
}

}  // namespace
}  // namespace zelvan

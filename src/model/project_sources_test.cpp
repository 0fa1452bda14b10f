// The source files of a project as the workspace holds them: loaded from the
// folder sections, added by folder filters, and carried along when targets
// come and go and projects are saved.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "model/workspace_hooks.h"
#include "tests/support/model_test_platform.h"
#include "tests/support/test_text.h"

namespace zelvan {
namespace {

using testing::Crlf;
using ::testing::ElementsAre;
using testing::FsOp;
using ::testing::IsEmpty;
using testing::ModelTestPlatform;
using testing::Visible;

constexpr const char* kWorkspace = "C:\\ws\\Demo.kws";
constexpr const char* kAppFile = "C:\\ws\\app\\App.kbp";
constexpr const char* kBareFile = "C:\\ws\\bare\\Bare.kbp";

// Folders nested two deep, Asm listing Code again; "C Sources" and the later
// outermost "Docs" both take C files. Damaged folders: Docs (a count that is no number), Libs (a
// count beyond its entries), Asm (an entry behind its count).
const std::string kAppProject = Crlf(
    "[PROJECT]\n"
    "OUTPUT=App.abs\n"
    "CPU=MX-520\n"
    "CPUFAMILY=MX-520\n"
    "TARGET=Debug;Release;\n"
    "Folder=Code;Docs;Libs;\n"
    "[Code]\n"
    "FILTER=h\n"
    "Folder=C Sources;Asm;\n"
    "SOURCECOUNT=2\n"
    "SOURCE0=app.h\n"
    "SOURCE1=.\\APP.h\n"
    "[C Sources]\n"
    "FILTER=*.c;.cpp\n"
    "SOURCECOUNT=4\n"
    "SOURCE0=main.c\n"
    "SOURCE1=\n"
    "SOURCE2=..\\common\\util.c\n"
    "SOURCE3=bad\x01name.c\n"
    "[Asm]\n"
    "FILTER=asm;c\n"
    "Folder=Code;\n"
    "SOURCECOUNT=1\n"
    "SOURCE0=start.asm\n"
    "SOURCE1=lost.asm\n"
    "[Docs]\n"
    "FILTER=txt;c\n"
    "SOURCECOUNT=abc\n"
    "SOURCE0=readme.txt\n"
    "[Libs]\n"
    "FILTER=lib\n"
    "SOURCECOUNT=99999999999\n"
    "SOURCE0=rt.lib\n"
    "SOURCE1=D:\\sdk\\x.lib\n"
    "[PROJECT!MACRO!Debug]\n"
    "ProjectCompile=-g\n"
    "[PROJECT!MACRO!Release]\n"
    "ProjectCompile=-O2\n"
    "[Debug!main.c]\n"
    "COMPILE=-O0\n"
    "[Release!..\\common\\util.c]\n"
    "NoBuild=1\n"
    "[Debug!io.c]\n"
    "NoBuild=1\n");

const std::string kBareProject = Crlf("[PROJECT]\nOUTPUT=Bare.abs\nTARGET=Debug;\n");

// Hooks that record what the model asked of the layers above.
class RecordingHooks : public WorkspaceHooks {
 public:
  void RefreshDependencies(Workspace&) override {}
  bool WriteMakefile(Workspace&, Project&, bool) override { return true; }
  void SourceFileAdded(Workspace& workspace, Project& project, SourceFile& file) override {
    added.push_back(project.paths().output_name + " " + file.RelativePath() + " " +
                    workspace.selection().CurrentTarget());
  }
  bool SaveSourceFileData(Project& project) override {
    saved.push_back(project.paths().output_name);
    return true;
  }
  std::vector<std::string> added;
  std::vector<std::string> saved;
};

class ProjectSourcesTest : public ::testing::Test {
 protected:
  ProjectSourcesTest() {
    env_.AddFile(kAppFile, kAppProject);
    env_.AddFile(kBareFile, kBareProject);
    for (const char* file :
         {"app.h", "main.c", "io.c", "x.c", "X.cpp", "notes.md", "b.asm", "readme2.txt", "y.lib",
          "bad]name.c", " blank.c", "a\x01z.c", "a;b.c", "s*.c", "p%.c", "a|b.c"}) {
      env_.AddFile(std::string("C:\\ws\\app\\") + file, "");
    }
    env_.AddFile("C:\\ws\\common\\util.c", "");
    env_.memory.AddDirectory("C:\\ws\\app\\dir.c");
    env_.ide.project_files = {kAppFile, kBareFile};
    env_.ide.active_project = kAppFile;
    env_.ide.settings["Builder|Composition"] = "Debug";
    workspace_ = env_.NewWorkspace(&hooks_);
  }

  Project& Open() {
    EXPECT_TRUE(workspace_->document().Open(kWorkspace));
    return *workspace_->projects().Find("App");
  }
  std::vector<std::string> Files(const Project& project) {
    std::vector<std::string> files;
    for (const auto& file : project.sources().Files())
      files.push_back(file->FolderName() + "|" + file->RelativePath());
    return files;
  }
  std::string WorkingCopy(const Project& project) {
    env_.profile.Flush(project.paths().working_copy);
    return env_.Contents(project.paths().working_copy);
  }
  static void ExpectStatus(const Status& status, uint32_t code, unsigned message_id,
                           std::string_view arg = {}) {
    EXPECT_EQ(status.code(), code);
    EXPECT_EQ(status.message_id(), message_id);
    std::string args;
    for (const std::string& a : status.arguments())
      args += a + "\n";
    if (arg.empty()) {
      EXPECT_EQ(args, "");
    } else {
      EXPECT_NE(args.find(arg), std::string::npos) << args;
    }
  }

  ModelTestPlatform env_;
  RecordingHooks hooks_;
  std::unique_ptr<Workspace> workspace_;
};

TEST_F(ProjectSourcesTest, OpeningLoadsTheFilesInProjectOrderAndChangesNothing) {
  Project& app = Open();
  // Folders depth first; one record per file whatever its spelling; empty
  // entries skipped; a count that is no number lists nothing, a huge one no
  // more than the folder has.
  EXPECT_THAT(Files(app), ElementsAre("Code|app.h", "C Sources|main.c",
                                      "C Sources|..\\common\\util.c", "C Sources|bad\x01name.c",
                                      "Asm|start.asm", "Libs|rt.lib", "Libs|D:\\sdk\\x.lib"));
  EXPECT_THAT(app.sources().Folders(), ElementsAre("Code", "C Sources", "Asm", "Docs", "Libs"));
  EXPECT_EQ(app.sources().Files()[2]->FullPath(), "C:\\ws\\common\\util.c");
  EXPECT_EQ(app.sources().Find("c:\\WS\\APP\\MAIN.C"), app.sources().Files()[1].get());
  EXPECT_EQ(app.sources().FindByRelativePath("Main.C"), app.sources().Files()[1].get());
  EXPECT_EQ(app.sources().FindByRelativePath("io.c"), nullptr);
  // Settings of every target are loaded with the files.
  EXPECT_FALSE(app.sources().Files()[2]->settings().IsBuilt("Release"));
  std::string options;
  app.sources().Files()[1]->settings().GetCompileOptions("Debug", &options);
  EXPECT_EQ(options, "-O0");
  EXPECT_EQ(Visible(WorkingCopy(app)), Visible(kAppProject));
  workspace_->document().Close();
  EXPECT_EQ(env_.Contents(kAppFile), kAppProject);
}

TEST_F(ProjectSourcesTest, ProjectOptionsMarkTheFilesThatFollowThem) {
  Project& app = Open();
  // Marks that cannot be written are not cached.
  env_.fs.FailNth(FsOp::kRename, 2);  // the project's flush passes, the files' fails
  EXPECT_FALSE(app.targets().SetProjectOptions("Debug", TargetOptions::kCompile, "-g -O2"));
  for (const auto& file : app.sources().Files())
    EXPECT_FALSE(file->settings().IsUpdate("Debug")) << file->RelativePath();
  EXPECT_FALSE(app.targets().NeedsUpdate("Release"));
  ASSERT_TRUE(app.sources().Files()[1]->settings().SetUpdate("Release", true));
  EXPECT_TRUE(app.targets().NeedsUpdate("Release"));

  ASSERT_TRUE(app.targets().SetProjectOptions("Debug", TargetOptions::kCompile, "-g -O1"));
  for (const auto& file : app.sources().Files())  // main.c has options of its own
    EXPECT_EQ(file->settings().IsUpdate("Debug"), file->RelativePath() != "main.c")
        << file->RelativePath();
  // An unknown target marks nothing.
  EXPECT_FALSE(app.targets().SetProjectOptions("Final", TargetOptions::kCompile, "-O3"));
  EXPECT_FALSE(app.sources().Files()[0]->settings().IsUpdate("Final"));
}

TEST_F(ProjectSourcesTest, TargetsCarryTheFilesSectionsAlong) {
  Project& app = Open();
  ASSERT_TRUE(workspace_->AddTarget("App", "Release", "Trace"));
  SourceFile& util = *app.sources().Files()[2];
  EXPECT_FALSE(util.settings().IsBuilt("Trace"));
  std::string value;
  EXPECT_TRUE(util.settings().Cache().GetValue("Trace", "NoBuild", &value));

  ASSERT_TRUE(workspace_->RemoveTarget("App", "trace"));
  EXPECT_FALSE(util.settings().Cache().HasSection("Trace"));
  // A target of that name made again starts from its own copy, not the old cache.
  ASSERT_TRUE(workspace_->AddTarget("App", "Debug", "Trace"));
  EXPECT_TRUE(util.settings().IsBuilt("Trace"));
}

TEST_F(ProjectSourcesTest, AddingPlacesFilesByFolderFilters) {
  Project& app = Open();
  ASSERT_TRUE(workspace_->AddFile("App", "C:\\ws\\app\\x.c")) << workspace_->GetLastMessage();
  ASSERT_TRUE(workspace_->AddFile("app.abs", "C:/ws/app/sub/../X.cpp"));
  ASSERT_TRUE(workspace_->AddFile("App", "C:\\ws\\app\\notes.md"));  // no folder takes it
  ASSERT_TRUE(workspace_->AddFile("App", "C:\\ws\\app\\io.c"));
  std::string expected = kAppProject;
  auto insert_after = [&](std::string_view anchor, std::string_view text) {
    size_t at = expected.find(anchor);
    ASSERT_NE(at, std::string::npos) << anchor;
    expected.insert(at + anchor.size(), text);
  };
  // Depth first: "C Sources" under "Code" before the later "Docs".
  expected.replace(expected.find("SOURCECOUNT=4"), 13, "SOURCECOUNT=6");
  insert_after("SOURCE3=bad\x01name.c\r\n", "SOURCE4=x.c\r\nSOURCE5=X.cpp\r\n");
  expected.replace(expected.find("SOURCECOUNT=2"), 13, "SOURCECOUNT=3");
  insert_after("SOURCE1=.\\APP.h\r\n", "SOURCE2=notes.md\r\n");
  // io.c takes the settings a file of its name left behind.
  expected.replace(expected.find("SOURCECOUNT=6"), 13, "SOURCECOUNT=7");
  insert_after("SOURCE5=X.cpp\r\n", "SOURCE6=io.c\r\n");
  EXPECT_EQ(Visible(WorkingCopy(app)), Visible(expected));

  EXPECT_THAT(
      Files(app),
      ElementsAre("Code|app.h", "C Sources|main.c", "C Sources|..\\common\\util.c",
                  "C Sources|bad\x01name.c", "Asm|start.asm", "Libs|rt.lib", "Libs|D:\\sdk\\x.lib",
                  "C Sources|x.c", "C Sources|X.cpp", "Code|notes.md", "C Sources|io.c"));
  EXPECT_FALSE(app.sources().FindByRelativePath("io.c")->settings().IsBuilt("Debug"));
  EXPECT_EQ(app.sources().Files()[8]->FullPath(), "C:\\ws\\app\\X.cpp");
  EXPECT_THAT(hooks_.added, ElementsAre("App.abs x.c Debug", "App.abs X.cpp Debug",
                                        "App.abs notes.md Debug", "App.abs io.c Debug"));

  // Saved and opened again, the project lists them in its own order. The
  // source data of every project is saved, unmodified ones too: dependency
  // records change without the project file.
  ASSERT_TRUE(workspace_->document().Save(false));
  EXPECT_THAT(hooks_.saved, ElementsAre("App.abs", "Bare.abs"));
  workspace_->document().Close();
  EXPECT_EQ(Visible(env_.Contents(kAppFile)), Visible(expected));
  Project& again = Open();
  EXPECT_THAT(Files(again), ElementsAre("Code|app.h", "Code|notes.md", "C Sources|main.c",
                                        "C Sources|..\\common\\util.c", "C Sources|bad\x01name.c",
                                        "C Sources|x.c", "C Sources|X.cpp", "C Sources|io.c",
                                        "Asm|start.asm", "Libs|rt.lib", "Libs|D:\\sdk\\x.lib"));
}

TEST_F(ProjectSourcesTest, AProjectWithoutFoldersGetsOne) {
  Open();
  ASSERT_TRUE(workspace_->AddFile("Bare", "C:\\ws\\app\\main.c"));
  Project& bare = *workspace_->projects().Find("Bare");
  EXPECT_EQ(Visible(WorkingCopy(bare)),
            Visible(Crlf("[PROJECT]\nOUTPUT=Bare.abs\nTARGET=Debug;\nFolder=Source Files;\n"
                         "[Source Files]\nSOURCE0=..\\app\\main.c\nSOURCECOUNT=1\n")));
  EXPECT_THAT(Files(bare), ElementsAre("Source Files|..\\app\\main.c"));
  EXPECT_THAT(bare.sources().Folders(), ElementsAre("Source Files"));
}

// The profile functions and opening read a key written with blanks around it
// differently; a file added there would be lost on the next open.
TEST_F(ProjectSourcesTest, AFileThatOpeningWouldNotFindIsRefused) {
  const std::string odd = Crlf(
      "[PROJECT]\nOUTPUT=Bare.abs\nTARGET=Debug;\nFolder=Src;\n"
      "[Src]\nFILTER=c\nSOURCECOUNT = 1\nSOURCE0=a.c\n");
  env_.AddFile(kBareFile, odd);
  Open();
  Project& bare = *workspace_->projects().Find("Bare");
  ExpectStatus(workspace_->AddFile("Bare", "C:\\ws\\app\\main.c"), kStatusFileNotAdded,
               kMsgFileNotAdded, "[Src]");
  EXPECT_EQ(Visible(WorkingCopy(bare)), Visible(odd));
  EXPECT_THAT(bare.sources().Files(), IsEmpty());
  // Later changes still reach the working copy.
  ASSERT_TRUE(bare.targets().SetDir("Debug", TargetDir::kTemp, ".\\t"));
  EXPECT_NE(WorkingCopy(bare).find("TEMP=.\\t"), std::string::npos);
}

TEST_F(ProjectSourcesTest, BadFilesAreRefusedAndChangeNothing) {
  Project& app = Open();
  std::string before = WorkingCopy(app);
  size_t files = app.sources().Files().size();
  const struct {
    const char* project;
    const char* file;
    uint32_t status;
    unsigned message;
    const char* in_message;
  } cases[] = {
      {"App", "C:\\ws\\app\\missing.c", kStatusFileNotFound, kMsgFileNotFound,
       "C:\\ws\\app\\missing.c"},
      {"App", "C:\\ws\\app\\dir.c", kStatusFileNotFound, kMsgFileNotFound, "dir.c"},
      // In the project already, by another spelling of its path.
      {"App", "c:\\ws\\APP\\Main.C", kStatusFileInProject, kMsgFileInProject, "Main.C"},
      {"App", "C:\\ws\\app\\..\\common\\util.c", kStatusFileInProject, kMsgFileInProject, "util.c"},
      // No full path; a name the project file cannot keep, or a build
      // could not name, with the reason.
      {"App", "main.c", kStatusInvalidPath, kMsgInvalidPath, ""},
      {"App", "", kStatusInvalidPath, kMsgInvalidPath, ""},
      {"App", "C:\\ws\\app\\a\x01z.c", kStatusInvalidPath, kMsgFileNotAdded, "control character"},
      {"App", "C:\\ws\\app\\bad]name.c", kStatusInvalidPath, kMsgFileNotAdded, "`]`"},
      {"App", "C:\\ws\\app\\ blank.c", kStatusInvalidPath, kMsgFileNotAdded, "begins or ends"},
      {"App", "C:\\ws\\app\\a;b.c", kStatusInvalidPath, kMsgFileNotAdded, "holds `;`, which"},
      {"App", "C:\\ws\\app\\s*.c", kStatusInvalidPath, kMsgFileNotAdded, "holds `*`"},
      {"App", "C:\\ws\\app\\p%.c", kStatusInvalidPath, kMsgFileNotAdded, "holds `%`"},
      {"App", "C:\\ws\\app\\a|b.c", kStatusInvalidPath, kMsgFileNotAdded, "holds `|`"},
      // Damaged folders: a count that is no number, one beyond the entries,
      // an entry behind the count.
      {"App", "C:\\ws\\app\\readme2.txt", kStatusFileNotAdded, kMsgFileNotAdded, "[Docs]"},
      {"App", "C:\\ws\\app\\y.lib", kStatusFileNotAdded, kMsgFileNotAdded, "[Libs]"},
      {"App", "C:\\ws\\app\\b.asm", kStatusFileNotAdded, kMsgFileNotAdded, "[Asm]"},
      {"Nope", "C:\\ws\\app\\x.c", kStatusProjectNotFound, kMsgProjectNotFound, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    ExpectStatus(workspace_->AddFile(c.project, c.file), c.status, c.message, c.in_message);
  }
  ExpectStatus(workspace_->AddFile(std::nullopt, "C:\\ws\\app\\x.c"), kStatusBadArgument,
               kMsgBadArgument);

  // A working copy that cannot be written.
  env_.memory.SetReadOnly(app.paths().working_copy, true);
  ExpectStatus(workspace_->AddFile("App", "C:\\ws\\app\\x.c"), kStatusFileNotAdded,
               kMsgFileNotAdded, "x.c");
  env_.memory.SetReadOnly(app.paths().working_copy, false);
  env_.fs.FailAlways(FsOp::kRename);
  ExpectStatus(workspace_->AddFile("App", "C:\\ws\\app\\x.c"), kStatusFileNotAdded,
               kMsgFileNotAdded, "x.c");
  env_.fs.ClearFaults();

  EXPECT_EQ(Visible(WorkingCopy(app)), Visible(before));
  EXPECT_EQ(app.sources().Files().size(), files);
  EXPECT_THAT(hooks_.added, IsEmpty());

  workspace_->document().Close();
  ExpectStatus(workspace_->AddFile("App", "C:\\ws\\app\\x.c"), kStatusNoWorkspace, kMsgNoWorkspace);
}

}  // namespace
}  // namespace zelvan

#include "model/workspace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "model/status_codes.h"
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
using testing::SourceFolder;
using testing::Visible;

constexpr const char* kWorkspace = "C:\\ws\\Demo.kws";
constexpr const char* kLibFile = "C:\\ws\\lib\\Mathe.kbp";
constexpr const char* kAppFile = "C:\\ws\\app\\App.kbp";
constexpr const char* kToolFile = "C:\\ws\\tool\\Tool.kbp";

const std::string kLibProject = Crlf(R"(; the library
[PROJECT]
OUTPUT=Mathe.lib
CPU=MX-520
TARGET=Debug;Release;
Folder=Sources;
[Sources]
SOURCECOUNT=1
SOURCE0=fix.c
[PROJECT!MACRO!Debug]
DefaultCompile=-g
ProjectCompile=
DefaultOUTPUT=.\Debug
[PROJECT!MACRO!Release]
DefaultCompile=-O2
DefaultOUTPUT=.\Release
[Debug!fix.c]
COMPILE=-g -O0
)");

const std::string kAppProject = Crlf(R"([PROJECT]
OUTPUT=App.abs
CPU=MR44
TARGET=Debug;Release;Final;
Folder=Sources;
)" + SourceFolder("Sources", {"main.c", "io.c"}, "Folder=Asm;\n") +
                                     SourceFolder("Asm", {"start.asm"}) + R"([PROJECT!MACRO!Debug]
DefaultCompile=-g
ProjectCompile=-g -I..\lib
DefaultLink=-o .\Debug\App.abs
ProjectLink=-g -o "C:\out dir\App.abs"
DefaultOUTPUT=.\Debug
OUTPUT=.\Debug
TEMP=.\Debug\obj
[PROJECT!MACRO!Release]
DefaultCompile=-O2
[PROJECT!MACRO!Final]
DefaultCompile=-O3
[Debug!main.c]
COMPILE=-g -O0
[Debug!start.asm]
NoBuild=1
[Release!main.c]
NoBuild=1
[Debug!Sources]
NoBuild=0
)");

const std::string kToolProject = Crlf(R"([PROJECT]
OUTPUT=Tool.abs
CPU=MX-520
TARGET=Only;
[PROJECT!MACRO!Only]
DefaultCompile=-g
)");

// Hooks that count what the workspace started.
class CountingHooks : public WorkspaceHooks {
 public:
  void RefreshDependencies(Workspace&) override { ++refreshes; }
  bool WriteMakefile(Workspace&, Project& project, bool without_dependencies) override {
    makefiles.push_back(project.paths().output_name + (without_dependencies ? " nodep" : " dep"));
    return true;
  }
  bool SaveSourceFileData(Project&) override { return source_data_saves; }
  int refreshes = 0;
  std::vector<std::string> makefiles;
  bool source_data_saves = true;
};

class WorkspaceTest : public ::testing::Test {
 protected:
  WorkspaceTest() {
    env_.AddFile(kLibFile, kLibProject);
    env_.AddFile(kAppFile, kAppProject);
    env_.AddFile(kToolFile, kToolProject);
    env_.ide.project_files = {kLibFile, "C:\\ws\\gone\\Gone.kbp", "C:\\ws\\app\\App.kpr"};
    env_.ide.active_project = kAppFile;
    env_.ide.settings["Builder|Composition"] = "Release";
    workspace_ = env_.NewWorkspace(&hooks_);
  }

  void Open() { ASSERT_TRUE(workspace_->document().Open(kWorkspace)); }
  std::string Value(const std::string& file, const std::string& section, const std::string& key) {
    return env_.profile.GetString(section, key, "", file);
  }
  static void ExpectStatus(const Status& status, uint32_t code, unsigned message_id) {
    EXPECT_EQ(status.code(), code);
    EXPECT_EQ(status.message_id(), message_id);
  }

  ModelTestPlatform env_;
  CountingHooks hooks_;
  std::unique_ptr<Workspace> workspace_;
};

TEST_F(WorkspaceTest, ConstructionReadsTheMachineAndRestoresPath) {
  env_.system.user_name = "";
  env_.system.env["TMP"] = "D:\\tmp";
  env_.system.env["PATH"] = std::string(5000, 'p');  // longer than any fixed buffer
  auto workspace = env_.NewWorkspace();
  // The stamp of 2024-03-07 09:05:02 has no leading zeros.
  EXPECT_EQ(workspace->UserName() + " " + workspace->TempDirectory() + " " +
                workspace->SecondTempDirectory() + " " + workspace->StartStamp(),
            "Default C:\\Temp D:\\tmp 202437952");

  env_.system.env["PATH"] = "C:\\changed";
  workspace.reset();
  EXPECT_EQ(env_.system.env["PATH"], std::string(5000, 'p'));

  env_.system.env.erase("PATH");
  workspace = env_.NewWorkspace();
  env_.system.env["PATH"] = "C:\\set later";
  workspace.reset();
  EXPECT_EQ(env_.system.env.count("PATH"), 0u);

  // Stop requests come through the named object.
  EXPECT_FALSE(workspace_->IsStopRequested());
  env_.system.CreateNamedObject(workspace_->StartStamp());  // the stamp alone is another session's
  EXPECT_FALSE(workspace_->IsStopRequested());
  env_.system.CreateNamedObject(workspace_->StopObjectName());
  EXPECT_TRUE(workspace_->IsStopRequested());
  std::string other = workspace_->StartStamp();
  workspace_.reset();
  // The request dies with the session it was meant for, and only that one.
  EXPECT_THAT(env_.system.named_objects, ElementsAre(other));
}

TEST_F(WorkspaceTest, OpenSkipsMissingProjectsAndChoosesTheActiveOne) {
  Open();
  ASSERT_EQ(workspace_->projects().All().size(), 2u);
  // The .kpr listed is opened as the .kbp.
  Workspace& w = *workspace_;
  EXPECT_EQ(w.projects().All()[0]->paths().output_name + " " +
                w.projects().All()[0]->paths().relative_path + " " +
                w.projects().All()[1]->paths().project_file + " " + w.document().OptionsPath() +
                " " + w.selection().ActiveProjectFile() + " " + w.selection().CurrentProjectName() +
                " " + w.selection().CurrentTarget() + " " +
                w.selection().CurrentProject()->targets().Current(),
            "Mathe.lib lib\\Mathe.kbp C:\\ws\\app\\App.kbp C:\\ws\\Demo.kop C:\\ws\\app\\App.kbp "
            "App.abs Release Release");
  EXPECT_EQ(workspace_->GetLastStatus(), kStatusOk);
  EXPECT_EQ(hooks_.refreshes, 1);
  EXPECT_THAT(env_.ide.Calls("RefreshSourceControlStatus"), ElementsAre(""));
  EXPECT_EQ(env_.WorkingCopies().size(), 2u);
  for (const auto& project : workspace_->projects().All())
    EXPECT_EQ(project->store().WholeFile(), nullptr);
  // Progress after each project, in percent, and the project left out.
  EXPECT_THAT(env_.ide.Calls("WriteOutputLine"),
              ElementsAre("18|Build Project: 33%",
                          "17|The project file C:\\ws\\gone\\Gone.kbp cannot be read and is left "
                          "out of the workspace: it does not exist.",
                          "18|Build Project: 100%"));

  // A stored target the active project lacks falls back to its first, and
  // closing writes the target that became current.
  workspace_->document().Close();
  env_.ide.settings["Builder|Composition"] = "Nightly";
  Open();
  EXPECT_EQ(workspace_->selection().CurrentTarget(), "Debug");
  workspace_->document().Close();
  EXPECT_EQ(env_.ide.Setting("Builder", "Composition"), "Debug");
}

TEST_F(WorkspaceTest, OpenLeavesOutTheProjectsItCannotReadAndSaysWhy) {
  const char* kBinary = "C:\\ws\\bin\\Bin.kbp";
  const char* kCut = "C:\\ws\\cut\\Cut.kbp";
  env_.AddFile(kBinary, std::string("\0\x01\xff[PROJECT]\0OUTPUT", 19));
  env_.AddFile(kCut, "[PROJECT]\r\nOUTP");
  const char* kTwin = "C:\\ws\\x\\Twin.kbp";  // App's output name again
  const char* kDir = "C:\\ws\\dir\\Dir.kbp";
  env_.AddFile(kTwin, Crlf("[PROJECT]\nOUTPUT=APP.abs\nTARGET=Debug\n"));
  env_.memory.AddDirectory(kDir);
  env_.ide.project_files = {kAppFile, kBinary, kCut,    "C:\\ws\\gone\\Gone.kbp",
                            kTwin,    kDir,    kLibFile};
  Open();
  std::vector<std::string> unread;
  for (const UnreadProject& project : workspace_->projects().Unread())
    unread.push_back(project.file + ": " + project.reason);
  EXPECT_THAT(unread,
              ElementsAre("C:\\ws\\bin\\Bin.kbp: it names no output file",
                          "C:\\ws\\cut\\Cut.kbp: it names no output file",
                          "C:\\ws\\gone\\Gone.kbp: it does not exist",
                          "C:\\ws\\x\\Twin.kbp: another project has its output name APP.abs",
                          "C:\\ws\\dir\\Dir.kbp: it is not a regular file"));
  ASSERT_EQ(workspace_->projects().All().size(), 2u);
  workspace_->document().Close();
  EXPECT_THAT(workspace_->projects().Unread(), IsEmpty());
}

TEST_F(WorkspaceTest, EveryLookUpByNameFollowsOneRule) {
  // Output names and file names that cross: an output name is matched
  // first, then one without its extension, then a file's base name.
  const char* kA = "C:\\ws\\a\\Motor.kbp";
  const char* kB = "C:\\ws\\b\\Drive.kbp";
  const char* kC = "C:\\ws\\c\\Pump.kbp";
  env_.AddFile(kA, Crlf("[PROJECT]\nOUTPUT=Drive.abs\nTARGET=Debug;\n"));
  env_.AddFile(kB, Crlf("[PROJECT]\nOUTPUT=Motor.lib\nTARGET=Debug;\n"));
  env_.AddFile(kC, Crlf("[PROJECT]\nOUTPUT=Gauge.abs\nTARGET=Debug;\n"));
  env_.ide.project_files = {kA, kB, kC};
  Open();
  const struct {
    const char* name;
    const char* file;  // null: none
  } kCases[] = {
      {"Drive.abs", kA}, {"drive", kA},        {"MOTOR.LIB", kB},     {"Motor", kB},
      {"Pump", kC},      {"gauge", kC},        {"Pump.abs", nullptr}, {"Drive.kbp", nullptr},
      {"", nullptr},     {"Motor.l", nullptr},
  };
  for (const auto& c : kCases) {
    const Project* found = workspace_->projects().Find(c.name);
    std::string file;
    const bool resolved = workspace_->projects().ResolveFile(c.name, &file);
    const std::string want = c.file ? c.file : "-";
    EXPECT_EQ(found ? found->paths().project_file : "-", want) << c.name;
    EXPECT_EQ(resolved ? file : "-", want) << c.name;
  }
}

TEST_F(WorkspaceTest, FailedProjectListAndLookUps) {
  env_.ide.fail_project_list = true;
  ExpectStatus(workspace_->document().Open(kWorkspace), kStatusNoWorkspace, kMsgNoWorkspace);
  EXPECT_FALSE(workspace_->document().IsOpen());
  ExpectStatus(workspace_->document().Open(std::nullopt), kStatusBadArgument, kMsgBadArgument);
  // Saving without a workspace has nothing to do (the component reports it done).
  ExpectStatus(workspace_->document().Save(false), kStatusNoWorkspace, kMsgNoWorkspace);
  EXPECT_TRUE(workspace_->document().Close());

  // By file: letter case ignored, and the working copy names its project too.
  env_.ide.fail_project_list = false;
  Open();
  EXPECT_EQ(workspace_->projects().FindByFile("c:\\WS\\lib\\mathe.kbp")->paths().output_name,
            "Mathe.lib");
  Project* app = workspace_->projects().Find("App.abs");
  EXPECT_EQ(workspace_->projects().FindByFile(app->paths().working_copy), app);
}

TEST_F(WorkspaceTest, CloseWithoutSaveDiscardsEveryChange) {
  Open();
  Project* app = workspace_->projects().Find("App.abs");
  ASSERT_TRUE(app->targets().SetProjectOptions("Debug", TargetOptions::kCompile, "-O0"));
  ASSERT_TRUE(workspace_->AddLinkProject("App", "Mathe"));
  // Opening again keeps the open projects, changes and all.
  Open();
  EXPECT_EQ(env_.WorkingCopies().size(), 2u);
  EXPECT_EQ(workspace_->projects().Find("App"), app);
  EXPECT_TRUE(app->store().IsModified());
  EXPECT_TRUE(workspace_->document().Close());
  EXPECT_EQ(env_.Contents(kAppFile), kAppProject);
  EXPECT_EQ(env_.Contents(kLibFile), kLibProject);
  EXPECT_THAT(env_.WorkingCopies(), IsEmpty());
  EXPECT_FALSE(workspace_->document().IsOpen() || !workspace_->projects().All().empty() ||
               workspace_->document().IsModified());
  // Nothing shown, nothing written beside the workspace.
  EXPECT_FALSE(env_.memory.Contents("C:\\ws\\Demo.kop").has_value());
}

TEST_F(WorkspaceTest, SaveRewritesOnlyTheChangedKeys) {
  Open();
  Project* app = workspace_->projects().Find("App.abs");
  ASSERT_TRUE(app->targets().SetDir("Release", TargetDir::kTemp, ".\\R\\obj"));
  ASSERT_TRUE(
      app->targets().SetProjectOptions("debug", TargetOptions::kCompile, "-g -I..\\lib -DTRACE"));
  ASSERT_TRUE(workspace_->document().Save(false));
  EXPECT_EQ(workspace_->GetLastStatus(), kStatusOk);
  std::string expected = kAppProject;
  expected.replace(expected.find("ProjectCompile=-g -I..\\lib"), 26,
                   "ProjectCompile=-g -I..\\lib -DTRACE");
  expected.replace(expected.find("TEMP=.\\Debug\\obj\r\n"), 18,
                   "TEMP=.\\Debug\\obj\r\nUPDATE=1\r\n");
  expected.replace(expected.find("DefaultCompile=-O2\r\n"), 20,
                   "DefaultCompile=-O2\r\nTEMP=.\\R\\obj\r\n");
  // Files without options of their own follow the project's: marked for update.
  expected.replace(expected.find("[Debug!start.asm]\r\nNoBuild=1\r\n"), 30,
                   "[Debug!start.asm]\r\nNoBuild=1\r\nUPDATE=1\r\n");
  expected += "[Debug!io.c]\r\nUPDATE=1\r\n";
  EXPECT_EQ(env_.Contents(kAppFile), expected);
  EXPECT_EQ(env_.Contents(kLibFile), kLibProject);  // unchanged: not rewritten
  workspace_->document().Close();
  EXPECT_EQ(env_.Contents(kAppFile), expected);
  EXPECT_THAT(env_.WorkingCopies(), IsEmpty());
}

TEST_F(WorkspaceTest, SaveWritesLinkListsTargetViewStateAndMakefiles) {
  // Saving reads the switches again: makefiles are written on request.
  env_.AddFile("C:\\registry.ini", Crlf("[Software\\Zentrak\\Semiconductor\\KOVA\\Builder]\n"
                                        "BuildMake=dword:00000001\n"));
  // The view state is the workspace's own: a read-only file is replaced.
  env_.AddFile("C:\\ws\\Demo.kop", "");
  env_.memory.SetReadOnly("C:\\ws\\Demo.kop", true);
  Workspace& workspace = *workspace_;
  Open();
  ASSERT_TRUE(workspace.AddLinkProject("App.abs", "Mathe.lib"));
  EXPECT_TRUE(workspace.document().IsModified());
  ASSERT_TRUE(workspace.document().Save(false));
  EXPECT_FALSE(workspace.document().IsModified());
  EXPECT_EQ(env_.ide.Setting("Builder", "LinkProject") + " " +
                env_.ide.Setting("Builder", "LinkProject0") + " " +
                env_.ide.Setting("Builder", "LinkProject1"),
            "2 Mathe.lib; App.abs;Mathe.lib;");
  EXPECT_THAT(hooks_.makefiles, ElementsAre("Mathe.lib nodep", "App.abs nodep"));
  EXPECT_EQ(env_.Contents("C:\\ws\\Demo.kop"),
            Crlf("[OpenProjectFolder]\nlib\\Mathe.kbp=\napp\\App.kbp=\n"
                 "[OpenProjectExpand]\nlib\\Mathe.kbp=2\napp\\App.kbp=2\n"));

  // Unchanged lists are not written again.
  size_t writes = env_.ide.Calls("WriteWorkspaceSetting").size();
  ASSERT_TRUE(workspace.document().Save(false));
  EXPECT_EQ(env_.ide.Calls("WriteWorkspaceSetting").size(), writes);
  workspace.document().Close();

  // The lists come back on the next open.
  ASSERT_TRUE(workspace.document().Open(kWorkspace));
  EXPECT_THAT(workspace.projects().Find("App")->links().Names(), ElementsAre("Mathe.lib"));
  ASSERT_TRUE(workspace.document().Save(false));
  EXPECT_EQ(env_.ide.Calls("WriteWorkspaceSetting").size(), writes);
}

TEST_F(WorkspaceTest, TheEarlierLayoutsLinkKeyMovesToTheWorkspace) {
  std::string app = kAppProject;
  app.replace(app.find("Folder=Sources;"), 15, "Folder=Sources;\r\nLinkProject=Mathe.lib;");
  env_.AddFile(kAppFile, app);
  Open();
  EXPECT_THAT(workspace_->projects().Find("App")->links().Names(), ElementsAre("Mathe.lib"));
  ASSERT_TRUE(workspace_->document().Save(false));
  EXPECT_EQ(env_.ide.Setting("Builder", "LinkProject1"), "App.abs;Mathe.lib;");
  EXPECT_EQ(env_.Contents(kAppFile), kAppProject);  // the key is gone from the project file
}

TEST_F(WorkspaceTest, ReadOnlyProjectFilesAreToldOrAsked) {
  Open();
  env_.memory.SetReadOnly(kAppFile, true);
  Project* app = workspace_->projects().Find("App");
  Project* lib = workspace_->projects().Find("Mathe");
  ASSERT_TRUE(app->targets().SetProjectOptions("Debug", TargetOptions::kCompile, "-O1"));
  ASSERT_TRUE(lib->targets().SetProjectOptions("Debug", TargetOptions::kCompile, "-O1"));

  // Asked, and the answer is Yes: nothing is saved.
  env_.ide.answer = kIdYes;
  EXPECT_FALSE(workspace_->document().Save(true));
  ASSERT_EQ(env_.ide.Calls("ShowMessage").size(), 1u);
  EXPECT_EQ(env_.ide.Calls("ShowMessage")[0],
            "KOVA|These project files are read-only and cannot be saved:\nC:\\ws\\app\\App.kbp\n"
            "Cancel saving? (No saves the other projects.)|308|5088");
  EXPECT_EQ(env_.Contents(kLibFile), kLibProject);

  // Asked, and the answer is No: the others are saved.
  env_.ide.answer = kIdNo;
  EXPECT_EQ(workspace_->document().Save(true).code(), kStatusProjectsNotSaved);
  EXPECT_NE(env_.Contents(kLibFile), kLibProject);
  EXPECT_EQ(env_.Contents(kAppFile), kAppProject);

  // Not asked: told.
  EXPECT_FALSE(workspace_->document().Save(false));
  EXPECT_EQ(env_.ide.Calls("ShowMessage")[2],
            "KOVA|These project files are read-only; their changes were not saved:\n"
            "C:\\ws\\app\\App.kbp|48|5064");
  EXPECT_EQ(env_.Contents(kAppFile), kAppProject);

  // A read-only project without changes is no reason to complain.
  env_.memory.SetReadOnly(kAppFile, false);
  ASSERT_TRUE(workspace_->document().Save(false));
  env_.memory.SetReadOnly(kAppFile, true);
  EXPECT_TRUE(workspace_->document().Save(false));
  EXPECT_EQ(env_.ide.Calls("ShowMessage").size(), 3u);
}

TEST_F(WorkspaceTest, WhatASaveCouldNotWriteIsListedAndNothingIsLost) {
  struct Case {
    const char* what;
    std::function<void()> fault;
    std::string message;  // after "These projects could not be saved:\n"
    std::string on_disk;  // the project file afterwards
  };
  const std::string theirs = kAppProject + "; another writer\r\n";
  const Case cases[] = {
      {"copy fails", [&] { env_.fs.FailAlways(FsOp::kCopyFile); }, kAppFile, kAppProject},
      {"dependency data fails", [&] { hooks_.source_data_saves = false; },
       "C:\\ws\\lib\\Mathe.kde\nC:\\ws\\app\\App.kde", ""},
      {"changed behind our back", [&] { env_.AddFile(kAppFile, theirs); },
       std::string(kAppFile) + ": changed by another program since it was read; the changes " +
           "not saved are in " + kAppFile + ".unsaved-",
       theirs},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    env_.AddFile(kAppFile, kAppProject);
    Open();
    ASSERT_TRUE(workspace_->projects().Find("App")->targets().SetProjectOptions(
        "Debug", TargetOptions::kCompile, "-O1"));
    c.fault();
    Status saved = workspace_->document().Save(false);
    env_.fs.ClearFaults();
    hooks_.source_data_saves = true;
    ExpectStatus(saved, kStatusProjectsNotSaved, kMsgSaveFailed);
    std::string message = saved.arguments().at(0);
    EXPECT_EQ(message.substr(0, message.find(".unsaved-") == std::string::npos
                                    ? std::string::npos
                                    : message.find(".unsaved-") + 9),
              c.message);
    if (!c.on_disk.empty()) {
      EXPECT_EQ(env_.Contents(kAppFile), c.on_disk);
    }
    workspace_->document().Close();
  }
  // The changes the third save could not make are beside the project file.
  std::vector<DirectoryEntry> kept;
  ASSERT_TRUE(env_.memory.ListDirectory("C:\\ws\\app", "App.kbp.unsaved-*", &kept));
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_NE(env_.Contents("C:\\ws\\app\\" + kept[0].name).find("ProjectCompile=-O1"),
            std::string::npos);
}

TEST_F(WorkspaceTest, AddProjectChecksInOrderAndLeavesNoWorkingCopy) {
  ExpectStatus(workspace_->AddProject(kToolFile), kStatusNoWorkspace, kMsgNoWorkspace);
  Open();
  const size_t open_copies = env_.WorkingCopies().size();

  struct Case {
    const char* name;
    ArgText path;
    uint32_t status;
    unsigned message;
  };
  env_.AddFile("C:\\ws\\x\\NoOut.kbp", Crlf("[PROJECT]\nTARGET=Debug\n"));
  env_.AddFile("C:\\ws\\x\\Twin.kbp", Crlf("[PROJECT]\nOUTPUT=app.ABS\nTARGET=Debug\n"));
  env_.AddFile("rel.kbp", Crlf("[PROJECT]\nOUTPUT=Rel.abs\n"));
  const Case cases[] = {
      {"no string", std::nullopt, kStatusBadArgument, kMsgBadArgument},
      {"missing", "C:\\ws\\x\\None.kbp", kStatusProjectFileMissing, kMsgProjectNotFound},
      {"not full", "rel.kbp", kStatusInvalidPath, kMsgInvalidPath},
      {"no output", "C:\\ws\\x\\NoOut.kbp", kStatusNoOutputOrTargets, kMsgNoOutputOrTargets},
      {"same file", "C:\\WS\\APP\\app.kpr", kStatusProjectExists, kMsgProjectExists},
      {"same output", "C:\\ws\\x\\Twin.kbp", kStatusProjectExists, kMsgProjectExists},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectStatus(workspace_->AddProject(c.path), c.status, c.message);
    EXPECT_EQ(workspace_->projects().All().size(), 2u);
    EXPECT_EQ(env_.WorkingCopies().size(), open_copies);
  }

  // The working copy cannot be made.
  env_.fs.FailNth(FsOp::kCopyFile, 1);
  EXPECT_EQ(workspace_->AddProject(kToolFile).code(), kStatusWorkingCopyFailed);
  EXPECT_EQ(env_.WorkingCopies().size(), open_copies);

  // The IDE refuses: no status, nothing kept.
  env_.ide.refuse_add = true;
  Status refused = workspace_->AddProject(kToolFile);
  EXPECT_FALSE(refused);
  EXPECT_EQ(refused.code(), kStatusOk);
  EXPECT_EQ(workspace_->projects().All().size(), 2u);
  EXPECT_EQ(env_.WorkingCopies().size(), open_copies);
}

TEST_F(WorkspaceTest, LinkProjectsAreCheckedAndCounted) {
  Open();
  const struct {
    const char* name;
    bool add;
    ArgText project, linked;
    bool ok;
    uint32_t status;
  } cases[] = {
      {"add", true, "App.abs", "mathe", true, kStatusOk},
      {"add again", true, "app", "MATHE.LIB", false, kStatusLinkExists},
      {"unknown project", true, "Nope", "Mathe", false, kStatusProjectNotFound},
      {"unknown link", true, "App", "Nope", false, kStatusProjectNotFound},
      {"itself", true, "App", "App", false, kStatusBadArgument},
      {"no string", true, std::nullopt, "App", false, kStatusBadArgument},
      {"remove", false, "App", "Mathe", true, kStatusOk},
      {"remove again", false, "App", "Mathe", false, kStatusLinkMissing},
      {"remove unknown", false, "App", "Nope", false, kStatusProjectNotFound},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Status done = c.add ? workspace_->AddLinkProject(c.project, c.linked)
                        : workspace_->RemoveLinkProject(c.project, c.linked);
    EXPECT_EQ(done.ok(), c.ok);
    EXPECT_EQ(done.code(), c.status);
  }
  // An entry of a project that left the workspace is removed by its name.
  workspace_->projects().Find("App")->links().Add("Old.lib");
  EXPECT_TRUE(workspace_->RemoveLinkProject("App", "old.lib"));
  EXPECT_THAT(workspace_->projects().Find("App")->links().Names(), IsEmpty());

  workspace_->document().Close();
  EXPECT_EQ(workspace_->AddLinkProject("App", "Mathe").code(), kStatusNoWorkspace);
}

TEST_F(WorkspaceTest, AddTargetRefusalsThenCopiesSettingsFilesAndFolders) {
  Open();
  const struct {
    const char* name;
    ArgText project, existing, added;
    uint32_t status;
  } cases[] = {
      {"no string", "App", std::nullopt, "X", kStatusBadArgument},
      {"unknown project", "Nope", "Debug", "X", kStatusProjectNotFound},
      {"exists", "App", "Debug", "RELEASE", kStatusTargetExists},
      {"unknown existing", "App", "Nightly", "X", kStatusTargetNotFound},
      {"semicolon", "App", "Debug", "A;B", kStatusBadArgument},
      {"bracket", "App", "Debug", "A]", kStatusBadArgument},
      {"empty", "App", "Debug", " ", kStatusBadArgument},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(workspace_->AddTarget(c.project, c.existing, c.added).code(), c.status);
  }
  EXPECT_FALSE(workspace_->projects().Find("App")->store().IsModified());
  ASSERT_TRUE(workspace_->AddTarget("App", "debug", "Trace"));
  Project* app = workspace_->projects().Find("App");
  EXPECT_THAT(app->targets().List(), ElementsAre("Debug", "Release", "Final", "Trace"));
  EXPECT_EQ(app->targets().CurrentOrFirst(), "Trace");
  // A current target the project no longer has gives way to its first.
  app->targets().SetCurrent("");
  EXPECT_EQ(app->targets().CurrentOrFirst(), "Debug");
  app->targets().SetCurrent("Trace");
  // The new target's section and file sections follow; nothing else changes.
  const std::string& copy = app->paths().working_copy;
  std::string expected = kAppProject;
  expected.replace(expected.find("TARGET=Debug;Release;Final;"), 27,
                   "TARGET=Debug;Release;Final;Trace;");
  expected += Crlf(R"([PROJECT!MACRO!Trace]
DefaultCompile=-g
ProjectCompile=-g -I..\lib
DefaultLink=-o .\Trace\App.abs
ProjectLink=-g -o .\Trace\App.abs
DefaultOUTPUT=.\Trace
OUTPUT=.\Trace
TEMP=.\Trace
UPDATE=1
DefaultTEMP=.\Trace
DEBUG=.\Trace\App.abs
DefaultDEBUG=.\Trace\App.abs
[Trace!main.c]
COMPILE=-g -O0
[Trace!start.asm]
NoBuild=1
[Trace!Sources]
NoBuild=0
)");
  env_.profile.Flush(copy);
  EXPECT_EQ(Visible(env_.Contents(copy)), Visible(expected));
  // A name beginning with a dot is a directory as it stands.
  ASSERT_TRUE(workspace_->AddTarget("App", "Release", ".rel"));
  EXPECT_EQ(Value(copy, "PROJECT!MACRO!.rel", "OUTPUT"), ".rel");
}

// The target add and remove commands cover the plain cases.
TEST_F(WorkspaceTest, RemovingTheCurrentTargetAndTheLastOne) {
  Open();
  Project* app = workspace_->projects().Find("App");
  ASSERT_TRUE(workspace_->RemoveTarget("App", "release"));
  const std::string& copy = app->paths().working_copy;
  for (const std::string& section : env_.profile.GetSectionNames(copy))
    EXPECT_FALSE(EndsWithNoCase(section, "Release") || StartsWithNoCase(section, "Release!"))
        << section;
  // The current target was removed: the first remaining one takes its place.
  EXPECT_EQ(workspace_->selection().CurrentTarget(), "Debug");
  EXPECT_THAT(env_.ide.Calls("CurrentTargetChanged"), ElementsAre("Debug"));
  ASSERT_TRUE(workspace_->RemoveTarget("App", "Final"));
  // The last target stays, and nothing is written.
  std::string before = env_.Contents(copy);
  EXPECT_EQ(workspace_->RemoveTarget("App", "Debug").code(), kStatusNoOutputOrTargets);
  EXPECT_EQ(env_.Contents(copy), before);
  EXPECT_THAT(app->targets().List(), ElementsAre("Debug"));
}

TEST_F(WorkspaceTest, TreeNodeTexts) {
  workspace_->view_trees().Table(1).SetNodeText(10, "main.c");
  workspace_->view_trees().Table(2).SetNodeText(20, "Sources");
  workspace_->view_trees().Table(1).SetNodeText(11, "io.c");
  std::string one, text, other;
  ASSERT_TRUE(workspace_->view_trees().GetNodeText(20, &one));  // either tree
  EXPECT_FALSE(workspace_->view_trees().GetNodeText(99, &one));
  workspace_->view_trees().GetNodeTexts({10, 99, 11}, &text);
  workspace_->view_trees().SetCurrentIndex(2);
  workspace_->view_trees().GetNodeTexts({10, 20}, &other);
  EXPECT_EQ(one + " " + text + " " + other, "Sources main.c;io.c; Sources;");
}

}  // namespace
}  // namespace zelvan

// The dependency refresh of a workspace: what it records for each source and
// target, what it writes and says, when it scans, and how it stops.
#include "dependencies/dependency_updater.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "bench/kernel_tree_generator.h"
#include "dependencies/dependency_file.h"
#include "dependencies/dependency_progress.h"
#include "model/message_texts.h"
#include "model/project.h"
#include "model/source_file.h"
#include "model/status_codes.h"
#include "model/workspace.h"
#include "model/workspace_hooks.h"
#include "platform/local_time.h"
#include "tests/support/model_test_platform.h"
#include "toolchain/cpu_table.h"
#include "toolchain/installation.h"

namespace zelvan {
namespace {

using testing::Crlf;
using ::testing::ElementsAre;
using testing::ModelTestPlatform;

constexpr const char* kWorkspace = "C:\\ws\\Demo.kws";
constexpr const char* kAppFile = "C:\\ws\\app\\App.kbp";
constexpr const char* kAppDeps = "C:\\ws\\app\\App.kde";
constexpr const char* kAppIndex = "C:\\ws\\app\\App.kdx";
constexpr int64_t kSecond = 1000000000;

// What opening, adding to and saving the workspace hand to the updater, as
// the service's hooks do (which write makefiles besides).
class RefreshHooks final : public WorkspaceHooks {
 public:
  explicit RefreshHooks(DependencyUpdater& updater) : updater_(updater) {}
  void RefreshDependencies(Workspace& workspace) override {
    workspace_ = &workspace;
    updater_.WorkspaceOpened(workspace);
  }
  bool WriteMakefile(Workspace&, Project&, bool) override { return true; }
  void SourceFileAdded(Workspace& workspace, Project& project, SourceFile& file) override {
    updater_.ComputeAddedFile(workspace, project, file);
  }
  bool SaveSourceFileData(Project& project) override {
    return workspace_ == nullptr || updater_.ProjectSaving(*workspace_, project);
  }
  void SetWorkspace(Workspace* workspace) { workspace_ = workspace; }

 private:
  DependencyUpdater& updater_;
  Workspace* workspace_ = nullptr;
};

// Two targets; main.c has options of its own for Debug.
const std::string kAppProject = Crlf(
    "[PROJECT]\n"
    "OUTPUT=App.abs\n"
    "CPU=MX-520\n"
    "CPUFAMILY=MX-520\n"
    "TARGET=Debug;Release;\n"
    "Folder=Code;\n" +
    testing::SourceFolder("Code", {"main.c", "util.c", "start.asm"}) +
    "[PROJECT!MACRO!Debug]\n"
    "ProjectCompile=-g -I..\\inc -I$(OUTPUT)\\gen\n"
    "OUTPUT=out\\\n"
    "[PROJECT!MACRO!Release]\n"
    "ProjectCompile=-O2 -I..\\inc\n"
    "[Debug!main.c]\n"
    "COMPILE=-O0 -I..\\own\n");

class DependencyUpdaterTest : public ::testing::Test {
 protected:
  DependencyUpdaterTest() : util_(env_.platform, "C:\\kova"), cpus_(env_.platform, util_) {
    // The CPU's include directory; its home has the compiler, so its
    // include directory is searched too.
    env_.AddFile("C:\\kova\\Config\\Builder\\Template\\MX-520.ini",
                 Crlf("[TOOLS]\nCC=cc520\nAS=as520\n[INC]\nFILE=1\nFILE0=C:\\kova\\sys\n"
                      "[KHOME]\nFILE=1\nFILE0=C:\\kova\n"));
    env_.AddFile("C:\\kova\\bin\\cc520.exe", "");
    cpus_.LoadCpuTools();
    updater_ = std::make_unique<DependencyUpdater>(cpus_);
    updater_->SetStopCheckInterval(std::chrono::milliseconds(0));
    updater_->SetFailureReport([this](Workspace&, const Status& failure) { reported_ = failure; });
    hooks_ = std::make_unique<RefreshHooks>(*updater_);
    env_.ide.project_files = {kAppFile};
    env_.AddFile(kAppFile, kAppProject);
  }

  // Writes files of the App project's directory (name, text).
  void AppFiles(std::initializer_list<std::pair<const char*, const char*>> files) {
    for (const auto& [name, text] : files)
      env_.AddFile(std::string("C:\\ws\\app\\") + name, text);
  }
  // Opens the workspace (which reads the dependency files and refreshes
  // what is stale), with the clock just after every file written so far.
  void Open() {
    SyncClock();
    workspace_ = env_.NewWorkspace(hooks_.get());
    hooks_->SetWorkspace(workspace_.get());
    ASSERT_TRUE(workspace_->document().Open(kWorkspace));
  }
  // The workspace's clock a second after the last change of a file: a
  // refresh in the second of a change counts that file stale again.
  void SyncClock() { env_.system.now = ToLocalTime(env_.memory.Now() / kSecond + 1); }
  Project& App() { return *workspace_->projects().Find("App.abs"); }
  SourceFile& File(const char* relative) { return *App().sources().FindByRelativePath(relative); }
  // "<form>|<path>" of a file's record for a target.
  std::vector<std::string> List(const char* relative, const char* target) {
    std::vector<std::string> out;
    const DependencyRecord* record =
        FindDependencyRecord(File(relative).dependencies().records, target);
    if (record == nullptr) return {"(none)"};
    for (size_t i = 0; i < record->size(); ++i)
      out.push_back(record->form(i) + ("|" + std::string(record->path(i))));
    return out;
  }
  std::vector<std::string> OutputLines() { return env_.ide.Calls("WriteOutputLine"); }
  bool Refresh(DependencyMode mode, bool* cancelled = nullptr,
               DependencyProgress* progress = nullptr) {
    env_.ide.calls.clear();
    return updater_->UpdateDependencies(*workspace_, mode, progress, cancelled).ok();
  }

  ModelTestPlatform env_;
  Status reported_;  // the last failure the updater reported
  Installation util_;
  CpuTable cpus_;
  std::unique_ptr<DependencyUpdater> updater_;
  std::unique_ptr<RefreshHooks> hooks_;
  std::unique_ptr<Workspace> workspace_;
};

TEST_F(DependencyUpdaterTest, RecordsFollowTheSearchListOfEachFileAndTarget) {
  env_.AddFile("C:\\ws\\app\\main.c",
               "#include \"app.h\"\n"
               "#include \"sys.h\"\n"
               "#include <sys.h>\n"  // listed once, with the form of its first inclusion
               "#include \"own.h\"\n");
  env_.AddFile("C:\\ws\\app\\util.c",
               "#include <local.h>\n"  // never looked up in the source's own directory
               "#include \"gen.h\"\n"
               "#include \"app.h\"\n");
  AppFiles({{"local.h", ""},
            {"start.asm", "  .include \"app.h\" ; .include \"no.inc\"\n"},
            {"app.h", "#include \"types.h\"\n"}});
  env_.AddFile("C:\\ws\\inc\\types.h", "");
  env_.AddFile("C:\\ws\\own\\own.h", "");
  env_.AddFile("C:\\ws\\app\\out\\gen\\gen.h", "");
  env_.AddFile("C:\\kova\\sys\\sys.h", "");
  env_.AddFile("C:\\kova\\include\\local.h", "");
  Open();

  const struct {
    const char* file;
    const char* target;
    std::vector<std::string> list;
  } cases[] = {
      // Own options (Debug): its -I, then the CPU's directories; types.h is
      // not among them, so it is guessed beside the source.
      {"main.c",
       "Debug",
       {"1|app.h", "1|C:\\ws\\app\\types.h", "1|C:\\kova\\sys\\sys.h", "1|..\\own\\own.h"}},
      // The project's options: ..\inc, not ..\own.
      {"main.c",
       "Release",
       {"1|app.h", "1|..\\inc\\types.h", "1|C:\\kova\\sys\\sys.h", "1|C:\\ws\\app\\own.h"}},
      // $(OUTPUT) is the target's OUTPUT without its trailing backslash.
      {"util.c",
       "Debug",
       {"0|C:\\kova\\include\\local.h", "1|out\\gen\\gen.h", "1|app.h", "1|..\\inc\\types.h"}},
      // Assembler lines: lower case, cut at ";"; headers read the same way.
      {"start.asm", "Debug", {"1|app.h", "1|..\\inc\\types.h"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + c.target);
    EXPECT_EQ(List(c.file, c.target), c.list);
  }

  // The dependency file holds every source in project order, every target.
  std::string file = env_.Contents(kAppDeps);
  EXPECT_EQ(file.substr(0, file.find("Debugstamp")), Crlf("[main.c]\n"
                                                          "Debug=4\n"
                                                          "Debug0=1|app.h\n"
                                                          "Debug1=1|C:\\ws\\app\\types.h\n"
                                                          "Debug2=1|C:\\kova\\sys\\sys.h\n"
                                                          "Debug3=1|..\\own\\own.h\n"));
  EXPECT_NE(file.find("[util.c]"), std::string::npos);
  EXPECT_NE(file.find("[start.asm]"), std::string::npos);

  // The tree: every dependency once; angle includes only when asked for.
  std::map<std::string, std::string> tree =
      DependencyUpdater::CollectProjectDependencies(App(), "Debug", false);
  std::vector<std::string> keys;
  for (const auto& [key, path] : tree)
    keys.push_back(key + "=" + path);
  EXPECT_THAT(
      keys,
      ElementsAre("..\\inc\\types.h=..\\inc\\types.h", "..\\own\\own.h=..\\own\\own.h",
                  "app.h=app.h", "c:\\kova\\sys\\sys.h=C:\\kova\\sys\\sys.h",
                  "c:\\ws\\app\\types.h=C:\\ws\\app\\types.h", "out\\gen\\gen.h=out\\gen\\gen.h"));
  EXPECT_EQ(DependencyUpdater::CollectProjectDependencies(App(), "Debug", true).size(), 7u);
  EXPECT_FALSE(DependencyUpdater::TreeViewSystemInclude(env_.platform));
  env_.AddFile("C:\\registry.ini", Crlf("[Software\\Zentrak\\Semiconductor\\KOVA\\Builder]\n"
                                        "TreeViewSystemInclude=dword:00000001\n"));
  EXPECT_TRUE(DependencyUpdater::TreeViewSystemInclude(env_.platform));
}

TEST_F(DependencyUpdaterTest, StatusLinesOfARefreshWithUnresolvedIncludesAndACycle) {
  AppFiles({{"main.c", "#include \"a.h\"\n#include \"gone.h\"\n"},
            {"util.c", "#include \"b.h\"\n"},
            {"start.asm", ""},
            {"a.h", "#include \"b.h\"\n"},
            {"b.h", "#include \"a.h\"\n"}});
  Open();
  EXPECT_EQ(List("main.c", "Debug"),
            (std::vector<std::string>{"1|a.h", "1|b.h", "1|C:\\ws\\app\\gone.h"}));
  EXPECT_EQ(List("util.c", "Release"), (std::vector<std::string>{"1|b.h", "1|a.h"}));

  bool cancelled = true;
  ASSERT_TRUE(Refresh(DependencyMode::kAllFiles, &cancelled));
  EXPECT_FALSE(cancelled);
  EXPECT_THAT(env_.ide.calls, ::testing::IsSupersetOf({"ClearOutputPane ", "ShowOutputPane "}));
  // The cycle stops at the nesting limit, which is said once; the missing
  // header is reported for each target's scan, and counted.
  EXPECT_THAT(OutputLines(),
              ElementsAre("18|I-007-1000:" + std::string(DefaultMessageText(5070)),
                          "17|W-007-D003:" + std::string(DefaultMessageText(5093)),
                          "17|W-007-D000:" + std::string(DefaultMessageText(5073)),
                          "18|I-007-1300:App.abs - (C:\\ws\\app\\main.c)",
                          "18|I-007-1300:App.abs - (C:\\ws\\app\\main.c)",
                          "17|W-007-D002:" + FormatMessageText(DefaultMessageText(5074), {"2"}),
                          "18|I-007-1100:" + std::string(DefaultMessageText(5071))));
  EXPECT_EQ(env_.ide.Calls("WriteOutputLineAt"),
            (std::vector<std::string>{
                "C:\\ws\\app\\main.c|2|17|W-007-D001:C:\\ws\\app\\main.c(2):#include \"gone.h\"",
                "C:\\ws\\app\\main.c|2|17|W-007-D001:C:\\ws\\app\\main.c(2):#include \"gone.h\""}));
  EXPECT_EQ(env_.ide.Calls("RefreshProjectView"), (std::vector<std::string>{kAppFile}));
}

// A command line has the depth warning followed by the chain that went too
// deep, cut after the first file met again (the IDE's lines, without it,
// are above).
TEST_F(DependencyUpdaterTest, DepthWarningIsFollowedByTheIncludeChainWhenAsked) {
  std::vector<std::pair<std::string, std::string>> deep = {
      {"main.c", "#include \"h0.h\"\n"}, {"util.c", ""}, {"start.asm", ""}};
  std::string deep_chain = "C:/ws/app/main.c";
  for (int i = 0; i < 256; ++i) {
    std::string name = "h" + std::to_string(i) + ".h";
    deep.push_back({name, "#include \"h" + std::to_string(i + 1) + ".h\"\n"});
    deep_chain += " > C:/ws/app/" + name;
  }
  deep.push_back({"h256.h", ""});
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;
    std::string chain;  // the line after the warning
  };
  const std::vector<Case> cases = {
      {"a cycle of two headers",
       {{"main.c", "#include \"types.h\"\n#include \"a.h\"\n"},
        {"util.c", ""},
        {"start.asm", ""},
        {"types.h", ""},
        {"a.h", "#include \"types.h\"\n#include \"b.h\"\n"},
        {"b.h", "#include \"a.h\"\n"}},
       "  C:/ws/app/main.c > C:/ws/app/a.h > C:/ws/app/b.h > C:/ws/app/a.h > ... (256 includes "
       "deep)"},
      {"a header that includes itself, below a source",
       {{"main.c", ""},
        {"util.c", "#include \"self.h\"\n"},
        {"start.asm", ""},
        {"self.h", "#include \"self.h\"\n"}},
       "  C:/ws/app/util.c > C:/ws/app/self.h > C:/ws/app/self.h > ... (256 includes deep)"},
      {"a chain without a cycle, every file named", deep,
       "  " + deep_chain + " (256 includes deep)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [name, text] : c.files)
      env_.AddFile("C:\\ws\\app\\" + name, text);
    Open();
    updater_->SetIncludeChains(true);
    ASSERT_TRUE(Refresh(DependencyMode::kAllFiles));
    std::vector<std::string> lines = OutputLines();
    auto warning = std::find(lines.begin(), lines.end(),
                             "17|W-007-D003:" + std::string(DefaultMessageText(5093)));
    ASSERT_NE(warning, lines.end());
    ASSERT_NE(warning + 1, lines.end());
    EXPECT_EQ(warning[1], "17|" + c.chain);
  }
}

TEST_F(DependencyUpdaterTest, UnresolvedIncludesAreLeftOutUnderUpdateDependencyFile) {
  env_.AddFile("C:\\registry.ini", Crlf("[Software\\Zentrak\\Semiconductor\\KOVA\\Builder]\n"
                                        "UpdateDependencyFile=dword:00000001\n"));
  AppFiles({{"main.c", "#include \"gone.h\"\n#include <none.h>\n#include \"a.h\"\n"}, {"a.h", ""}});
  Open();
  EXPECT_EQ(List("main.c", "Debug"), (std::vector<std::string>{"1|a.h"}));
  // A file that cannot be read has an empty list.
  EXPECT_EQ(List("util.c", "Debug"), (std::vector<std::string>{}));
}

// Progress, and what a refresh with nothing changed does: it asks about
// files, scans nothing, writes nothing.
class RecordingProgress final : public DependencyProgress {
 public:
  void SetTotal(uint64_t total) override { events.push_back("total " + std::to_string(total)); }
  void SetProject(std::string_view name) override {
    events.push_back("project " + std::string(name));
  }
  void Step() override {
    ++steps;
    if (on_step) on_step(steps);
  }
  void Finish() override { events.push_back("finish"); }
  std::vector<std::string> events;
  int steps = 0;
  std::function<void(int)> on_step;
};

TEST_F(DependencyUpdaterTest, ModifiedModeScansStaleFilesOnlyAndWritesOnlyWhenItDid) {
  AppFiles({{"main.c", "#include \"a.h\"\n#include \"b.h\"\n"},
            {"util.c", "#include \"b.h\"\n"},
            {"start.asm", ""},
            {"a.h", ""},
            {"b.h", ""}});
  Open();
  std::string written = env_.Contents(kAppDeps);
  const std::string index = env_.Contents(kAppIndex);
  ASSERT_FALSE(written.empty());

  RecordingProgress progress;
  ASSERT_TRUE(Refresh(DependencyMode::kModifiedFiles, nullptr, &progress));
  EXPECT_THAT(progress.events, ElementsAre("total 6", "project App.abs", "finish"));
  EXPECT_EQ(progress.steps, 6);
  EXPECT_EQ(env_.Contents(kAppDeps), written);
  EXPECT_TRUE(env_.ide.Calls("RefreshProjectView").empty());

  // b.h changed: the two sources that include it are scanned again, for
  // both targets. In the second it changed in they stay stale whatever
  // their stamp: finding the lists as stored, the scan writes nothing (so
  // a command that fails after it changes no file).
  env_.AddFile("C:\\ws\\app\\b.h", "// changed\n");
  env_.system.now = ToLocalTime(env_.memory.Now() / kSecond);
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(Refresh(DependencyMode::kModifiedFiles));
    EXPECT_EQ(env_.Contents(kAppDeps), written);
    EXPECT_EQ(env_.Contents(kAppIndex), index);
  }
  SyncClock();
  ASSERT_TRUE(Refresh(DependencyMode::kModifiedFiles));
  EXPECT_EQ(List("main.c", "Release"), (std::vector<std::string>{"1|a.h", "1|b.h"}));
  EXPECT_NE(env_.Contents(kAppDeps), written);
  EXPECT_EQ(env_.ide.Calls("RefreshProjectView"), (std::vector<std::string>{kAppFile}));
}

// The same refresh with one thread and with two (the second scanning the
// files ahead): a stop or a failed write ends it alike.
class DependencyUpdaterThreadsTest : public DependencyUpdaterTest,
                                     public ::testing::WithParamInterface<int> {
 protected:
  DependencyUpdaterThreadsTest() { updater_->SetThreads(GetParam()); }
};
INSTANTIATE_TEST_SUITE_P(Threads, DependencyUpdaterThreadsTest, ::testing::Values(1, 2));

TEST_P(DependencyUpdaterThreadsTest, AStopEndsTheRefreshAfterTheCurrentFileAndKeepsFilesWhole) {
  AppFiles({{"main.c", "#include \"a.h\"\n"},
            {"util.c", "#include \"a.h\"\n"},
            {"start.asm", ""},
            {"a.h", ""}});
  Open();
  std::string before = env_.Contents(kAppDeps);

  // Stopped before the first file: nothing scanned, nothing written.
  ASSERT_TRUE(env_.system.CreateNamedObject(workspace_->StopObjectName()));
  bool cancelled = false;
  ASSERT_TRUE(Refresh(DependencyMode::kAllFiles, &cancelled));
  EXPECT_TRUE(cancelled);
  EXPECT_EQ(OutputLines().back(), "18|I-007-1200:" + std::string(DefaultMessageText(5079)));
  EXPECT_EQ(env_.Contents(kAppDeps), before);
  ASSERT_TRUE(env_.system.RemoveNamedObject(workspace_->StopObjectName()));

  // Stopped after the second file (the first target's half of the scans)
  // and after the fourth (the second target's half, scanned beside it):
  // the lists computed are written, the rest is as it was, and the file is
  // whole.
  const std::vector<std::string> old_list = {"1|a.h"};
  const std::vector<std::string> new_list = {"1|a.h", "1|b.h"};
  AppFiles({{"a.h", "#include \"b.h\"\n"}, {"b.h", ""}});
  for (int stop_at : {2, 4}) {
    SCOPED_TRACE(stop_at);
    SyncClock();
    RecordingProgress progress;
    progress.on_step = [&](int step) {
      if (step == stop_at) env_.system.CreateNamedObject(workspace_->StopObjectName());
    };
    ASSERT_TRUE(Refresh(DependencyMode::kAllFiles, &cancelled, &progress));
    ASSERT_TRUE(env_.system.RemoveNamedObject(workspace_->StopObjectName()));
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(progress.steps, stop_at);
    EXPECT_EQ(List("main.c", "Debug"), new_list);
    EXPECT_EQ(List("util.c", "Debug"), new_list);
    EXPECT_EQ(List("main.c", "Release"), stop_at == 4 ? new_list : old_list);
    EXPECT_EQ(List("util.c", "Release"), old_list);
    std::string after = env_.Contents(kAppDeps);
    EXPECT_NE(after.find("Debug1=1|b.h"), std::string::npos);
    EXPECT_EQ(after.find("Release1=") != std::string::npos, stop_at == 4);
    EXPECT_EQ(after.substr(after.size() - 2), "\r\n");
  }
  EXPECT_THAT(env_.memory.AllFiles(),
              ::testing::Not(::testing::Contains(::testing::HasSubstr(".tmp"))));
}

TEST_F(DependencyUpdaterTest, TheDependencyFileIsReadOnOpenAndStrangersAreNamed) {
  AppFiles({{"main.c", "#include \"a.h\"\n"}, {"a.h", ""}});
  env_.AddFile(kAppDeps, Crlf("[main.c]\n"
                              "Debug=1\n"
                              "Debug0=1|kept.h\n"
                              "Debugstamp=2099-01-01 00:00:00\n"
                              "[gone.c]\n"
                              "Debug=0\n"
                              "Debugstamp=2099-01-01 00:00:00\n"
                              "[SYSTEM]\n"));
  Open();
  // main.c for Debug is fresh: its stored list stays; the others were scanned.
  EXPECT_EQ(List("main.c", "Debug"), (std::vector<std::string>{"1|kept.h"}));
  EXPECT_EQ(List("main.c", "Release"), (std::vector<std::string>{"1|a.h"}));
  std::vector<std::string> boxes = env_.ide.Calls("ShowMessage");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("C:\\ws\\app\\gone.c"), std::string::npos);
  EXPECT_NE(boxes[0].find("|5069"), std::string::npos);
  EXPECT_EQ(env_.Contents(kAppDeps).find("gone.c"), std::string::npos);
}

TEST_P(DependencyUpdaterThreadsTest, AnUnwritableDependencyFileIsReportedAndLeftAsItWas) {
  AppFiles({{"main.c", "#include \"a.h\"\n"}, {"a.h", ""}});
  env_.AddFile(kAppDeps, "old");
  env_.fs.FailAlways(testing::FsOp::kRename);
  Open();
  env_.fs.ClearFaults();
  EXPECT_EQ(env_.Contents(kAppDeps), "old");
  EXPECT_EQ(reported_.code(), kStatusDependencyFileFailed);
  EXPECT_EQ(reported_.ToString(), "replacing the file: injected fault");
  EXPECT_THAT(OutputLines(), ::testing::Contains(::testing::HasSubstr(kAppDeps)));
  // The records are there all the same.
  EXPECT_EQ(List("main.c", "Debug"), (std::vector<std::string>{"1|a.h"}));
}

TEST_F(DependencyUpdaterTest, ListedRefreshChecksEveryNameFirst) {
  AppFiles({{"main.c", "#include \"a.h\"\n"}, {"a.h", ""}});
  updater_->SetRefreshOnOpen(false);
  Open();
  EXPECT_EQ(List("main.c", "Debug"), (std::vector<std::string>{"(none)"}));
  env_.ide.calls.clear();
  EXPECT_EQ(updater_
                ->UpdateDependencies(*workspace_, {"App", "Nope"}, DependencyMode::kAllFiles,
                                     nullptr, nullptr)
                .code(),
            kStatusProjectNotFound);
  EXPECT_TRUE(env_.ide.calls.empty());
  EXPECT_EQ(env_.Contents(kAppDeps), "");

  ASSERT_TRUE(updater_->UpdateDependencies(*workspace_, {"App", "app.abs"},
                                           DependencyMode::kModifiedFiles, nullptr, nullptr));
  EXPECT_EQ(List("main.c", "Debug"), (std::vector<std::string>{"1|a.h"}));
}

TEST_F(DependencyUpdaterTest, AnAddedFileGetsItsListAtOnceAndTheSaveWritesIt) {
  AppFiles({{"main.c", ""}, {"new.c", "#include \"a.h\"\n"}, {"a.h", ""}});
  Open();
  ASSERT_TRUE(workspace_->selection().ChangeCurrentTarget("Release"));
  ASSERT_TRUE(workspace_->AddFile("App", "C:\\ws\\app\\new.c"));
  EXPECT_EQ(List("new.c", "Release"), (std::vector<std::string>{"1|a.h"}));
  EXPECT_EQ(List("new.c", "Debug"), (std::vector<std::string>{"(none)"}));
  ASSERT_TRUE(workspace_->document().Save(false));
  EXPECT_NE(env_.Contents(kAppDeps).find("[new.c]\r\nRelease=1\r\nRelease0=1|a.h\r\n"),
            std::string::npos);
}

// The include style of a project comes from its own CPU family: a family
// without a style of its own scans in style 0, whatever came before.
TEST_F(DependencyUpdaterTest, EachProjectScansInTheStyleOfItsOwnFamily) {
  const char* kFirst = "C:\\ws\\first\\First.kbp";
  const char* kSecondFile = "C:\\ws\\second\\Second.kbp";
  auto project = [](const char* output, const char* family) {
    return Crlf(std::string("[PROJECT]\nOUTPUT=") + output + "\nCPU=" + family + "\nCPUFAMILY=" +
                family + "\nTARGET=Debug;\nFolder=Code;\n[Code]\nSOURCECOUNT=1\nSOURCE0=main.c\n");
  };
  // MR44A searches the directory of the including C file at position 1.
  for (const char* dir : {"C:\\ws\\first\\", "C:\\ws\\second\\"}) {
    env_.AddFile(std::string(dir) + "main.c", "#include \"sub\\h.h\"\n");
    env_.AddFile(std::string(dir) + "sub\\h.h", "#include \"x.h\"\n");
    env_.AddFile(std::string(dir) + "sub\\x.h", "");
  }
  env_.AddFile(kFirst, project("First.abs", "MR44A"));
  env_.AddFile(kSecondFile, project("Second.abs", "K310SA1"));
  env_.ide.project_files = {kFirst, kSecondFile};
  Open();
  auto list = [&](const char* name) {
    const DependencyRecord* record = FindDependencyRecord(
        workspace_->projects().Find(name)->sources().Files()[0]->dependencies().records, "Debug");
    std::vector<std::string> paths;
    for (size_t i = 0; i < record->size(); ++i)
      paths.emplace_back(record->path(i));
    return paths;
  };
  EXPECT_EQ(list("First.abs"), (std::vector<std::string>{"sub\\h.h", "sub\\x.h"}));
  EXPECT_EQ(list("Second.abs"), (std::vector<std::string>{"sub\\h.h", "C:\\ws\\second\\x.h"}));
}

// The index beside the dependency file is used only while it is whole and
// names the text as it is; otherwise the text is read and the index made
// again. Written again with nothing changed, the file is the same to the
// byte.
TEST_F(DependencyUpdaterTest, TheIndexIsTrustedOnlyForItsOwnText) {
  AppFiles({{"main.c", "#include \"a.h\"\n"}, {"a.h", ""}});
  Open();
  const std::string text = env_.Contents(kAppDeps);
  FileStatus status;
  ASSERT_TRUE(env_.memory.Stat(kAppDeps, &status));
  std::vector<DependencySection> sections;
  TextTable paths;
  ASSERT_TRUE(ReadDependencyIndex(env_.Contents(kAppIndex), status, paths, &sections));
  EXPECT_EQ(WriteDependencyFile(sections), text);

  // An index of other records for this very text is taken as it is.
  TextTable other_paths;
  DependencyRecord other("Debug");
  other.SetDependencies(other_paths, {"from-index.h"}, {"1"});
  other.set_stamp("2099-01-01 00:00:00");
  std::vector<DependencyRecord> records = {other};
  env_.AddFile(kAppIndex, FormatDependencyIndex({{"main.c", &records}}, status));
  ASSERT_TRUE(env_.memory.SetModificationTime(kAppDeps, status.mtime_ns));
  updater_->SetRefreshOnOpen(false);
  Open();
  EXPECT_EQ(List("main.c", "Debug"), (std::vector<std::string>{"1|from-index.h"}));

  // A text of another time, or a damaged index: the text counts.
  const std::string crafted = env_.Contents(kAppIndex);
  std::string damaged = crafted;
  damaged.back() ^= 1;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    env_.AddFile(kAppIndex, round == 0 ? crafted : damaged);
    ASSERT_TRUE(env_.memory.SetModificationTime(kAppDeps, status.mtime_ns + round - 1));
    Open();
    EXPECT_EQ(List("main.c", "Debug"), (std::vector<std::string>{"1|a.h"}));
    ASSERT_TRUE(updater_->WriteDependencyFile(*workspace_, App()));
    EXPECT_EQ(env_.Contents(kAppDeps), text);
    ASSERT_TRUE(env_.memory.Stat(kAppDeps, &status));
    EXPECT_TRUE(ReadDependencyIndex(env_.Contents(kAppIndex), status, paths, &sections));
  }
}

// The kernel-shaped tree of the benchmarks, small (it also runs under the
// address sanitizer): refreshed with one thread and with two, the
// dependency files, the lines and their order are the same. Opened again,
// nothing is stale and nothing is written; written again, the file is the
// same to the byte.
TEST(DependencyRefreshAtScaleTest, TwoThreadsWriteWhatOneWrites) {
  const bench::GeneratedTree tree =
      bench::GenerateKernelTree(bench::KernelTreeShape::Scaled(0.08), "C:\\kernel\\");
  const char* kProject = "C:\\kernel\\kernel.kbp";
  const char* kDeps = "C:\\kernel\\kernel.kde";
  std::string written[2];
  std::vector<std::string> lines[2];
  for (int threads = 1; threads <= 2; ++threads) {
    SCOPED_TRACE(threads);
    ModelTestPlatform env;
    for (const auto& file : tree.files)
      env.AddFile(file.path, file.text);
    env.AddFile(kProject, bench::KernelProjectText(tree));
    env.ide.project_files = {kProject};
    env.system.now = ToLocalTime(env.memory.Now() / kSecond + 1);
    Installation util(env.platform, "C:\\kova");
    CpuTable cpus(env.platform, util);
    for (int open = 0; open < 2; ++open) {
      DependencyUpdater updater(cpus);
      updater.SetThreads(threads);
      RefreshHooks hooks(updater);
      std::unique_ptr<Workspace> workspace = env.NewWorkspace(&hooks);
      hooks.SetWorkspace(workspace.get());
      env.ide.calls.clear();
      ASSERT_TRUE(workspace->document().Open("C:\\kernel\\kernel.kws"));
      Project& project = *workspace->projects().All().front();
      if (open == 0) {
        written[threads - 1] = env.Contents(kDeps);
        for (const std::string& call : env.ide.calls) {
          if (call.rfind("WriteOutputLine", 0) == 0) lines[threads - 1].push_back(call);
        }
        continue;
      }
      EXPECT_TRUE(env.ide.Calls("RefreshProjectView").empty());
      ASSERT_TRUE(updater.WriteDependencyFile(*workspace, project));
      EXPECT_TRUE(env.Contents(kDeps) == written[threads - 1]);
    }
  }
  EXPECT_GT(written[0].size(), 10000u);
  EXPECT_TRUE(written[0] == written[1]);
  EXPECT_EQ(lines[0], lines[1]);
  EXPECT_GT(lines[0].size(), 3u);
}

}  // namespace
}  // namespace zelvan

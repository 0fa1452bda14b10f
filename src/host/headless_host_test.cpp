#include "host/headless_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "host/host_path_text.h"
#include "model/message_texts.h"
#include "model/status_codes.h"
#include "tests/support/model_test_platform.h"

namespace zelvan {
namespace {

using testing::Crlf;
using ::testing::ElementsAre;
using testing::ModelTestPlatform;

TEST(HeadlessHost, AnswersByPolicy) {
  const struct {
    unsigned style;
    int safe, yes, no;
  } cases[] = {
      {kMbOk | kMbIconWarning, kIdOk, kIdOk, kIdOk},
      {kMbOkCancel, kIdCancel, kIdOk, kIdCancel},
      {kMbYesNo | kMbIconWarning | kMbDefButton2, kIdNo, kIdYes, kIdNo},
      {kMbYesNoCancel, kIdCancel, kIdYes, kIdNo},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.style);
    EXPECT_EQ(HeadlessHost::Answer(AnswerPolicy::kSafe, c.style, 0), c.safe);
    EXPECT_EQ(HeadlessHost::Answer(AnswerPolicy::kYes, c.style, 0), c.yes);
    EXPECT_EQ(HeadlessHost::Answer(AnswerPolicy::kNo, c.style, 0), c.no);
  }
}

class HeadlessHostTest : public ::testing::Test {
 protected:
  HeadlessHostTest() : host_(AnswerPolicy::kSafe, out_, /*show_information=*/true) {
    env_.platform.ui = &host_;
    host_.Attach(env_.platform);
  }
  ModelTestPlatform env_;
  std::ostringstream out_;
  HeadlessHost host_;
};

TEST_F(HeadlessHostTest, ServesTheWorkspaceFileAndItsSettings) {
  env_.AddFile("C:\\ws\\Demo.kws", Crlf("[Workspace]\nActive=app\\App.kbp\n[Projects]\nCount=2\n"
                                        "Project0=lib\\Lib.kbp\nProject1=D:\\far\\App.kbp\n"));
  env_.AddFile("C:\\ws\\Demo.kwa", Crlf("[Builder]\nComposition=Release\n"));
  std::string error;
  ASSERT_TRUE(host_.LoadWorkspaceFile("C:\\ws\\Demo.kws", &error)) << error;
  std::vector<std::string> files;
  ASSERT_TRUE(host_.GetWorkspaceProjectFiles("c:\\WS\\demo.kws", &files));
  EXPECT_THAT(files, ElementsAre("C:\\ws\\lib\\Lib.kbp", "D:\\far\\App.kbp"));
  EXPECT_FALSE(host_.GetWorkspaceProjectFiles("C:\\other.kws", &files));
  EXPECT_EQ(host_.GetActiveProjectFile(), "C:\\ws\\app\\App.kbp");
  EXPECT_EQ(host_.ReadWorkspaceSetting("Builder", "Composition", 1024), "Release");
  EXPECT_EQ(host_.ReadWorkspaceSetting("Builder", "Composition", 4), "Rel");
  ASSERT_TRUE(host_.WriteWorkspaceSetting("Builder", "LinkProject", "0"));
  EXPECT_EQ(env_.Contents("C:\\ws\\Demo.kwa"),
            Crlf("[Builder]\nComposition=Release\nLinkProject=0\n"));

  ASSERT_TRUE(host_.AddProjectToWorkspace("C:\\ws\\tool\\Tool.kpr", "C:\\ws\\Demo.kws"));
  ASSERT_TRUE(host_.SetActiveProject("C:\\ws\\tool\\Tool.kbp", &error));
  EXPECT_EQ(env_.Contents("C:\\ws\\Demo.kws"),
            Crlf("[Workspace]\nActive=tool\\Tool.kbp\nFormat=1\n[Projects]\nCount=3\n"
                 "Project0=lib\\Lib.kbp\nProject1=D:\\far\\App.kbp\nProject2=tool\\Tool.kbp\n"));
}

// Missing and too new workspace files are reported; a failed write keeps the
// old file and list.
TEST_F(HeadlessHostTest, BadAndUnwritableWorkspaceFiles) {
  std::string error;
  EXPECT_FALSE(host_.LoadWorkspaceFile("C:\\ws\\None.kws", &error));
  EXPECT_EQ(error, "cannot read the workspace file C:/ws/None.kws");
  env_.AddFile("C:\\ws\\Bad.kws", "[Workspace]\r\nFormat=9\r\n");
  EXPECT_FALSE(host_.LoadWorkspaceFile("C:\\ws\\Bad.kws", &error));
  EXPECT_EQ(error,
            "C:\\ws\\Bad.kws: the workspace file has format 9, newer than this program reads");

  const std::string text = Crlf("[Projects]\nCount=1\nProject0=a.kbp\n");
  env_.AddFile("C:\\ws\\Demo.kws", text);
  ASSERT_TRUE(host_.LoadWorkspaceFile("C:\\ws\\Demo.kws", &error));
  env_.memory.SetReadOnly("C:\\ws\\Demo.kws", true);
  EXPECT_FALSE(host_.AddProjectToWorkspace("C:\\ws\\b.kpr", "C:\\ws\\Demo.kws"));
  EXPECT_EQ(env_.Contents("C:\\ws\\Demo.kws"), text);
  std::vector<std::string> files;
  ASSERT_TRUE(host_.GetWorkspaceProjectFiles("C:\\ws\\Demo.kws", &files));
  EXPECT_THAT(files, ElementsAre("C:\\ws\\a.kbp"));
  EXPECT_EQ(host_.GetActiveProjectFile(), "");
}

TEST_F(HeadlessHostTest, AProjectAloneKeepsItsSettingsInMemory) {
  host_.UseSingleProject("C:\\p\\App.kbp");
  EXPECT_EQ(host_.WorkspacePath(), "C:\\p\\App.kws");
  std::vector<std::string> files;
  ASSERT_TRUE(host_.GetWorkspaceProjectFiles("C:\\p\\App.kws", &files));
  EXPECT_THAT(files, ElementsAre("C:\\p\\App.kbp"));
  EXPECT_EQ(host_.GetActiveProjectFile(), "C:\\p\\App.kbp");
  ASSERT_TRUE(host_.WriteWorkspaceSetting("Builder", "Composition", "Debug"));
  EXPECT_EQ(host_.ReadWorkspaceSetting("builder", "composition", 1024), "Debug");
  EXPECT_FALSE(host_.AddProjectToWorkspace("C:\\p\\B.kpr", "C:\\p\\App.kws"));
  EXPECT_THAT(env_.memory.AllFiles(), ElementsAre());
}

TEST_F(HeadlessHostTest, PrintsMessagesOutputAndErrors) {
  EXPECT_EQ(host_.ShowMessage("KOVA", "Save?", kMbYesNo | kMbDefButton2, 5088), kIdNo);
  EXPECT_EQ(host_.ShowMessage("", "Gone.", kMbOk, 5069), kIdOk);  // the product's caption
  host_.WriteOutputLine("I-007-1000:start", kOutputInformation);
  host_.WriteOutputLine("W-007-D000:missing", kOutputWarning);
  host_.ReportError(0x1103, "no project");
  host_.ReportError(0x1155, "The file \\ws\\M.kde was not written: disk full.");
  EXPECT_EQ(out_.str(),
            "KOVA: Save?\n  (answered No)\nKOVA: Gone.\nI-007-1000:start\nW-007-D000:missing\n"
            "error 0x40041103: no project\n"
            "error 0x40041155: The file /ws/M.kde was not written: disk full.\n");
  EXPECT_EQ(host_.LoadString(kMsgNoWorkspace), DefaultMessageText(kMsgNoWorkspace));
  EXPECT_EQ(host_.LoadString(1), "");
}

TEST_F(HeadlessHostTest, QuietHostCountsUnresolvedIncludesInOneLine) {
  const std::string count3 = "W-007-D002:" + FormatMessageText(DefaultMessageText(5074), {"3"});
  struct Case {
    const char* name;
    std::vector<std::string> lines;  // warnings, but "I-" lines are information
    std::string printed;
  };
  const std::vector<Case> cases = {
      {"a refresh's unresolved includes",
       {"I-007-1000:start", "W-007-D000:missing", "W-007-D001:a.c(1):#include <x.h>",
        "W-007-D001:a.c(2):#include <y.h>", "W-007-D001:b.c(1):#include <x.h>", count3,
        "I-007-1100:done"},
       count3 + " (--verbose lists them)\n"},
      {"stopped before the count line",
       {"W-007-D000:missing", "W-007-D001:a.c(1):#include <x.h>",
        "W-007-D001:a.c(2):#include <y.h>", "W-007-D001:b.c(1):#include <x.h>",
        "I-007-1200:stopped"},
       count3 + " (--verbose lists them)\n"},
      {"the depth warning and its chain stay",
       {"W-007-D003:deep", "  a.c > a.h > a.h > ... (256 includes deep)", "I-007-1200:stopped"},
       "W-007-D003:deep\n  a.c > a.h > a.h > ... (256 includes deep)\n"},
      {"a count line of its own is printed as it is",
       {"W-007-D002:7 included files were not found."},
       "W-007-D002:7 included files were not found.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ostringstream out;
    HeadlessHost quiet(AnswerPolicy::kSafe, out, /*show_information=*/false);
    quiet.SetSummarizeUnresolved(true);
    for (const std::string& line : c.lines) {
      int kind = line.starts_with("I-") ? kOutputInformation : kOutputWarning;
      if (line.starts_with("W-007-D001:")) {
        quiet.WriteOutputLineAt("a.c", 1, line, kind);
      } else {
        quiet.WriteOutputLine(line, kind);
      }
    }
    EXPECT_EQ(out.str(), c.printed);
  }
}

// The system's texts keep their words; their full paths are the host's.
TEST_F(HeadlessHostTest, HostPathsInTexts) {
  const std::string k = env_.fs.ToHostPath("K:\\Tools\\a b.h");
  const struct {
    const char* text;
    std::string want;
  } cases[] = {
      {"The file \\ws\\Motor\\Motor.lcf exists.", "The file /ws/Motor/Motor.lcf exists."},
      {"W-007-D001:\\ws\\main.c(26):#include \"x.h\"",
       "W-007-D001:/ws/main.c(26):#include \"x.h\""},
      {"Motor.abs - (\\ws\\my dir\\main.c)", "Motor.abs - (/ws/my dir/main.c)"},
      {"in K:\\Tools\\a b.h, and \\ws\\c.h.", "in " + k + ", and /ws/c.h."},
      {"no path: a\\b, 50\\ 2, \\ alone", "no path: a\\b, 50\\ 2, \\ alone"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(HostPathsIn(env_.fs, c.text), c.want);
  }
}

TEST_F(HeadlessHostTest, TempPointsAtTheTemporaryFolderAndWorkspaceFilesAreMadeOnlyWhereNoneIs) {
  env_.system.env.erase("TEMP");
  env_.system.env["TMPDIR"] = "/var/tmp/me";
  std::string error;
  EXPECT_TRUE(HeadlessHost::PrepareEnvironment(env_.system, env_.fs, &error));
  EXPECT_EQ(env_.system.env["TEMP"], "\\var\\tmp\\me");
  env_.system.env["TEMP"] = "D:\\keep";
  EXPECT_TRUE(HeadlessHost::PrepareEnvironment(env_.system, env_.fs, &error));
  EXPECT_EQ(env_.system.env["TEMP"], "D:\\keep");
  // Workspace files are created only where none is.
  EXPECT_FALSE(HeadlessHost::CreateWorkspaceFile(env_.fs, "C:\\none\\New.kws", {}, &error));
  EXPECT_NE(error, "");
  env_.memory.AddDirectory("C:\\ws");
  ASSERT_TRUE(HeadlessHost::CreateWorkspaceFile(env_.fs, "C:\\ws\\New.kws",
                                                {"C:\\ws\\a\\A.kbp", "C:\\b\\B.kbp"}, &error));
  EXPECT_EQ(env_.Contents("C:\\ws\\New.kws"),
            Crlf("; Zelvan workspace\n[Workspace]\nFormat=1\nActive=a\\A.kbp\n[Projects]\n"
                 "Count=2\nProject0=a\\A.kbp\nProject1=C:\\b\\B.kbp\n"));
  EXPECT_FALSE(HeadlessHost::CreateWorkspaceFile(env_.fs, "C:\\ws\\New.kws", {}, &error));
  EXPECT_EQ(error, "C:\\ws\\New.kws exists already");
}

}  // namespace
}  // namespace zelvan

#include "service/ide_bridge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/bstr.h"
#include "service/component_ids.h"
#include "service/ide_connection.h"
#include "tests/support/recording_ide_host.h"
#include "tests/support/recording_ide_services.h"

namespace zelvan {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::RecordingIdeHost;

class IdeBridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.state().project_files = {"C:\\ws\\a\\a.kbp", "C:\\ws\\b\\b.kbp"};
    host_.state().active_project = "C:\\ws\\b\\b.kbp";
    host_.state().settings = {{"Builder|Composition", "Release"}};
    ASSERT_EQ(connection_.Connect(host_.application()), S_OK);
    host_.ClearCalls();
  }

  testing::RecordingIdeServices ui_;  // the built-in texts
  RecordingIdeHost host_;
  IdeConnection connection_{ui_};
  IdeBridge bridge_{connection_};
};

TEST_F(IdeBridgeTest, WorkspaceRequestsGoToTheWorkspaceObject) {
  std::vector<std::string> files;
  EXPECT_TRUE(bridge_.GetWorkspaceProjectFiles("C:\\ws\\ws.kws", &files));
  EXPECT_THAT(files, ElementsAre("C:\\ws\\a\\a.kbp", "C:\\ws\\b\\b.kbp"));
  EXPECT_EQ(bridge_.GetActiveProjectFile(), "C:\\ws\\b\\b.kbp");
  EXPECT_EQ(bridge_.ReadWorkspaceSetting("builder", "composition", 1024), "Release");
  EXPECT_EQ(bridge_.ReadWorkspaceSetting("Builder", "Composition", 4), "Rel");
  EXPECT_TRUE(bridge_.WriteWorkspaceSetting("Builder", "LinkProject", "2"));
  EXPECT_TRUE(bridge_.AddProjectToWorkspace("C:\\ws\\c\\c.kpr", "C:\\ws\\ws.kws"));
  bridge_.ProjectFileAdded("C:\\ws\\c\\c.kbp");
  bridge_.CurrentTargetChanged("Debug");
  bridge_.RefreshProjectView("C:\\ws\\a\\a.kbp");
  bridge_.RefreshSourceControlStatus();
  EXPECT_THAT(host_.Log(),
              ElementsAre("KOVA.Workspace 17: C:\\ws\\ws.kws",
                          "KOVA.Workspace 7: ", "KOVA.Workspace 8: builder|composition|1024",
                          "KOVA.Workspace 8: Builder|Composition|4",
                          "KOVA.Workspace 9: Builder|LinkProject|2",
                          "KOVA.Workspace 10: C:\\ws\\c\\c.kpr|C:\\ws\\ws.kws",
                          "KOVA.Workspace 11: C:\\ws\\c\\c.kbp", "KOVA.Workspace 12: Debug",
                          "KOVA.Workspace 13: C:\\ws\\a\\a.kbp", "KOVA.Workspace 14: "));

  host_.state().fail_project_files = true;
  host_.state().refuse_add_project = true;
  files = {"kept"};
  EXPECT_FALSE(bridge_.GetWorkspaceProjectFiles("C:\\ws\\ws.kws", &files));
  EXPECT_THAT(files, ElementsAre("kept"));
  EXPECT_FALSE(bridge_.AddProjectToWorkspace("C:\\ws\\c\\c.kpr", "C:\\ws\\ws.kws"));
}

TEST_F(IdeBridgeTest, ReportsGoThroughTheConnection) {
  bridge_.ShowOutputPane();
  bridge_.WriteOutputLine("I-007-1000:start", kOutputInformation);
  bridge_.WriteOutputLineAt("C:\\a.c", 3, "W-007-D001:C:\\a.c(3):x", kOutputWarning);
  bridge_.ClearOutputPane();
  host_.state().message_answer = kIdYes;
  EXPECT_EQ(bridge_.ShowMessage("KOVA", "Save?", kMbYesNo, 5088), kIdYes);
  bridge_.ReportError(0x1103, "gone");
  std::vector<std::string> log = host_.Log();
  // Leave out the first requests of each service.
  std::erase_if(log, [](const std::string& line) { return line.starts_with("Application"); });
  const std::string pane = ui_.LoadString(5072);
  const std::string title = ui_.LoadString(13702);
  EXPECT_THAT(
      log, ElementsAre("KOutputW.Service 18: " + pane + "|0|0",
                       "KOutputW.Service 17: " + pane + "|<null>|0|18|I-007-1000:start|0",
                       "KOutputW.Service 17: " + pane + "|C:\\a.c|3|17|W-007-D001:C:\\a.c(3):x|0",
                       "KOutputW.Service 16: " + pane, "KErrMsg.Service 7: KOVA|Save?|0|4|5088",
                       "KOutputW.Service 22: " + title + "|0|0x40041103|gone|Zelvan",
                       "AutoSrv.Service 16: " + FormatGuid(IID_IProject) +
                           "|Zelvan|gone|0|0|0x40041103|0"));
}

TEST_F(IdeBridgeTest, WithoutAWorkspaceObjectRequestsFailQuietly) {
  connection_.Disconnect();
  host_.state().refused_services.insert(kWorkspaceProgId);
  ASSERT_EQ(connection_.Connect(host_.application()), S_FALSE);
  host_.ClearCalls();
  std::vector<std::string> files = {"kept"};
  EXPECT_FALSE(bridge_.GetWorkspaceProjectFiles("C:\\ws\\ws.kws", &files));
  EXPECT_THAT(files, ElementsAre("kept"));
  EXPECT_EQ(bridge_.GetActiveProjectFile(), "");
  EXPECT_EQ(bridge_.ReadWorkspaceSetting("Builder", "Composition", 1024), "");
  EXPECT_FALSE(bridge_.WriteWorkspaceSetting("Builder", "Composition", "Debug"));
  EXPECT_FALSE(bridge_.AddProjectToWorkspace("C:\\ws\\c\\c.kpr", "C:\\ws\\ws.kws"));
  bridge_.ProjectFileAdded("C:\\ws\\c\\c.kbp");
  bridge_.CurrentTargetChanged("Debug");
  bridge_.RefreshProjectView("C:\\ws\\a\\a.kbp");
  bridge_.RefreshSourceControlStatus();
  EXPECT_THAT(host_.Log(), IsEmpty());
}

}  // namespace
}  // namespace zelvan

#include "service/ide_bridge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "service/component_ids.h"
#include "service/ide_connection.h"
#include "tests/support/recording_ide_host.h"
#include "tests/support/recording_ide_services.h"

namespace zelvan {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// What each request reaches, and with which arguments, is shown end to end
// by host/host_ide_objects_test.cpp, the slots by ide_interfaces_test.cpp.
TEST(IdeBridgeTest, WithoutAWorkspaceObjectRequestsFailQuietly) {
  testing::RecordingIdeServices ui;
  testing::RecordingIdeHost host;
  host.state().refused_services.insert(kWorkspaceProgId);
  IdeConnection connection(ui);
  IdeBridge bridge(connection);
  ASSERT_EQ(connection.Connect(host.application()), S_FALSE);
  host.ClearCalls();
  std::vector<std::string> files = {"kept"};
  EXPECT_FALSE(bridge.GetWorkspaceProjectFiles("C:\\ws\\ws.kws", &files));
  EXPECT_THAT(files, ElementsAre("kept"));
  EXPECT_EQ(bridge.GetActiveProjectFile(), "");
  EXPECT_EQ(bridge.ReadWorkspaceSetting("Builder", "Composition", 1024), "");
  EXPECT_FALSE(bridge.WriteWorkspaceSetting("Builder", "Composition", "Debug"));
  EXPECT_FALSE(bridge.AddProjectToWorkspace("C:\\ws\\c\\c.kpr", "C:\\ws\\ws.kws"));
  bridge.ProjectFileAdded("C:\\ws\\c\\c.kbp");
  bridge.CurrentTargetChanged("Debug");
  bridge.RefreshProjectView("C:\\ws\\a\\a.kbp");
  bridge.RefreshSourceControlStatus();
  EXPECT_THAT(host.Log(), IsEmpty());
}

}  // namespace
}  // namespace zelvan

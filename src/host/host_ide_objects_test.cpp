#include "host/host_ide_objects.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "com/bstr.h"
#include "com/variant.h"
#include "dependencies/dependency_progress.h"
#include "service/component_ids.h"
#include "service/ide_bridge.h"
#include "service/ide_connection.h"
#include "service/window_progress.h"
#include "tests/support/recording_ide_host.h"
#include "tests/support/recording_ide_services.h"

namespace zelvan {
namespace {

using ::testing::ElementsAre;
using testing::RecordingIdeServices;
using testing::ReferenceCount;

// The IDE the model sees when it runs in the headless host: the bridge, the
// connection, the host's IDE objects, and behind them the host's services.
struct HostedIde {
  explicit HostedIde(RecordingIdeServices& backend)
      : application(MakeComObject<HostApplication>(backend)), connection(backend) {
    EXPECT_EQ(connection.Connect(application.Get()), S_OK);
  }

  ComPtr<HostApplication> application;
  IdeConnection connection;
  IdeBridge bridge{connection};
};

void Prepare(RecordingIdeServices& ide) {
  ide.project_files = {"C:\\ws\\a\\a.kbp", "C:\\ws\\b\\b.kbp"};
  ide.active_project = "C:\\ws\\b\\b.kbp";
  ide.settings["Builder|Composition"] = "Release";
  ide.answer = kIdYes;
}

TEST(HostIdeObjectsTest, EveryRequestReachesTheHostUnchanged) {
  const struct {
    const char* name;
    std::function<std::string(IdeServices&)> request;  // gives the result as text
  } cases[] = {
      {"project files",
       [](IdeServices& ide) {
         std::vector<std::string> files;
         bool ok = ide.GetWorkspaceProjectFiles("C:\\ws\\ws.kws", &files);
         return std::to_string(ok) + ":" + (files.empty() ? "" : files[0] + ";" + files[1]);
       }},
      {"active project", [](IdeServices& ide) { return ide.GetActiveProjectFile(); }},
      {"settings, whole, cut and missing",
       [](IdeServices& ide) {
         return ide.ReadWorkspaceSetting("Builder", "Composition", 1024) + "|" +
                ide.ReadWorkspaceSetting("Builder", "Composition", 4) + "|" +
                ide.ReadWorkspaceSetting("Builder", "None", 0);
       }},
      {"write setting",
       [](IdeServices& ide) {
         return std::to_string(ide.WriteWorkspaceSetting("Builder", "LinkProject", "2"));
       }},
      {"add project",
       [](IdeServices& ide) {
         return std::to_string(ide.AddProjectToWorkspace("C:\\ws\\c\\c.kpr", "C:\\ws\\ws.kws"));
       }},
      {"views",
       [](IdeServices& ide) {
         ide.ProjectFileAdded("C:\\ws\\c\\c.kbp");
         ide.CurrentTargetChanged("Debug");
         ide.RefreshProjectView("C:\\ws\\a\\a.kbp");
         ide.RefreshSourceControlStatus();
         return std::string();
       }},
      {"the workspace's record",
       [](IdeServices& ide) {
         std::string error;
         const bool replaced =
             ide.ReplaceWorkspaceProject("C:\\ws\\a\\a.kbp", "C:\\ws\\a\\z.kbp", &error);
         const bool removed = ide.RemoveWorkspaceProject("C:\\ws\\b\\b.kbp", &error);
         std::vector<std::string> files = ide.WorkspaceRecordFiles();
         return std::to_string(replaced) + std::to_string(removed) + files.back();
       }},
      {"message box",
       [](IdeServices& ide) {
         return std::to_string(ide.ShowMessage("KOVA", "Save?", kMbYesNo | kMbIconWarning, 5088));
       }},
      {"output",
       [](IdeServices& ide) {
         ide.ClearOutputPane();
         ide.ShowOutputPane();
         ide.WriteOutputLine("I-007-1000:start", kOutputInformation);
         ide.WriteOutputLineAt("C:\\ws\\a\\m.c", 7, "W-007-D001:C:\\ws\\a\\m.c(7):#include <x.h>",
                               kOutputWarning);
         ide.ReportError(0x1103, "Project not found.");
         return std::string();
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingIdeServices direct;
    Prepare(direct);
    const std::string expected = c.request(direct);
    ASSERT_FALSE(direct.calls.empty() && expected.empty());  // the case checks something

    RecordingIdeServices backend;
    Prepare(backend);
    HostedIde hosted(backend);
    EXPECT_EQ(c.request(hosted.bridge), expected);
    EXPECT_EQ(backend.calls, direct.calls);
  }
}

TEST(HostIdeObjectsTest, RefusalsOfTheHostArePassedBack) {
  RecordingIdeServices backend;
  backend.fail_project_list = true;
  backend.refuse_add = true;
  HostedIde hosted(backend);
  std::vector<std::string> files = {"kept"};
  EXPECT_FALSE(hosted.bridge.GetWorkspaceProjectFiles("C:\\ws\\ws.kws", &files));
  EXPECT_THAT(files, ElementsAre("kept"));
  EXPECT_FALSE(hosted.bridge.AddProjectToWorkspace("C:\\ws\\c\\c.kpr", "C:\\ws\\ws.kws"));
  std::string error;
  EXPECT_FALSE(hosted.bridge.ReplaceWorkspaceProject("C:\\a.kbp", "C:\\b.kbp", &error));
  EXPECT_FALSE(hosted.bridge.RemoveWorkspaceProject("C:\\a.kbp", &error));
  EXPECT_EQ(error, "the IDE did not take the project out of its workspace");
}

TEST(HostIdeObjectsTest, HeadlessServicesAnswerWithoutWindowOrSourceControl) {
  RecordingIdeServices backend;
  HostedIde hosted(backend);
  IdeConnection& connection = hosted.connection;

  // The host builds nothing: there is no build runner to hand out.
  EXPECT_EQ(connection.BuildRunner(), nullptr);

  ScopedBstr path("C:\\ws\\a\\a.kbp");
  LONG result = 9;
  IKovaArchiveProvider* archive = connection.ArchiveProvider();
  ASSERT_NE(archive, nullptr);
  EXPECT_EQ(archive->GetState(path.Get(), 0, &result), S_OK);
  EXPECT_EQ(result, kArchiveStateUnknown);
  EXPECT_EQ(archive->CheckOut(path.Get(), 0, &result), S_OK);
  EXPECT_EQ(result, 0);

  IKovaFileView* view = connection.FileView();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->RefreshItemImages(path.Get(), &result), S_OK);
  EXPECT_EQ(result, 1);

  // The automation server keeps what was reported, as reported.
  connection.ReportError(0xA005, "busy");
  const HostAutomationServer* automation = hosted.application->automation_server();
  ASSERT_NE(automation, nullptr);
  ASSERT_EQ(automation->errors().size(), 1u);
  EXPECT_EQ(automation->errors()[0].code, static_cast<LONG>(0x4004A005));
  EXPECT_EQ(automation->errors()[0].module, "Zelvan");
  EXPECT_EQ(automation->errors()[0].message, "busy");
  EXPECT_TRUE(IsEqualIID(automation->errors()[0].source, IID_IProject));
  EXPECT_THAT(backend.Calls("ReportError"), ElementsAre(std::to_string(0xA005) + "|busy"));
}

TEST(HostIdeObjectsTest, ApplicationHandsOutServicesByProgIdInAnyCase) {
  RecordingIdeServices backend;
  ComPtr<HostApplication> application = MakeComObject<HostApplication>(backend);
  EXPECT_NE(application->Service("kova.workspace"), nullptr);
  EXPECT_EQ(application->Service("KOVA.Workspace"), application->Service("kova.WORKSPACE"));
  EXPECT_EQ(application->Service("KOVA.Nothing"), nullptr);

  const ULONG workspace_before = ReferenceCount(application->Service(kWorkspaceProgId));
  {
    IdeConnection connection(backend);
    ASSERT_EQ(connection.Connect(application.Get()), S_OK);
    EXPECT_TRUE(connection.SendCommand(kIdeCommandProjectCreated));
    EXPECT_EQ(ReferenceCount(application->Service(kWorkspaceProgId)), workspace_before + 1);
  }
  // The connection let go of everything when it went.
  EXPECT_EQ(ReferenceCount(application->Service(kWorkspaceProgId)), workspace_before);
  EXPECT_EQ(ReferenceCount(application.Get()), 1u);
}

// What the service posts to the host's progress window reaches the
// terminal's progress; a message of another kind is refused.
TEST(HostIdeObjectsTest, ProgressWindowPassesTheRefreshOn) {
  struct Recorded final : DependencyProgress {
    void SetTotal(uint64_t steps) override { log += "total " + std::to_string(steps) + ";"; }
    void SetProject(std::string_view name) override { log += std::string(name) + ";"; }
    void Step() override { log += "+"; }
    std::string log;
  } progress;
  ComPtr<HostProgressWindow> window = MakeComObject<HostProgressWindow>(progress);
  VARIANT handle;
  VariantInit(&handle);
  handle.vt = VT_UNKNOWN;
  handle.punkVal = window.Get();
  WindowProgress posted(handle);
  ASSERT_NE(posted.get(), nullptr);
  posted.SetTotal(2);
  posted.SetProject("App.abs");
  posted.Step();
  posted.Step();
  EXPECT_EQ(progress.log, "total 2;App.abs;++");
  EXPECT_EQ(window->PostProgress(kProgressStepMessage + 1, 0, nullptr), E_INVALIDARG);
  EXPECT_EQ(progress.log, "total 2;App.abs;++");
}

}  // namespace
}  // namespace zelvan

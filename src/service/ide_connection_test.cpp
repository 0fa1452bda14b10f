#include "service/ide_connection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "com/bstr.h"
#include "com/dispatch_object.h"
#include "platform/ui_hooks.h"
#include "service/component_ids.h"
#include "service/ide_bridge.h"
#include "tests/support/recording_ide_host.h"
#include "tests/support/recording_ide_services.h"

namespace zelvan {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::RecordingIdeHost;
using testing::ReferenceCount;

const std::string kProjectIid = FormatGuid(IID_IProject);

class IdeConnectionTest : public ::testing::Test {
 protected:
  // The IDE's own texts; message boxes shown without the IDE are cancelled.
  IdeConnectionTest() {
    ui_.strings = {{13702, "Error"},
                   {5072, "Zelvan"},
                   {5087, "%s: %d%% done"},
                   {5025, "The IDE is building."}};
    ui_.answer = kIdCancel;
  }

  // Connects and obtains every service, then forgets the calls that took.
  void ConnectWithEveryService() {
    ASSERT_EQ(connection_.Connect(host_.application()), S_OK);
    connection_.Notify(kEventObtainServices, none_);
    host_.ClearCalls();
  }

  // Services asked of the application object, in order.
  std::vector<std::string> AskedServices() const {
    return host_.Calls(testing::kRecordedApplication, kDispIdApplicationService);
  }

  const VARIANT none_{};  // VT_EMPTY: an event without an argument
  testing::RecordingIdeServices ui_;
  RecordingIdeHost host_;
  IdeConnection connection_{ui_};
};

// Connect makes the service's Service, Version and Project objects in that
// order; the first it cannot make leaves it none of them.
TEST_F(IdeConnectionTest, ConnectHoldsTheServicesOwnObjectsOrNone) {
  std::vector<std::string> made;
  std::string refused;
  ConnectionHooks hooks;
  hooks.create_object = [&](REFCLSID clsid, ComPtr<IDispatch>* object) {
    made.push_back(FormatGuid(clsid));
    if (FormatGuid(clsid) == refused) return E_OUTOFMEMORY;
    *object = ComPtr<IDispatch>(host_.service(kOutputWindowProgId));
    return S_OK;
  };
  connection_.SetHooks(hooks);
  ASSERT_EQ(connection_.Connect(host_.application()), S_OK);
  EXPECT_THAT(made, ElementsAre(FormatGuid(CLSID_Service), FormatGuid(CLSID_Version),
                                FormatGuid(CLSID_Project)));
  EXPECT_NE(connection_.OwnObject(CLSID_Version), nullptr);
  EXPECT_EQ(connection_.OwnObject(CLSID_Connect), nullptr);

  refused = FormatGuid(CLSID_Version);
  made.clear();
  EXPECT_EQ(connection_.Connect(host_.application()), S_FALSE);
  EXPECT_EQ(made.size(), 2u);
  EXPECT_EQ(connection_.OwnObject(CLSID_Service), nullptr);
  EXPECT_TRUE(connection_.IsConnected());
}

// An application object that is no IDE application.
class ForeignApplication : public DispatchObject<IDispatch> {};

TEST_F(IdeConnectionTest, FailedConnectKeepsWhatItObtainedAndTheBridgeAsksNothing) {
  int loads = 0;
  connection_.SetHooks({[&] { ++loads; }, [&] { ++loads; }, {}, {}, {}});

  SCOPED_TRACE("no application object");
  EXPECT_EQ(connection_.Connect(nullptr), S_FALSE);
  EXPECT_EQ(loads, 2);  // settings and toolchain stay loaded
  EXPECT_FALSE(connection_.IsConnected());

  {
    SCOPED_TRACE("no application interface");
    ComPtr<ForeignApplication> foreign = MakeComObject<ForeignApplication>();
    EXPECT_EQ(connection_.Connect(foreign.Get()), S_FALSE);
    EXPECT_EQ(connection_.Application(), nullptr);
    EXPECT_EQ(ReferenceCount(foreign.Get()), 1u);
  }

  SCOPED_TRACE("no workspace object");
  host_.state().refused_services.insert(kWorkspaceProgId);
  EXPECT_EQ(connection_.Connect(host_.application()), S_FALSE);
  EXPECT_FALSE(connection_.IsConnected());
  EXPECT_EQ(connection_.Application(), host_.application());
  EXPECT_EQ(connection_.Workspace(), nullptr);
  // The application object obtained is kept, and with it the IDE's services.
  connection_.ReportError(0x1000, "no workspace");
  EXPECT_THAT(host_.Calls(kOutputWindowProgId, 22),
              ElementsAre("Error|0|0x40041000|no workspace|Zelvan"));

  // Without the workspace object the IDE's requests fail quietly (what each
  // reaches otherwise is shown by host/host_ide_objects_test.cpp).
  host_.ClearCalls();
  IdeBridge bridge(connection_);
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
  EXPECT_THAT(host_.Log(), IsEmpty());
}

TEST_F(IdeConnectionTest, DisconnectReleasesEveryReference) {
  const std::vector<const char*> services = {
      kWorkspaceProgId,   kOutputWindowProgId,     kErrorMessagesProgId,  kFileViewProgId,
      kBuildRunnerProgId, kAutomationServerProgId, kArchiveProviderProgId};
  std::vector<ULONG> before;
  for (const char* prog_id : services)
    before.push_back(ReferenceCount(host_.service(prog_id)));
  const ULONG application_before = ReferenceCount(host_.application());
  const size_t strings_before = BstrLiveCount();

  ASSERT_EQ(connection_.Connect(host_.application()), S_OK);
  connection_.Notify(kEventObtainServices, none_);
  connection_.ReportError(1, "one");
  connection_.WriteProgress("a.c", 1, 2);
  EXPECT_GT(ReferenceCount(host_.application()), application_before);
  for (size_t i = 0; i < services.size(); ++i) {
    SCOPED_TRACE(services[i]);
    EXPECT_EQ(ReferenceCount(host_.service(services[i])), before[i] + 1);
  }

  EXPECT_EQ(connection_.Disconnect(), S_OK);
  EXPECT_FALSE(connection_.IsConnected());
  EXPECT_EQ(connection_.Application(), nullptr);
  EXPECT_EQ(ReferenceCount(host_.application()), application_before);
  for (size_t i = 0; i < services.size(); ++i) {
    SCOPED_TRACE(services[i]);
    EXPECT_EQ(ReferenceCount(host_.service(services[i])), before[i]);
  }
  EXPECT_EQ(BstrLiveCount(), strings_before);
  // A second disconnect has nothing left to release.
  EXPECT_EQ(connection_.Disconnect(), S_OK);
}

TEST_F(IdeConnectionTest, ConnectingAgainLetsGoOfTheFirstIde) {
  RecordingIdeHost other;
  const ULONG first_before = ReferenceCount(host_.application());
  const ULONG output_before = ReferenceCount(host_.service(kOutputWindowProgId));
  ASSERT_EQ(connection_.Connect(host_.application()), S_OK);
  connection_.WriteOutputLine("first", kOutputLineInformation);
  ASSERT_EQ(connection_.Connect(other.application()), S_OK);
  connection_.WriteOutputLine("second", kOutputLineInformation);

  EXPECT_EQ(ReferenceCount(host_.application()), first_before);
  EXPECT_EQ(ReferenceCount(host_.service(kOutputWindowProgId)), output_before);
  EXPECT_THAT(host_.Calls(kOutputWindowProgId, 17), ElementsAre("Zelvan|<null>|0|18|first|0"));
  EXPECT_THAT(other.Calls(kOutputWindowProgId, 17), ElementsAre("Zelvan|<null>|0|18|second|0"));
}

// Connecting loads the settings and the toolchain and obtains the workspace;
// every other service is asked for at its first use or at the event that
// obtains them all, and only once.
TEST_F(IdeConnectionTest, ConnectFindsTheWorkspaceAndOtherServicesComeOnceWhenUsed) {
  std::vector<std::string> steps;
  connection_.SetHooks(
      {[&] { steps.push_back("settings"); }, [&] { steps.push_back("cpu"); }, {}, {}, {}});
  ASSERT_EQ(connection_.Connect(host_.application()), S_OK);
  EXPECT_THAT(steps, ElementsAre("settings", "cpu"));
  EXPECT_TRUE(connection_.IsConnected());
  EXPECT_EQ(connection_.Application(), host_.application());
  EXPECT_EQ(static_cast<IDispatch*>(connection_.Workspace()), host_.service(kWorkspaceProgId));
  EXPECT_THAT(AskedServices(), ElementsAre("KOVA.Workspace"));

  connection_.ReportError(1, "one");
  connection_.ReportError(2, "two");
  connection_.WriteOutputLine("line", kOutputLineWarning);
  EXPECT_EQ(static_cast<IDispatch*>(connection_.OutputWindow()),
            host_.service(kOutputWindowProgId));
  connection_.Notify(kEventObtainServices, none_);
  connection_.Notify(kEventObtainServices, none_);
  EXPECT_THAT(AskedServices(), ElementsAre("KOVA.Workspace", "KOutputW.Service", "AutoSrv.Service",
                                           "KBuildSv.Service", "KFileVw.Service", "KBPArc.Provider",
                                           "KErrMsg.Service"));
  // Commands go to member 10 of the application object.
  EXPECT_TRUE(connection_.SendCommand(kIdeCommandProjectCreated));
  EXPECT_THAT(host_.Calls(testing::kRecordedApplication, kDispIdApplicationCommand),
              ElementsAre("12804|0"));
}

TEST_F(IdeConnectionTest, AServiceTheIdeLacksStaysEmptyAndIsAskedForAgain) {
  host_.state().refused_services.insert(kOutputWindowProgId);
  ASSERT_EQ(connection_.Connect(host_.application()), S_OK);
  connection_.ReportError(5, "lost");
  EXPECT_EQ(connection_.OutputWindow(), nullptr);
  // The automation server still receives the error.
  EXPECT_THAT(host_.Calls(kAutomationServerProgId, 16),
              ElementsAre(kProjectIid + "|Zelvan|lost|0|0|0x40040005|0"));

  host_.state().refused_services.clear();
  EXPECT_NE(connection_.OutputWindow(), nullptr);
  EXPECT_THAT(AskedServices(), ElementsAre("KOVA.Workspace", "KOutputW.Service", "AutoSrv.Service",
                                           "KOutputW.Service", "KOutputW.Service"));
}

TEST_F(IdeConnectionTest, ReportingWithoutAConnectionDoesNothing) {
  const size_t strings_before = BstrLiveCount();
  connection_.ReportError(1, "nobody listens");
  connection_.ReportErrorById(2, 5025);
  connection_.WriteOutputLine("line", kOutputLineInformation);
  connection_.WriteOutputFileLine("W:", "a.c", 3, "text", kOutputLineWarning);
  connection_.ClearOutputPane();
  connection_.ShowOutputPane();
  connection_.WriteProgress("a.c", 1, 2);
  EXPECT_FALSE(connection_.SendCommand(kIdeCommandProjectCreated));
  ComPtr<IDispatch> service;
  EXPECT_TRUE(FAILED(connection_.GetSiblingService(kOutputWindowProgId, &service)));
  EXPECT_FALSE(service);
  EXPECT_THAT(host_.Log(), IsEmpty());
  EXPECT_EQ(BstrLiveCount(), strings_before);
}

TEST_F(IdeConnectionTest, ReportErrorGoesToTheOutputWindowAndTheAutomationServer) {
  ConnectWithEveryService();
  const struct {
    uint32_t code;
    std::string message;
    std::string reported;
  } cases[] = {
      {0x1103, "Project not found.", "0x40041103"},
      {0, "", "0x40040000"},
      {0xFFFF, "last", "0x4004FFFF"},
      // Only the 16-bit number is added: a full status code cannot spill into the base.
      {0x40031103, "status given whole", "0x40041103"},
      {7, std::string("bin\x01\xFF\0ary", 9), "0x40040007"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    host_.ClearCalls();
    connection_.ReportError(c.code, c.message);
    EXPECT_THAT(host_.Log(), ElementsAre("KOutputW.Service 22: Error|0|" + c.reported + "|" +
                                             c.message + "|Zelvan",
                                         "AutoSrv.Service 16: " + kProjectIid + "|Zelvan|" +
                                             c.message + "|0|0|" + c.reported + "|0"));
  }
}

TEST_F(IdeConnectionTest, OutputLinesGoToTheServicePane) {
  ConnectWithEveryService();
  connection_.ClearOutputPane();
  connection_.ShowOutputPane();
  connection_.WriteOutputLine("I-007-1000:Updating", kOutputLineInformation);
  connection_.WriteOutputLineAt("C:\\p\\a.c", 12, "as given", kOutputLineWarning);
  connection_.WriteOutputFileLine("W-007-D001:", "C:\\p\\a.c", 12, "#include \"x.h\"",
                                  kOutputLineWarning);
  connection_.WriteOutputFileLine("", "b.c", -1, "", kOutputLineInformation);
  EXPECT_THAT(host_.Log(),
              ElementsAre("KOutputW.Service 16: Zelvan", "KOutputW.Service 18: Zelvan|0|0",
                          "KOutputW.Service 17: Zelvan|<null>|0|18|I-007-1000:Updating|0",
                          "KOutputW.Service 17: Zelvan|C:\\p\\a.c|12|17|as given|0",
                          "KOutputW.Service 17: Zelvan|C:\\p\\a.c|12|17|"
                          "W-007-D001:C:\\p\\a.c(12):#include \"x.h\"|0",
                          "KOutputW.Service 17: Zelvan|b.c|-1|18|b.c(-1):|0"));
}

TEST_F(IdeConnectionTest, ProgressIsWrittenOncePerPercentage) {
  ConnectWithEveryService();
  connection_.WriteProgress("main.c", 3, 4);
  connection_.WriteProgress("main.c", 3, 4);
  EXPECT_THAT(host_.Log(),
              ElementsAre("KOutputW.Service 18: Zelvan|0|0",
                          "KOutputW.Service 17: Zelvan|<null>|0|18|main.c: 75% done|0"));

  const struct {
    uint64_t done, total;
    std::vector<std::string> lines;
  } cases[] = {
      {1, 0, {}},                    // no total: nothing
      {3, 4, {}},                    // the same percentage again
      {1, 3, {"main.c: 33% done"}},  // rounded down
      {2, 6, {}},                    // the same percentage from other numbers
      {1, 4, {"main.c: 25% done"}},  // going back is a change too
      {5'000'000'000, 10'000'000'000, {"main.c: 50% done"}},  // beyond 32 bits
      {4, 4, {"main.c: 100% done"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.done) + " of " + std::to_string(c.total));
    host_.ClearCalls();
    connection_.WriteProgress("main.c", c.done, c.total);
    std::vector<std::string> expected;
    for (const std::string& line : c.lines)
      expected.push_back("Zelvan|<null>|0|18|" + line + "|0");
    EXPECT_EQ(host_.Calls(kOutputWindowProgId, 17), expected);
  }

  host_.ClearCalls();
  connection_.ResetProgress();
  connection_.WriteProgress("next.c", 4, 4);
  EXPECT_THAT(host_.Calls(kOutputWindowProgId, 17),
              ElementsAre("Zelvan|<null>|0|18|next.c: 100% done|0"));
}

TEST_F(IdeConnectionTest, ARequestIsRefusedWhileTheIdeBuilds) {
  ConnectWithEveryService();
  EXPECT_FALSE(connection_.RefuseIfBusy());

  EXPECT_EQ(connection_.Notify(kEventBuildStarted, none_), S_OK);
  EXPECT_TRUE(connection_.BusyFlag());
  EXPECT_TRUE(connection_.RefuseIfBusy());
  EXPECT_TRUE(connection_.RefuseIfBusy());
  EXPECT_THAT(host_.Calls(kOutputWindowProgId, 22),
              ElementsAre("Error|0|0x4004A005|The IDE is building.|Zelvan",
                          "Error|0|0x4004A005|The IDE is building.|Zelvan"));

  host_.ClearCalls();
  EXPECT_EQ(connection_.Notify(kEventBuildEnded, none_), S_OK);
  EXPECT_FALSE(connection_.BusyFlag());
  EXPECT_FALSE(connection_.RefuseIfBusy());
  EXPECT_THAT(host_.Log(), IsEmpty());

  // The IDE that was building is gone after a disconnect.
  connection_.Notify(kEventBuildStarted, none_);
  connection_.Disconnect();
  EXPECT_FALSE(connection_.BusyFlag());
}

TEST_F(IdeConnectionTest, NotificationsSetTheFunctionDatabaseStateAndCallTheHooks) {
  int frees = 0;
  std::vector<std::string> updates;
  connection_.SetHooks(
      {{}, {}, [&] { ++frees; }, [&](std::string_view p) { updates.emplace_back(p); }, {}});

  VARIANT text = VariantFromText("C:\\ws\\functions.kfd");
  VARIANT number = VariantFromLong(5);

  EXPECT_EQ(connection_.Notify(kEventFunctionDatabaseDone, none_), S_OK);
  EXPECT_TRUE(connection_.FunctionDatabaseDone());
  EXPECT_EQ(frees, 1);
  EXPECT_EQ(connection_.Notify(kEventFunctionDatabaseStart, text), S_OK);
  EXPECT_FALSE(connection_.FunctionDatabaseDone());
  EXPECT_EQ(connection_.FunctionDatabaseText(), "C:\\ws\\functions.kfd");
  // Not a string: the done flag is cleared, the text stays.
  connection_.Notify(kEventFunctionDatabaseDone, none_);
  connection_.Notify(kEventFunctionDatabaseStart, number);
  EXPECT_FALSE(connection_.FunctionDatabaseDone());
  EXPECT_EQ(connection_.FunctionDatabaseText(), "C:\\ws\\functions.kfd");

  // The project to update: a string, a string by reference, anything else is every project.
  VARIANT name = VariantFromText("Motor");
  VARIANT by_reference;
  VariantInit(&by_reference);
  by_reference.vt = VT_BSTR | VT_BYREF;
  by_reference.pbstrVal = &name.bstrVal;
  const VARIANT* arguments[] = {&name, &by_reference, &number, &none_};
  for (const VARIANT* argument : arguments)
    EXPECT_EQ(connection_.Notify(kEventUpdateDependencies, *argument), S_OK);
  EXPECT_THAT(updates, ElementsAre("Motor", "Motor", "", ""));

  // Unknown events and events without a hook change nothing.
  connection_.SetHooks({});
  EXPECT_EQ(connection_.Notify(kEventUpdateDependencies, name), S_OK);
  EXPECT_EQ(connection_.Notify(4242, text), S_OK);
  EXPECT_FALSE(connection_.BusyFlag());
  EXPECT_EQ(updates.size(), 4u);

  VariantClear(&text);
  VariantClear(&name);
}

TEST_F(IdeConnectionTest, MessageBoxesGoToTheIdeOrElseToTheUi) {
  ConnectWithEveryService();
  host_.state().message_answer = kIdYes;
  EXPECT_EQ(connection_.ShowMessage("KOVA", "Save changes?", kMbYesNo | kMbIconWarning, 5088),
            kIdYes);
  EXPECT_EQ(connection_.ShowMessage("", "No caption", kMbOk, 5064), kIdYes);
  EXPECT_THAT(host_.Calls(kErrorMessagesProgId, 7),
              ElementsAre("KOVA|Save changes?|0|52|5088", "<null>|No caption|0|0|5064"));
  EXPECT_THAT(ui_.Calls("MessageBox"), IsEmpty());

  host_.state().refused_services.insert(kErrorMessagesProgId);
  connection_.Disconnect();
  ASSERT_EQ(connection_.Connect(host_.application()), S_OK);
  EXPECT_EQ(connection_.ShowMessage("KOVA", "Still shown", kMbOk, 5064), kIdCancel);
  EXPECT_THAT(ui_.Calls("MessageBox"), ElementsAre("KOVA|Still shown|0"));
}

}  // namespace
}  // namespace zelvan

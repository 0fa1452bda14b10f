// The IDE calls the service and the service calls the IDE by slot number,
// so the slot of each method is part of the contract. These tests call the
// recording IDE's objects the way a C client does, through the table of
// function pointers, and check which method each slot reached.
#include "service/ide_interfaces.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "com/bstr.h"
#include "tests/support/recording_ide_host.h"
#include "tests/support/vtable_call.h"

namespace zelvan {
namespace {

using testing::CallSlot;
using ::testing::ElementsAre;
using testing::RecordingIdeHost;

// The service's interface pointer of `prog_id`, as a C client holds it.
template <class Interface>
void* Object(RecordingIdeHost& host, const char* prog_id) {
  void* raw = nullptr;
  EXPECT_EQ(host.service(prog_id)->QueryInterface(InterfaceTraits<Interface>::Iid(), &raw), S_OK);
  static_cast<IUnknown*>(raw)->Release();
  return raw;
}

TEST(IdeInterfacesTest, EachMethodSitsAtItsSlot) {
  RecordingIdeHost host;
  ScopedBstr a("a"), b("b"), c("c");
  BSTR out = nullptr;
  LONG result = 0;
  VARIANT files;
  VariantInit(&files);

  void* workspace = Object<IKovaWorkspace>(host, kWorkspaceProgId);
  EXPECT_EQ(CallSlot<HRESULT>(workspace, 7, &out), S_OK);
  SysFreeString(out);
  EXPECT_EQ(CallSlot<HRESULT>(workspace, 8, a.Get(), b.Get(), LONG{10}, &out), S_OK);
  SysFreeString(out);
  CallSlot<HRESULT>(workspace, 9, a.Get(), b.Get(), c.Get());
  CallSlot<HRESULT>(workspace, 10, a.Get(), b.Get());
  CallSlot<HRESULT>(workspace, 11, a.Get());
  CallSlot<HRESULT>(workspace, 12, a.Get());
  CallSlot<HRESULT>(workspace, 13, a.Get());
  CallSlot<HRESULT>(workspace, 14);
  CallSlot<HRESULT>(workspace, 15, a.Get(), b.Get());
  CallSlot<HRESULT>(workspace, 16, a.Get());
  EXPECT_EQ(CallSlot<HRESULT>(workspace, 17, a.Get(), &files), S_OK);
  VariantClear(&files);
  EXPECT_EQ(CallSlot<HRESULT>(workspace, 18, &files), S_OK);
  VariantClear(&files);

  void* output = Object<IKovaOutputWindow>(host, kOutputWindowProgId);
  EXPECT_EQ(CallSlot<HRESULT>(output, 7), E_NOTIMPL);
  CallSlot<HRESULT>(output, 16, a.Get());
  CallSlot<HRESULT>(output, 17, a.Get(), b.Get(), LONG{1}, LONG{17}, c.Get(), LONG{0});
  CallSlot<HRESULT>(output, 18, a.Get(), LONG{0}, LONG{0});
  EXPECT_EQ(CallSlot<HRESULT>(output, 21), E_NOTIMPL);
  CallSlot<HRESULT>(output, 22, a.Get(), LONG{0}, LONG{0x40041000}, b.Get(), c.Get());

  void* messages = Object<IKovaErrorMessages>(host, kErrorMessagesProgId);
  CallSlot<HRESULT>(messages, 7, a.Get(), b.Get(), LONG{0}, LONG{4}, LONG{5088}, &result);

  void* file_view = Object<IKovaFileView>(host, kFileViewProgId);
  CallSlot<HRESULT>(file_view, 16, a.Get(), &result);
  CallSlot<HRESULT>(file_view, 17, a.Get(), b.Get(), &result);
  CallSlot<HRESULT>(file_view, 18, a.Get(), b.Get(), LONG{0}, &out);
  SysFreeString(out);
  CallSlot<HRESULT>(file_view, 22, a.Get(), b.Get(), c.Get(), &result);
  CallSlot<HRESULT>(file_view, 23, a.Get(), b.Get(), &result);
  EXPECT_EQ(CallSlot<HRESULT>(file_view, 35), E_NOTIMPL);
  CallSlot<HRESULT>(file_view, 36, a.Get(), b.Get(), c.Get(), &result);
  CallSlot<HRESULT>(file_view, 37, &result, &out);
  SysFreeString(out);

  void* build_runner = Object<IKovaBuildRunner>(host, kBuildRunnerProgId);
  EXPECT_EQ(CallSlot<HRESULT>(build_runner, 33), E_NOTIMPL);
  CallSlot<HRESULT>(build_runner, 34, &files);

  void* automation = Object<IAutomationServer>(host, kAutomationServerProgId);
  EXPECT_EQ(CallSlot<HRESULT>(automation, 15), E_NOTIMPL);
  CallSlot<HRESULT>(automation, 16, &IID_IKovaWorkspace, a.Get(), b.Get(), LONG{0}, LONG{0},
                    LONG{0x40040001}, LONG{0});

  void* archive = Object<IKovaArchiveProvider>(host, kArchiveProviderProgId);
  EXPECT_EQ(CallSlot<HRESULT>(archive, 9), E_NOTIMPL);
  for (int slot = 10; slot <= 17; ++slot)
    CallSlot<HRESULT>(archive, slot, a.Get(), LONG{0}, &result);

  std::string slots;
  for (const testing::RecordedCall& call : host.calls())
    slots += call.object + " " + std::to_string(call.slot) + ",";
  EXPECT_EQ(
      slots,
      "KOVA.Workspace 7,KOVA.Workspace 8,KOVA.Workspace 9,KOVA.Workspace 10,KOVA.Workspace 11,"
      "KOVA.Workspace 12,KOVA.Workspace 13,KOVA.Workspace 14,KOVA.Workspace 15,"
      "KOVA.Workspace 16,KOVA.Workspace 17,KOVA.Workspace 18,"
      "KOutputW.Service 16,KOutputW.Service 17,KOutputW.Service 18,KOutputW.Service 22,"
      "KErrMsg.Service 7,KFileVw.Service 16,KFileVw.Service 17,KFileVw.Service 18,"
      "KFileVw.Service 22,KFileVw.Service 23,KFileVw.Service 36,KFileVw.Service 37,"
      "KBuildSv.Service 34,AutoSrv.Service 16,KBPArc.Provider 10,KBPArc.Provider 11,"
      "KBPArc.Provider 12,KBPArc.Provider 13,KBPArc.Provider 14,KBPArc.Provider 15,"
      "KBPArc.Provider 16,KBPArc.Provider 17,");
  // The arguments arrive in order.
  EXPECT_THAT(host.Calls(kOutputWindowProgId, 22), ElementsAre("a|0|0x40041000|b|c"));
  EXPECT_THAT(host.Calls(kAutomationServerProgId, 16),
              ElementsAre(FormatGuid(IID_IKovaWorkspace) + "|a|b|0|0|0x40040001|0"));
}

}  // namespace
}  // namespace zelvan

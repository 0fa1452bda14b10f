// A COM client of ZELVAN.DLL for a Windows build, run under Wine by
// component_wine_test.sh once the DLL is registered: it creates each of the
// five classes with CoCreateInstance by ProgID, connects the Connect object
// with a recording IDE application object, and runs the Service slot cases
// of the library test (tests/support/service_slot_cases.h) through the
// component runtime: every call is IDispatch::Invoke with the member's
// DISPID (its slot) and real VARIANTs, the outs passed by reference.
//
// Three kinds of call cannot travel through IDispatch and go through the
// interface's slot instead (still on the object CoCreateInstance made): a
// null out pointer (a script has no way to pass one), the binary request
// records of the function-database slots, and a zero-terminated list of
// tree nodes by reference (through IDispatch a long by reference is one
// node). The summary counts them.
//
//   component_com_client.exe
// prints one line per check that failed and ends with "N passed, M failed";
// the exit status is 0 only when none failed.
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "com/bstr.h"
#include "com/com_ptr.h"
#include "com/variant.h"
#include "com/variant_args.h"
#include "platform/file_system.h"
#include "platform/host_platform.h"
#include "service/component_ids.h"
#include "service/component_interfaces.h"
#include "tests/support/recording_ide_host.h"
#include "tests/support/service_slot_cases.h"
#include "tests/support/temp_dir.h"

namespace zelvan {
namespace {

using testing::SlotCase;

struct Tally {
  int passed = 0;
  int failed = 0;
  int invoked = 0;       // calls made through IDispatch::Invoke
  int through_slot = 0;  // calls that cannot travel through Invoke

  void Check(bool ok, const std::string& what) {
    if (ok) {
      ++passed;
    } else {
      ++failed;
      std::printf("FAILED: %s\n", what.c_str());
    }
  }
};

Tally g_tally;

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

std::wstring Wide(std::string_view text) {
  return std::wstring(text.begin(), text.end());
}

// One argument of a call, as the VARIANT Invoke passes for it.
struct Arg {
  Arg(LONG v) : var(VariantFromLong(v)) {}
  Arg(BSTR v) {
    var.vt = VT_BSTR;
    var.bstrVal = v;
  }
  Arg(const VARIANT& v) : var(v), by_value(true) {}
  Arg(VARIANT* v) : null_out(v == nullptr) {
    var.vt = VT_VARIANT | VT_BYREF;
    var.pvarVal = v;
  }
  Arg(LONG* v) : null_out(v == nullptr) {
    var.vt = VT_I4 | VT_BYREF;
    var.plVal = v;
  }
  Arg(BSTR* v) : null_out(v == nullptr) {
    var.vt = VT_BSTR | VT_BYREF;
    var.pbstrVal = v;
  }
  Arg(IDispatch** v) : null_out(v == nullptr) {
    var.vt = VT_DISPATCH | VT_BYREF;
    var.ppdispVal = v;
  }
  Arg(IUnknown* v) {
    var.vt = VT_UNKNOWN;
    var.punkVal = v;
  }

  VARIANT var{};
  bool by_value = false;
  bool null_out = false;
};

// Calls member `id` of `target` with `args` in call order.
HRESULT Invoke(IDispatch* target, DISPID id, std::initializer_list<Arg> args) {
  std::vector<VARIANT> reversed;
  for (const Arg& arg : args) {
    reversed.insert(reversed.begin(), arg.var);
  }
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                    static_cast<UINT>(reversed.size()), 0};
  VARIANT result;
  VariantInit(&result);
  UINT arg_error = 0;
  const HRESULT hr =
      target->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, &arg_error);
  VariantClear(&result);
  ++g_tally.invoked;
  return hr;
}

// IService over IDispatch::Invoke, so that the slot cases written against
// the interface call the object as a script host does. The method's DISPID
// is its slot. An array passed by value belongs to the method once called,
// as through the slot: the call destroys the caller's after Invoke, which
// hands the method a copy.
class InvokedService final : public IService {
 public:
  InvokedService(IDispatch* target, IService* slots) : target_(target), slots_(slots) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    return target_->QueryInterface(riid, object);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return target_->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
    return target_->GetTypeInfo(index, lcid, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override {
    return target_->GetIDsOfNames(riid, names, count, lcid, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                                   UINT* arg_error) override {
    return target_->Invoke(id, riid, lcid, flags, params, result, info, arg_error);
  }

#define ZELVAN_INVOKED(slot, Name, Params, ...)                                  \
  HRESULT STDMETHODCALLTYPE Name Params override {                               \
    return Call(slot, {__VA_ARGS__}, [&] { return slots_->Name(__VA_ARGS__); }); \
  }
  // clang-format off
  ZELVAN_INVOKED(7, ActiveProjectChanged, (VARIANT a), a)
  ZELVAN_INVOKED(8, Method8, ())
  ZELVAN_INVOKED(9, Method9, ())
  HRESULT STDMETHODCALLTYPE Method10(PVOID r) override { return Slot([&] { return slots_->Method10(r); }); }
  HRESULT STDMETHODCALLTYPE Method11(PVOID r) override { return Slot([&] { return slots_->Method11(r); }); }
  ZELVAN_INVOKED(12, GetProjectInfo, (LONG k, VARIANT p, VARIANT v, BSTR* r), k, p, v, r)
  HRESULT STDMETHODCALLTYPE SetProjectInfo(LONG k, VARIANT p, VARIANT v, BSTR text) override {
    // The method frees the text; Invoke hands it a copy, so the caller's goes here.
    bool taken = false;
    const HRESULT hr = Call(13, {k, p, v, text}, [&] { taken = true; return slots_->SetProjectInfo(k, p, v, text); });
    if (!taken) SysFreeString(text);
    return hr;
  }
  ZELVAN_INVOKED(14, Method14, (VARIANT a, VARIANT* b, VARIANT c, VARIANT* d, VARIANT e, VARIANT* f), a, b, c, d, e, f)
  ZELVAN_INVOKED(15, Method15, (LONG a, VARIANT b, VARIANT* c, VARIANT d, VARIANT* e, VARIANT f, VARIANT* g, BSTR h), a, b, c, d, e, f, g, h)
  ZELVAN_INVOKED(16, GetLastStatus, (LONG* s), s)
  ZELVAN_INVOKED(17, AddLinkProject, (VARIANT a, VARIANT b), a, b)
  ZELVAN_INVOKED(18, RemoveLinkProject, (VARIANT a, VARIANT b), a, b)
  HRESULT STDMETHODCALLTYPE GetTreeNodeText(VARIANT a, BSTR* b) override { return NodeText(19, a, b); }
  HRESULT STDMETHODCALLTYPE Method20(VARIANT a, BSTR* b) override { return NodeText(20, a, b); }
  ZELVAN_INVOKED(21, SaveMakefile, (VARIANT a), a)
  ZELVAN_INVOKED(22, UpdateDependencies, (VARIANT a, VARIANT b), a, b)
  ZELVAN_INVOKED(23, AddFile, (VARIANT a, VARIANT b, VARIANT c), a, b, c)
  HRESULT STDMETHODCALLTYPE Method24(PVOID r) override { return Slot([&] { return slots_->Method24(r); }); }
  ZELVAN_INVOKED(25, AddTarget, (VARIANT a, VARIANT b, VARIANT c), a, b, c)
  ZELVAN_INVOKED(26, RemoveTarget, (VARIANT a, VARIANT b), a, b)
  ZELVAN_INVOKED(27, GetLinkProjectCount, (VARIANT a, LONG* b), a, b)
  ZELVAN_INVOKED(28, GetLinkProjectByIndex, (VARIANT a, LONG b, BSTR* c), a, b, c)
  ZELVAN_INVOKED(29, GetCpuInfo, (LONG a, VARIANT b, VARIANT c, VARIANT* d), a, b, c, d)
  ZELVAN_INVOKED(30, Method30, (VARIANT a, VARIANT b, VARIANT c), a, b, c)
  ZELVAN_INVOKED(31, OpenWorkspace, (VARIANT a), a)
  ZELVAN_INVOKED(32, CloseWorkspace, ())
  ZELVAN_INVOKED(33, SaveWorkspace, (LONG a), a)
  ZELVAN_INVOKED(34, GetIncludePaths, (LONG a, BSTR b, BSTR c, VARIANT* d), a, b, c, d)
  ZELVAN_INVOKED(35, AddProject, (VARIANT a), a)
  ZELVAN_INVOKED(36, Method36, (VARIANT a, VARIANT b), a, b)
  ZELVAN_INVOKED(37, CreateProject, (VARIANT* a, VARIANT* b, VARIANT* c, VARIANT* d, VARIANT* e, VARIANT* f), a, b, c, d, e, f)
  ZELVAN_INVOKED(38, Method38, (VARIANT* a, VARIANT* b, VARIANT* c, VARIANT* d, VARIANT* e, VARIANT* f), a, b, c, d, e, f)
  ZELVAN_INVOKED(39, Method39, (VARIANT* a, VARIANT* b, VARIANT* c, VARIANT* d, VARIANT* e, VARIANT* f), a, b, c, d, e, f)
  ZELVAN_INVOKED(40, ConvertOldProject, (VARIANT a), a)
  ZELVAN_INVOKED(41, Method41, (VARIANT a), a)
  ZELVAN_INVOKED(42, Method42, ())
  ZELVAN_INVOKED(43, Method43, ())
  ZELVAN_INVOKED(44, Method44, ())
  ZELVAN_INVOKED(45, Method45, (BSTR a), a)
  ZELVAN_INVOKED(46, Method46, (BSTR a), a)
  ZELVAN_INVOKED(47, Method47, (BSTR a), a)
  ZELVAN_INVOKED(48, Method48, (BSTR a, VARIANT b), a, b)
  ZELVAN_INVOKED(49, Method49, (BSTR a, VARIANT b), a, b)
  ZELVAN_INVOKED(50, Method50, (BSTR a, VARIANT b), a, b)
  ZELVAN_INVOKED(51, GetWorkspaceArchiveState, (LONG* a), a)
  ZELVAN_INVOKED(52, GetProjectArchiveState, (BSTR a, LONG* b), a, b)
  ZELVAN_INVOKED(53, Method53, (BSTR a, BSTR b, VARIANT* c), a, b, c)
  ZELVAN_INVOKED(54, GetLastMessage, (BSTR* a), a)
  ZELVAN_INVOKED(55, GetWorkDir, (BSTR a, BSTR b, VARIANT c, VARIANT d), a, b, c, d)
  ZELVAN_INVOKED(56, Method56, (BSTR a, BSTR b, VARIANT c, VARIANT d), a, b, c, d)
  ZELVAN_INVOKED(57, GetFileNoBuild, (BSTR a, BSTR b, BSTR c, LONG* d), a, b, c, d)
  ZELVAN_INVOKED(58, GetCpuName, (LONG a, BSTR b, VARIANT* c), a, b, c)
  ZELVAN_INVOKED(59, Method59, (BSTR a, VARIANT b), a, b)
  ZELVAN_INVOKED(60, Method60, (BSTR a, VARIANT b, VARIANT c), a, b, c)
  ZELVAN_INVOKED(61, Method61, (BSTR a, BSTR b, VARIANT c), a, b, c)
  ZELVAN_INVOKED(62, Method62, ())
  ZELVAN_INVOKED(63, Method63, ())
  ZELVAN_INVOKED(64, Method64, (BSTR a), a)
  ZELVAN_INVOKED(65, Method65, (VARIANT a, VARIANT b), a, b)
  ZELVAN_INVOKED(66, Method66, (VARIANT a, VARIANT b), a, b)
  ZELVAN_INVOKED(67, Method67, (VARIANT a, VARIANT b), a, b)
  ZELVAN_INVOKED(68, Method68, (VARIANT a, VARIANT b), a, b)
  ZELVAN_INVOKED(69, Method69, (LONG a, VARIANT b, VARIANT c), a, b, c)
  ZELVAN_INVOKED(70, Method70, (LONG a, VARIANT b, VARIANT c), a, b, c)
  ZELVAN_INVOKED(71, Method71, ())
  ZELVAN_INVOKED(72, CreateTable, (VARIANT a, VARIANT b, VARIANT c), a, b, c)
  ZELVAN_INVOKED(73, Method73, (LONG a, VARIANT b, VARIANT c, VARIANT d), a, b, c, d)
  ZELVAN_INVOKED(74, Method74, (VARIANT a, VARIANT b), a, b)
  ZELVAN_INVOKED(75, Method75, (VARIANT a, VARIANT b), a, b)
  ZELVAN_INVOKED(76, Method76, (VARIANT a), a)
  ZELVAN_INVOKED(77, SetEventData, (LONG a, BSTR b, LONG* c, LONG* d), a, b, c, d)
  ZELVAN_INVOKED(78, DeleteEventData, (LONG a), a)
  ZELVAN_INVOKED(79, UpdateProjectDependencies, (LONG a, VARIANT b, VARIANT c), a, b, c)
  ZELVAN_INVOKED(80, AddFileEx, (LONG a, VARIANT b, VARIANT c, VARIANT d), a, b, c, d)
  ZELVAN_INVOKED(81, Method81, (VARIANT a), a)
  ZELVAN_INVOKED(82, Method82, (BSTR a), a)
  ZELVAN_INVOKED(83, GetSectionsValue, (VARIANT a, VARIANT b, VARIANT c, VARIANT* d), a, b, c, d)
  ZELVAN_INVOKED(84, GetOuterValue, (VARIANT a, VARIANT b, VARIANT* c), a, b, c)
  ZELVAN_INVOKED(85, Method85, (VARIANT a), a)
  ZELVAN_INVOKED(86, CopyProject, (BSTR a), a)
  ZELVAN_INVOKED(87, RenameProject, (BSTR a, BSTR b), a, b)
  // clang-format on
#undef ZELVAN_INVOKED

 private:
  template <class Fallback>
  HRESULT Call(DISPID slot, std::initializer_list<Arg> args, Fallback through_slot) {
    for (const Arg& arg : args) {
      if (arg.null_out) return Slot(through_slot);
    }
    const HRESULT hr = zelvan::Invoke(target_, slot, args);
    for (const Arg& arg : args) {
      if (arg.by_value && (arg.var.vt & VT_ARRAY) != 0 && (arg.var.vt & VT_BYREF) == 0) {
        SafeArrayDestroy(arg.var.parray);
      }
    }
    return hr;
  }
  // A zero-terminated list of node handles by reference is the slot's
  // alone: through IDispatch a long by reference is one handle, as a
  // script's variable is.
  HRESULT NodeText(DISPID slot, VARIANT node, BSTR* text) {
    if (node.vt == (VT_I4 | VT_BYREF)) {
      return Slot([&] {
        return slot == 19 ? slots_->GetTreeNodeText(node, text) : slots_->Method20(node, text);
      });
    }
    return Call(slot, {node, text}, [&] { return slots_->GetTreeNodeText(node, text); });
  }
  template <class Fallback>
  HRESULT Slot(Fallback through_slot) {
    ++g_tally.through_slot;
    return through_slot();
  }

  IDispatch* target_;
  IService* slots_;
};

// The five classes, by their version-independent and versioned ProgIDs.
struct Created {
  const ComponentClass* entry;
  ComPtr<IDispatch> object;
};

std::vector<Created> CreateEach() {
  std::vector<Created> made;
  for (const ComponentClass& entry : kComponentClasses) {
    for (const char* prog_id : {entry.independent_prog_id, entry.prog_id}) {
      const std::wstring name = Wide(prog_id);
      CLSID clsid{};
      HRESULT hr = CLSIDFromProgID(name.c_str(), &clsid);
      g_tally.Check(
          hr == S_OK && IsEqualCLSID(clsid, entry.clsid),
          std::string("CLSIDFromProgID ") + prog_id + ": " + Hex(hr) + " " + FormatGuid(clsid));
      ComPtr<IDispatch> object;
      hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                            reinterpret_cast<void**>(object.ReleaseAndGetAddressOf()));
      g_tally.Check(hr == S_OK && object,
                    std::string("CoCreateInstance ") + prog_id + ": " + Hex(hr));
      if (object && prog_id == entry.prog_id) made.push_back({&entry, object});
    }
  }
  return made;
}

IDispatch* Find(const std::vector<Created>& made, const char* object) {
  for (const Created& c : made) {
    if (std::string(c.entry->object) == object) return c.object.Get();
  }
  return nullptr;
}

// The product version in the version resource of the loaded ZELVAN.DLL.
bool DllVersion(LONG* most, LONG* least) {
  HMODULE module = GetModuleHandleW(L"ZELVAN.DLL");
  wchar_t path[MAX_PATH];
  if (module == nullptr || GetModuleFileNameW(module, path, MAX_PATH) == 0) return false;
  DWORD ignored = 0;
  std::vector<char> data(GetFileVersionInfoSizeW(path, &ignored));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (data.empty() || !GetFileVersionInfoW(path, 0, static_cast<DWORD>(data.size()), data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length)) {
    return false;
  }
  *most = static_cast<LONG>(info->dwProductVersionMS);
  *least = static_cast<LONG>(info->dwProductVersionLS);
  return true;
}

void CheckSmallObjects(const std::vector<Created>& made) {
  VariantArgs a;
  // Connect: the kind of component.
  BSTR kind = nullptr;
  HRESULT hr = Invoke(Find(made, "Connect"), 9, {&kind});
  g_tally.Check(hr == S_OK && TextFromBstr(kind) == "COMPONENT",
                "Connect.GetComponentKind: " + Hex(hr) + " " + TextFromBstr(kind));
  SysFreeString(kind);
  // Version: what the version resource of the DLL says.
  LONG most = -1;
  LONG least = -1;
  LONG file_most = 0;
  LONG file_least = 0;
  hr = Invoke(Find(made, "Version"), 7, {&most, &least});
  const bool has_resource = DllVersion(&file_most, &file_least);
  char line[120];
  std::snprintf(line, sizeof line, "Version.Method7: %s 0x%08lX 0x%08lX, resource 0x%08lX 0x%08lX",
                Hex(hr).c_str(), most, least, file_most, file_least);
  g_tally.Check(hr == S_OK && has_resource && most == file_most && least == file_least, line);
  // Command: the running objects by the last part of a ProgID.
  for (const char* prog_id :
       {"Zelvan.Service", "Zelvan.version", "Zelvan.Project", "Zelvan.Other"}) {
    ComPtr<IDispatch> found;
    hr = Invoke(Find(made, "Command"), 8, {a.Bstr(prog_id), found.ReleaseAndGetAddressOf()});
    const bool expect = std::string(prog_id) != "Zelvan.Other";
    g_tally.Check(hr == S_OK && static_cast<bool>(found) == expect,
                  std::string("Command.Method8 ") + prog_id + ": " + Hex(hr));
  }
}

// Runs one list of cases on a workspace of its own, in the folder `title`
// below `dir`; paths as the component sees them.
void RunCases(IDispatch* service_dispatch, testing::RecordingIdeHost& ide,
              const testing::TempDir& dir, FileSystem& fs, const char* title,
              const std::function<std::vector<SlotCase>(const testing::SlotCasePath&)>& cases) {
  const testing::SlotCasePath at = [&](std::string_view relative) {
    return fs.FromHostPath(dir.HostPath(std::string(title) + "/" + std::string(relative)));
  };
  for (const auto& [path, text] : testing::SlotCaseFiles()) {
    dir.WriteFile(std::string(title) + "/" + path, text);
  }
  ide.state().project_files = testing::SlotCaseProjects(at);
  ide.state().active_project = ide.state().project_files.front();

  ComPtr<IService> slots;
  ComPtr<IDispatch>(service_dispatch).As(&slots);
  InvokedService service(service_dispatch, slots.Get());
  VariantArgs args;
  HRESULT hr = service.OpenWorkspace(args.Text(at("ws/Demo.kws")));
  g_tally.Check(hr == S_OK, std::string(title) + ": OpenWorkspace " + Hex(hr));
  args.Clear();
  const std::vector<SlotCase> list = cases(at);
  const std::vector<std::string> failures = testing::RunSlotCases(&service, args, list);
  for (const std::string& failure : failures) {
    g_tally.Check(false, std::string(title) + ": " + failure);
  }
  g_tally.passed += static_cast<int>(list.size()) - static_cast<int>(failures.size());
  service.CloseWorkspace();
}

int Run() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::printf("FAILED: CoInitializeEx\n");
    return 1;
  }
  {
    // TEMP is read by the module as it loads: set before the first object.
    testing::TempDir dir;
    dir.WriteFile("temp/.keep", "");
    std::unique_ptr<HostPlatform> host = HostPlatform::Create(nullptr);
    FileSystem& fs = *host->platform().fs;
    SetEnvironmentVariableW(L"TEMP", Wide(fs.FromHostPath(dir.HostPath("temp"))).c_str());
    std::vector<Created> made = CreateEach();
    IDispatch* connect = Find(made, "Connect");
    IDispatch* service = Find(made, "Service");
    if (made.size() == 5 && connect != nullptr && service != nullptr) {
      testing::RecordingIdeHost ide;
      VariantArgs a;
      HRESULT hr =
          Invoke(connect, 7, {static_cast<IUnknown*>(ide.application()), a.Empty(), a.Empty()});
      g_tally.Check(hr == S_OK, "Connect.Connect: " + Hex(hr));
      CheckSmallObjects(made);
      FunctionDatabaseRequest record;
      RunCases(service, ide, dir, fs, "queries", [&record](const testing::SlotCasePath& at) {
        return testing::QuerySlotCases(at, &record);
      });
      RunCases(service, ide, dir, fs, "changes", testing::ChangeSlotCases);
      RunCases(service, ide, dir, fs, "projects", testing::ProjectSlotCases);
      hr = Invoke(connect, 8, {});
      g_tally.Check(hr == S_OK, "Connect.Disconnect: " + Hex(hr));
    }
  }
  CoFreeUnusedLibraries();
  CoUninitialize();
  std::printf("%d calls through IDispatch::Invoke, %d through the slot\n", g_tally.invoked,
              g_tally.through_slot);
  std::printf("%d passed, %d failed\n", g_tally.passed, g_tally.failed);
  return g_tally.failed == 0 ? 0 : 1;
}

}  // namespace
}  // namespace zelvan

int main() {
  return zelvan::Run();
}

// A COM client of ZELVAN.DLL for a Windows build, run under Wine by
// component_wine_test.sh once the DLL is registered: it creates each of the
// five classes with CoCreateInstance by ProgID, checks the Version object
// against the DLL's version resource, and runs every suite of the slot table
// (tests/support/slot_table.h) through the component runtime: each call is
// IDispatch::Invoke with the member's DISPID (its slot) and real VARIANTs,
// on objects CoCreateInstance made, connected with a recording IDE. Each
// suite loads the DLL afresh, as the library test does.
//
//   component_com_client.exe
// prints one line per check that failed and ends with "N passed, M failed";
// the exit status is 0 only when none failed.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "com/com_ptr.h"
#include "com/dispatch_object.h"
#include "com/variant.h"
#include "platform/file_system.h"
#include "platform/host_platform.h"
#include "service/component_ids.h"
#include "tests/support/slot_table.h"
#include "tests/support/temp_dir.h"

namespace zelvan {
namespace {

struct Tally {
  int passed = 0;
  int failed = 0;

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

// The Version object answers what the version resource of the DLL says.
void CheckVersion(IDispatch* version) {
  LONG most = -1;
  LONG least = -1;
  VARIANT outs[2];
  outs[0].vt = outs[1].vt = VT_I4 | VT_BYREF;
  outs[0].plVal = &most;
  outs[1].plVal = &least;
  const HRESULT hr = CallDispatch(version, 7, DISPATCH_METHOD, outs, 2, nullptr);
  LONG file_most = 0;
  LONG file_least = 0;
  const bool has_resource = DllVersion(&file_most, &file_least);
  char line[120];
  std::snprintf(line, sizeof line, "Version.Method7: %s 0x%08lX 0x%08lX, resource 0x%08lX 0x%08lX",
                Hex(hr).c_str(), most, least, file_most, file_least);
  g_tally.Check(hr == S_OK && has_resource && most == file_most && least == file_least, line);
}

ComPtr<IDispatch> CreateByClsid(const CLSID& clsid) {
  ComPtr<IDispatch> object;
  const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                      reinterpret_cast<void**>(object.ReleaseAndGetAddressOf()));
  g_tally.Check(hr == S_OK, "CoCreateInstance " + FormatGuid(clsid) + ": " + Hex(hr));
  return object;
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
    {
      std::vector<Created> made = CreateEach();
      if (IDispatch* version = Find(made, "Version")) CheckVersion(version);
    }
    int rows = 0;
    for (const testing::SlotSuite& suite : testing::SlotSuites()) {
      {
        testing::SlotTable table(fs);
        std::vector<std::string> failures = table.Open(CreateByClsid);
        if (failures.empty()) {
          failures = table.Run(suite.rows);
          rows += static_cast<int>(suite.rows.size());
          g_tally.passed += static_cast<int>(suite.rows.size() - failures.size());
          // The connection holds objects of the module until it ends.
          ComPtr<IDispatch> connect = CreateByClsid(CLSID_Connect);
          if (connect) CallDispatch(connect.Get(), 8, DISPATCH_METHOD, nullptr, 0, nullptr);
        }
        for (const std::string& failure : failures) {
          g_tally.Check(false, std::string(suite.name) + ": " + failure);
        }
      }
      // The next suite starts on a fresh load, as a script host's would.
      CoFreeUnusedLibraries();
      g_tally.Check(GetModuleHandleW(L"ZELVAN.DLL") == nullptr,
                    std::string(suite.name) + ": ZELVAN.DLL stayed loaded");
    }
    std::printf("%d rows of %d suites through IDispatch::Invoke\n", rows,
                static_cast<int>(testing::SlotSuites().size()));
  }
  CoUninitialize();
  std::printf("%d passed, %d failed\n", g_tally.passed, g_tally.failed);
  return g_tally.failed == 0 ? 0 : 1;
}

}  // namespace
}  // namespace zelvan

int main() {
  return zelvan::Run();
}

// The component's objects called by name with any arguments, as a script
// host could: random members of the five objects, random numbers of
// VARIANTs of every kind (by value and by reference, strings of any bytes,
// arrays with odd bounds, arrays the runtime refuses to make), on a
// workspace of two projects in memory. No call may crash, each must answer
// S_OK, S_FALSE or a failure, and no object may stay referenced after an
// input. The platform, the module, the five objects and the connection to
// the IDE are made once; each input starts from the same state
// (World::Reset).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "com/com_ptr.h"
#include "com/dispatch_object.h"
#include "com/safe_array.h"
#include "com/variant.h"
#include "dependencies/dependency_updater.h"
#include "service/component_ids.h"
#include "service/component_module.h"
#include "service/ide_connection.h"
#include "tests/support/model_test_platform.h"
#include "tests/support/recording_ide_host.h"
#include "tests/support/recording_ide_services.h"

namespace {

using namespace zelvan;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool empty() const { return pos_ >= size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  LONG Long() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
      value = value << 8 | Byte();
    return static_cast<LONG>(value);
  }
  std::string Text() {
    std::string text;
    for (size_t n = Byte() % 24; n > 0 && !empty(); --n)
      text += static_cast<char>(Byte());
    return text;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// Names worth sending: the workspace's projects, targets and files.
const char* const kWords[] = {"App",     "Lib",    "App.abs",          "Debug",
                              "Release", "main.c", "C:\\ws\\Demo.kws", "C:\\ws\\app\\util.c",
                              "",        "Src",    "PROJECT"};

// What the by-reference arguments of one call point to; freed afterwards.
struct Targets {
  std::deque<BSTR> bstrs;
  std::deque<VARIANT> variants;
  std::deque<std::vector<LONG>> longs;
  std::deque<SAFEARRAY*> arrays;
  std::deque<IDispatch*> objects;
  ~Targets() {
    for (BSTR b : bstrs)
      SysFreeString(b);
    for (VARIANT& v : variants)
      VariantClear(&v);
    for (SAFEARRAY* a : arrays)
      SafeArrayDestroy(a);
    for (IDispatch* o : objects)
      if (o != nullptr) o->Release();
  }
};

std::string Word(Reader& in) {
  const uint8_t pick = in.Byte();
  if (pick < 200) return kWords[pick % (sizeof kWords / sizeof kWords[0])];
  return in.Text();
}

SAFEARRAY* Array(Reader& in, VARTYPE element) {
  SAFEARRAYBOUND bound{static_cast<ULONG>(in.Byte() % 5), static_cast<LONG>(in.Long() % 1000)};
  // Two dimensions are refused by the runtime: the VARIANT then holds none.
  SAFEARRAY* psa = SafeArrayCreate(element, 1 + in.Byte() % 8 / 7, &bound);
  for (ULONG i = 0; psa != nullptr && i < bound.cElements; ++i) {
    LONG index = bound.lLbound + static_cast<LONG>(i);
    if (element == VT_BSTR) {
      BSTR text = BstrFromText(Word(in));
      SafeArrayPutElement(psa, &index, text);
      SysFreeString(text);
    } else if (element == VT_I4) {
      LONG value = in.Long() % 16;
      SafeArrayPutElement(psa, &index, &value);
    } else {
      VARIANT value = in.Byte() % 2 ? VariantFromText(Word(in)) : VariantFromLong(in.Byte());
      SafeArrayPutElement(psa, &index, &value);
      VariantClear(&value);
    }
  }
  return psa;
}

VARIANT Argument(Reader& in, Targets& targets, IDispatch* application, int depth = 0) {
  VARIANT v;
  VariantInit(&v);
  const VARTYPE element[] = {VT_BSTR, VT_I4, VT_VARIANT};
  switch (in.Byte() % 16) {
    case 0:
      break;
    case 1:
      v.vt = VT_NULL;
      break;
    case 2:
    case 3:
      v = VariantFromLong(in.Byte() % 2 ? in.Long() : in.Byte() % 12);
      break;
    case 4:
    case 5:
    case 6:
      v = VariantFromText(Word(in));
      break;
    case 7:
      targets.bstrs.push_back(BstrFromText(Word(in)));
      v.vt = VT_BSTR | VT_BYREF;
      v.pbstrVal = &targets.bstrs.back();
      break;
    case 8:
      // A list by reference ends at its first 0.
      targets.longs.push_back({in.Long(), in.Byte() % 9, 0});
      v.vt = VT_I4 | VT_BYREF;
      v.plVal = targets.longs.back().data();
      break;
    case 9:
      targets.variants.push_back(depth == 0 ? Argument(in, targets, application, 1) : VARIANT{});
      v.vt = VT_VARIANT | VT_BYREF;
      v.pvarVal = &targets.variants.back();
      break;
    case 10:
    case 11: {
      const VARTYPE type = element[in.Byte() % 3];
      v.vt = VT_ARRAY | type;
      v.parray = Array(in, type);
      break;
    }
    case 12:
      targets.arrays.push_back(Array(in, VT_BSTR));
      v.vt = VT_ARRAY | VT_BSTR | VT_BYREF;
      v.pparray = &targets.arrays.back();
      break;
    case 13:
      v.vt = VT_DISPATCH;
      v.pdispVal = in.Byte() % 2 ? application : nullptr;
      if (v.pdispVal != nullptr) v.pdispVal->AddRef();
      break;
    case 14:
      targets.objects.push_back(nullptr);
      v.vt = VT_DISPATCH | VT_BYREF;
      v.ppdispVal = &targets.objects.back();
      break;
    default:
      v.vt = static_cast<VARTYPE>(in.Byte() % 2 ? VT_R8 : VT_BOOL);
      break;
  }
  return v;
}

// The fixed world, made once: the platform with the workspace's files, the
// recording IDE, the component module, its five objects and its connection
// to the IDE. The objects keep nothing of their own (what calls do stays in
// the module), so they serve every input; one input in eight calls five made
// for it instead, which go with it. The connection is made again only after
// an input that connected, disconnected or told the component a build
// began: connecting makes the connection's three objects and reads the
// settings, which would otherwise be most of an input's work. Reset takes
// the rest back to its first state after each input (files, environment,
// the IDE's answers), so that inputs do not depend on each other and what an
// input made is freed before it ends (libFuzzer checks for leaks after every
// input that frees less than it allocated).
class World {
 public:
  World() : module_(env_.platform, {"C:\\Zelvan\\libzelvan_component.so", ""}) {
    for (const auto& [path, text] : kFiles)
      env_.AddFile(path, text);
    for (const std::string& file : env_.memory.AllFiles())
      fixed_.insert(file);
    initial_env_ = env_.system.env;
    // One thread: an input must do the same each time it runs, and a refresh
    // on two would start a thread for every input.
    module_.dependencies().SetThreads(1);
    kept_ = CreateObjects();
    Reset();
    Connect();
    // Counted once, before any input could hold a reference.
    connected_references_ = module_.References();
  }

  // Connected to the recording IDE, as an IDE connects once per session.
  void Connect() {
    VARIANT connect[] = {VARIANT{}, VARIANT{}, VARIANT{}};
    connect[0].vt = VT_DISPATCH;
    connect[0].pdispVal = application();
    CallDispatch(kept_[0].Get(), 7, DISPATCH_METHOD, connect, 3, nullptr);
  }

  // After an input: a connection that the input changed is made anew.
  void Reconnect(bool connection_called) {
    if (!connection_called && !module_.connection().BusyFlag()) return;
    VARIANT none{};
    CallDispatch(kept_[0].Get(), 8, DISPATCH_METHOD, &none, 0, nullptr);
    Connect();
  }

  std::vector<ComPtr<IDispatch>> CreateObjects() {
    std::vector<ComPtr<IDispatch>> objects;
    for (const ComponentClass& entry : kComponentClasses) {
      ComPtr<IDispatch> object;
      module_.CreateObject(entry.clsid, IID_IDispatch,
                           reinterpret_cast<void**>(object.ReleaseAndGetAddressOf()));
      if (!object) std::abort();
      objects.push_back(object);
    }
    return objects;
  }

  const std::vector<ComPtr<IDispatch>>& kept() const { return kept_; }

  // Nothing an input did holds an object: the module counts the kept
  // objects and the connection's alone, and each of the kept ones once.
  bool Unreferenced() {
    for (const ComPtr<IDispatch>& object : kept_) {
      object->AddRef();
      if (object->Release() != 1) return false;
    }
    return module_.References() == connected_references_;
  }

  void Reset() {
    // What the profile cache still holds goes to the files that go next.
    env_.profile.FlushAll();
    for (const std::string& file : env_.memory.AllFiles()) {
      if (fixed_.count(file) == 0) {
        env_.profile.Forget(file);
        env_.memory.SetReadOnly(file, false);
        env_.memory.DeleteFile(file);
      }
    }
    // A file whose time did not move was not touched (every change stamps a new one).
    for (size_t i = 0; i < std::size(kFiles); ++i) {
      FileStatus status;
      if (env_.memory.Stat(kFiles[i].first, &status) && !status.read_only &&
          status.mtime_ns == stamps_[i]) {
        continue;
      }
      env_.memory.SetReadOnly(kFiles[i].first, false);
      env_.AddFile(kFiles[i].first, kFiles[i].second);
      env_.memory.Stat(kFiles[i].first, &status);
      stamps_[i] = status.mtime_ns;
    }
    env_.fs.TakeFailedWrites();
    env_.ide.calls.clear();
    env_.ide.settings.clear();
    if (env_.system.env != initial_env_) env_.system.env = initial_env_;
    env_.system.named_objects.clear();
    ide_.state() = testing::RecordingIdeState();
    ide_.state().project_files = {"C:\\ws\\app\\App.kbp", "C:\\ws\\lib\\Lib.kbp"};
    ide_.state().active_project = "C:\\ws\\app\\App.kbp";
  }

  ComponentModule& module() { return module_; }
  IDispatch* application() { return ide_.application(); }

 private:
  static constexpr std::pair<const char*, const char*> kFiles[] = {
      {"C:\\ws\\app\\App.kbp",
       "[PROJECT]\r\nOUTPUT=App.abs\r\nCPU=MX-520\r\nTARGET=Debug;Release;\r\n"
       "Folder=Src;\r\n[Src]\r\nFILTER=c\r\nSOURCECOUNT=1\r\nSOURCE0=main.c\r\n"},
      {"C:\\ws\\app\\main.c", "#include \"main.h\"\n"},
      {"C:\\ws\\app\\util.c", "int util;\n"},
      {"C:\\ws\\lib\\Lib.kbp", "[PROJECT]\r\nOUTPUT=Lib.lib\r\nTARGET=Debug;\r\n"},
  };

  testing::ModelTestPlatform env_;
  testing::RecordingIdeHost ide_;
  ComponentModule module_;
  std::vector<ComPtr<IDispatch>> kept_;
  int64_t connected_references_ = 0;        // the kept objects and the connection's
  int64_t stamps_[std::size(kFiles)] = {};  // of kFiles, when last written
  std::set<std::string> fixed_;
  std::map<std::string, std::string> initial_env_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static World* world = new World();
  Reader in(data, size);
  bool connection_called = false;
  {
    const uint8_t first = in.Byte();
    std::vector<ComPtr<IDispatch>> made;
    if (first / 4 % 8 == 3) made = world->CreateObjects();
    const std::vector<ComPtr<IDispatch>>& objects = made.empty() ? world->kept() : made;
    IDispatch* application = world->application();
    // Every run starts on the workspace just opened (opening frees the one
    // before, so what an input keeps balances what it frees); most are
    // connected to the IDE, the others are not.
    VARIANT open = VariantFromText("C:\\ws\\Demo.kws");
    CallDispatch(objects[2].Get(), 31, DISPATCH_METHOD, &open, 1, nullptr);
    VariantClear(&open);
    if (first % 4 == 0) {
      CallDispatch(objects[0].Get(), 8, DISPATCH_METHOD, &open, 0, nullptr);
      connection_called = true;
    }
    for (int calls = 0; calls < 48 && !in.empty(); ++calls) {
      const size_t which = in.Byte() % objects.size();
      IDispatch* target = objects[which].Get();
      const DISPID id = in.Byte() % 92;
      connection_called |= which == 0 && (id == 7 || id == 8);
      const UINT count = in.Byte() % 9;
      Targets targets;
      std::vector<VARIANT> args;
      for (UINT i = 0; i < count; ++i)
        args.push_back(Argument(in, targets, application));
      VARIANT result;
      VariantInit(&result);
      const WORD flags = in.Byte() % 8 == 0 ? DISPATCH_PROPERTYPUT : DISPATCH_METHOD;
      const HRESULT hr = CallDispatch(target, id, flags, args.data(), count, &result);
      if (hr != S_OK && hr != S_FALSE && SUCCEEDED(hr)) std::abort();
      VariantClear(&result);
      for (VARIANT& arg : args)
        VariantClear(&arg);
    }
  }
  world->Reconnect(connection_called);
  if (!world->Unreferenced()) std::abort();
  world->Reset();
  return 0;
}

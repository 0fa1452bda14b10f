// The component commands: load the component module the way a host does,
// and call its objects by name as a script host would (`call`), or have it
// write and remove its registration (`register`, `unregister`).
//
// `call` loads the module the registry names for "Zelvan.Connect"; when the
// classes are not registered (or that module cannot be loaded), the module
// beside this program, which `register` and `unregister` always take. `call`
// connects it to the headless host's IDE objects first, so the workspace
// of -w is served as the IDE would serve it, and opens that workspace
// through the Service object before the call.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/cli_command.h"
#include "cli/component_host.h"
#include "cli/session_files.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "service/component_ids.h"
#include "service/component_interfaces.h"
#include "service/component_module.h"
#include "service/component_object.h"

namespace zelvan::cli {
namespace {

struct CallArgs {
  std::string member;  // OBJECT.METHOD
  std::vector<std::string> words;
  bool save = false;
  bool list = false;
  CLI::App* command = nullptr;

  // Every word from OBJECT.METHOD on is the call's.
  void Finish() {
    std::vector<std::string> remaining = command->remaining();
    if (remaining.empty()) return;
    member = remaining.front();
    words.assign(remaining.begin() + 1, remaining.end());
  }
};

// A VARIANT that frees what it holds.
struct Argument {
  VARIANT value;
  Argument() { VariantInit(&value); }
  ~Argument() { VariantClear(&value); }
  Argument(const Argument&) = delete;
  Argument& operator=(const Argument&) = delete;
};

// The call's arguments from the words after OBJECT.METHOD: text by default;
// "--long N", "--strings a;b;c" (a string array), "--empty", "--missing"
// (an optional argument left out, as a script leaves one); "--" makes every
// later word text.
bool ParseArguments(const std::vector<std::string>& words, std::vector<VARIANT>* args,
                    std::string* error) {
  bool options = true;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    VARIANT v;
    VariantInit(&v);
    if (options && word == "--") {
      options = false;
      continue;
    }
    if (options && (word == "--empty" || word == "--missing")) {
      if (word == "--missing") {
        v.vt = VT_ERROR;
        v.scode = DISP_E_PARAMNOTFOUND;
      }
      args->push_back(v);
      continue;
    }
    if (options && (word == "--long" || word == "--strings")) {
      if (i + 1 >= words.size()) {
        *error = word + " needs a value";
        return false;
      }
      const std::string& value = words[++i];
      if (word == "--long") {
        char* end = nullptr;
        errno = 0;
        const long long number = std::strtoll(value.c_str(), &end, 0);
        if (value.empty() || *end != '\0' || errno != 0 || number < INT32_MIN ||
            number > UINT32_MAX) {
          *error = "--long takes a 32-bit number, not \"" + value + "\"";
          return false;
        }
        v = VariantFromLong(static_cast<LONG>(number));
      } else {
        std::vector<std::string> items;
        for (size_t start = 0; !value.empty() && start <= value.size();) {
          size_t end = value.find(';', start);
          if (end == std::string::npos) end = value.size();
          items.push_back(value.substr(start, end - start));
          start = end + 1;
        }
        v.vt = VT_ARRAY | VT_BSTR;
        v.parray = SafeArrayFromStrings(items);
      }
      args->push_back(v);
      continue;
    }
    args->push_back(VariantFromText(word));
  }
  return true;
}

std::string FormatValue(const VARIANT& v) {
  switch (v.vt) {
    case VT_EMPTY:
      return "(empty)";
    case VT_I4:
      return std::to_string(v.lVal);
    case VT_BSTR:
      return "\"" + TextFromBstr(v.bstrVal) + "\"";
    case VT_DISPATCH:
      return v.pdispVal != nullptr ? "(object)" : "(null object)";
    case VT_ARRAY | VT_BSTR: {
      std::vector<std::string> items;
      StringsFromSafeArray(v.parray, &items);
      std::string text = "[";
      for (size_t i = 0; i < items.size(); ++i) {
        text += (i > 0 ? ", \"" : "\"") + items[i] + "\"";
      }
      return text + "]";
    }
    default:
      return StringPrintf("(type %u)", static_cast<unsigned>(v.vt));
  }
}

// Prints the out values a call returned: one value, or an array of them.
void PrintOuts(const VARIANT& result) {
  if (result.vt == (VT_ARRAY | VT_VARIANT) && result.parray != nullptr) {
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(result.parray, 1, &lower);
    SafeArrayGetUBound(result.parray, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
      VARIANT item;
      VariantInit(&item);
      SafeArrayGetElement(result.parray, &i, &item);
      std::cout << "out[" << i - lower << "]: " << FormatValue(item) << "\n";
      VariantClear(&item);
    }
  } else if (result.vt != VT_EMPTY) {
    std::cout << "out: " << FormatValue(result) << "\n";
  }
}

int Fail(const std::string& message, int status = kExitFailed) {
  std::cerr << "zelvan: " << message << "\n";
  return status;
}

int RunCall(const GlobalOptions& options, const CallArgs& args) {
  const size_t dot = args.member.find('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == args.member.size()) {
    return Fail("name the method as OBJECT.METHOD (for example Service.GetLastStatus)", kExitUsage);
  }
  const std::string object_name = args.member.substr(0, dot);
  const std::string method = args.member.substr(dot + 1);
  std::vector<VARIANT> call_args;
  std::string error;
  struct ArgsGuard {
    std::vector<VARIANT>& args;
    ~ArgsGuard() {
      for (VARIANT& v : args)
        VariantClear(&v);
    }
  } guard{call_args};
  if (!ParseArguments(args.words, &call_args, &error)) return Fail(error, kExitUsage);

  ComponentHost component(options);
  if (!component.OpenRegistered(&error)) {
    return Fail("cannot load the component: " + error);
  }

  int status = kExitFailed;
  {
    ComPtr<IDispatch> connect;
    ComPtr<IDispatch> service;
    ComPtr<IDispatch> target;
    if (FAILED(component.CreateRegistered("Connect", &connect, &error)) ||
        FAILED(component.CreateRegistered("Service", &service, &error))) {
      return Fail("the component made no objects: " + error);
    }
    if (const HRESULT hr = component.CreateRegistered(object_name, &target, &error); FAILED(hr)) {
      return Fail(error, hr == CLASS_E_CLASSNOTAVAILABLE ? kExitUsage : kExitFailed);
    }
    ComPtr<IConnect> connection;
    ComPtr<IService> workspace;
    connect.As(&connection);
    service.As(&workspace);
    Argument none;
    if (connection->Connect(component.Application(), none.value, none.value) != S_OK) {
      std::cerr << "zelvan: warning: the component could not connect to the host\n";
    }

    bool opened = false;
    if (!options.workspace.empty()) {
      FileSystem& fs = *component.platform().fs;
      const std::string path = CommandLinePath(fs, options.workspace, std::cerr);
      if (EqualsNoCase(SplitPath(path).extension, ".kbp")) {
        component.host().UseSingleProject(path);
      } else if (!component.host().LoadWorkspaceFile(path, &error)) {
        return Fail(error);
      }
      Argument workspace_path;
      workspace_path.value = VariantFromText(component.host().WorkspacePath());
      if (workspace->OpenWorkspace(workspace_path.value) != S_OK) {
        std::cerr << "zelvan: warning: the workspace " << path << " did not open\n";
      }
      opened = true;
    }

    ScopedBstr name(method);
    LPOLESTR names[] = {name.Get()};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(target->GetIDsOfNames(IID_NULL, names, 1, 0, &id))) {
      return Fail("the " + object_name + " object has no method " + method, kExitUsage);
    }
    Argument result;
    UINT arg_error = 0;
    const HRESULT hr = CallDispatch(target.Get(), id, DISPATCH_METHOD, call_args.data(),
                                    static_cast<UINT>(call_args.size()), &result.value, &arg_error);
    std::cout << StringPrintf("HRESULT 0x%08X", static_cast<unsigned>(hr));
    if (hr == DISP_E_TYPEMISMATCH) std::cout << " (argument " << arg_error + 1 << ")";
    if (hr == DISP_E_BADPARAMCOUNT) std::cout << " (wrong number of arguments)";
    std::cout << "\n";
    PrintOuts(result.value);

    LONG last_status = 0;
    ScopedBstr last_message;
    workspace->GetLastStatus(&last_status);
    workspace->GetLastMessage(last_message.Receive());
    std::cout << StringPrintf("status 0x%08X", static_cast<unsigned>(last_status));
    if (last_status != 0) std::cout << ": " << last_message.Text();
    std::cout << "\n";
    status = hr == S_OK ? kExitOk : kExitFailed;
    if (status != kExitOk) {
      std::cerr << "zelvan: " << args.member
                << StringPrintf(" answered 0x%08X", static_cast<unsigned>(hr)) << "\n";
    }

    if (opened) {
      if (args.save && workspace->SaveWorkspace(0) != S_OK) status = kExitFailed;
      workspace->CloseWorkspace();
    }
    connection->Disconnect();
  }
  return status;
}

// How a parameter is given on the command line.
const char* ShapeText(Shape shape) {
  switch (shape) {
    case Shape::kVariant:
    case Shape::kVariantRef:
      return "value";
    case Shape::kOptionalVariant:
      return "[value]";
    case Shape::kBstr:
    case Shape::kOwnedBstr:
      return "text";
    case Shape::kLong:
      return "--long N";
    case Shape::kUnknown:
      return "object";
    case Shape::kRequest:
      return "request (none)";
    case Shape::kOutLong:
      return "out number";
    case Shape::kOutBstr:
      return "out text";
    case Shape::kOutVariant:
      return "out value";
    case Shape::kOutDispatch:
      return "out object";
  }
  return "?";
}

// `call --list`: every object and its methods with their parameters, as the
// objects themselves publish them (made here, not through the registry).
// Out parameters may be left out of a call; their values are printed.
int RunCallList(const GlobalOptions& options) {
  ComponentHost component(options);
  ComponentModule module(component.platform(), {"libzelvan_component.so", ""});
  for (const ComponentClass& entry : kComponentClasses) {
    ComPtr<IDispatch> object;
    if (FAILED(module.CreateObject(entry.clsid, IID_IDispatch,
                                   reinterpret_cast<void**>(object.ReleaseAndGetAddressOf())))) {
      return Fail(std::string("the component made no ") + entry.object + " object");
    }
    const auto* described = dynamic_cast<const DescribedObject*>(object.Get());
    if (described == nullptr) continue;
    std::cout << entry.object << "\n";
    for (const MemberSignature& member : described->Signatures()) {
      std::cout << "  " << entry.object << "." << member.name << "(";
      for (size_t i = 0; i < member.shapes.size(); ++i)
        std::cout << (i > 0 ? ", " : "") << ShapeText(member.shapes[i]);
      std::cout << ")\n";
    }
  }
  return kExitOk;
}

int RunCallOrList(const GlobalOptions& options, const CallArgs& args) {
  return args.list ? RunCallList(options) : RunCall(options, args);
}

int RunRegistration(const GlobalOptions& options, bool install) {
  ComponentHost component(options);
  std::string error;
  // The module this program comes with, whatever the registry names now.
  InprocServerModule* module = component.Module(false, &error);
  if (module == nullptr) return Fail("cannot load the component: " + error);
  const HRESULT hr = install ? module->RegisterServer() : module->UnregisterServer();
  std::cout << StringPrintf("HRESULT 0x%08X", static_cast<unsigned>(hr)) << "\n";
  if (FAILED(hr)) {
    return Fail(install ? "the registry did not take the classes"
                        : "the registry did not let the classes go");
  }
  std::cout << (install ? "registered " : "unregistered ")
            << component.platform().fs->ToHostPath(component.ModulePath()) << "\n";
  return kExitOk;
}

int RunRegister(const GlobalOptions& options, const std::monostate&) {
  return RunRegistration(options, true);
}

int RunUnregister(const GlobalOptions& options, const std::monostate&) {
  return RunRegistration(options, false);
}

void CallOptions(CLI::App& cmd, CallArgs& args) {
  args.command = &cmd;
  cmd.add_flag("--save", args.save, "Save the workspace of -w after the call");
  cmd.add_flag("--list", args.list,
               "List the objects and their methods with their parameters, and call none");
  cmd.prefix_command();
  // Every word from OBJECT.METHOD on is the call's, none the top level's.
  cmd.fallthrough(false);
}

const CommandEntry kComponentCommands[] = {
    {.name = "call",
     .help = "Call a method of the component by name, as a script does: zelvan call "
             "OBJECT.METHOD [ARG...]; arguments are text, --long N, --strings 'a;b;c', "
             "--empty or --missing (an optional one left out). Prints the HRESULT, the out values "
             "and the workspace's status",
     .set_up = SetUp(CallOptions, RunCallOrList)},
    {.name = "register",
     .help = "Register the component's classes (Zelvan.Connect and the others)",
     .set_up = SetUp<std::monostate>(nullptr, RunRegister)},
    {.name = "unregister",
     .help = "Remove the component's registration",
     .set_up = SetUp<std::monostate>(nullptr, RunUnregister)},
};

}  // namespace

void RegisterComponentCommands(const CommandRegistry& registry) {
  AddCommands(registry, *registry.app, kComponentCommands);
}

}  // namespace zelvan::cli

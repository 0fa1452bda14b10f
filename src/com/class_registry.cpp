#include "com/class_registry.h"

#include <utility>
#include <vector>

#include "platform/registry.h"

namespace zelvan {
namespace {

std::string ClassesKey(std::string_view below) {
  std::string key(kClassesRootKey);
  key += '\\';
  key += below;
  return key;
}

std::string ClassKey(REFCLSID clsid, std::string_view below = "") {
  std::string key = ClassesKey("CLSID\\" + FormatGuid(clsid));
  if (!below.empty()) {
    key += '\\';
    key += below;
  }
  return key;
}

struct Value {
  std::string key;
  std::string name;
  std::string text;
};

// Every value of a registration, parents before their subkeys.
std::vector<Value> ValuesOf(const InprocClass& entry) {
  const std::string clsid = FormatGuid(entry.clsid);
  const std::string at(kDefaultValueName);
  std::vector<Value> values = {
      {ClassesKey(entry.prog_id), at, entry.name},
      {ClassesKey(entry.prog_id + "\\CLSID"), at, clsid},
      {ClassesKey(entry.independent_prog_id), at, entry.name},
      {ClassesKey(entry.independent_prog_id + "\\CLSID"), at, clsid},
      {ClassesKey(entry.independent_prog_id + "\\CurVer"), at, entry.prog_id},
      {ClassKey(entry.clsid), at, entry.name},
      {ClassKey(entry.clsid, "ProgID"), at, entry.prog_id},
      {ClassKey(entry.clsid, "VersionIndependentProgID"), at, entry.independent_prog_id},
      {ClassKey(entry.clsid, "InprocServer32"), at, entry.module_path},
      {ClassKey(entry.clsid, "InprocServer32"), "ThreadingModel", entry.threading_model},
      {ClassKey(entry.clsid, "Programmable"), at, ""},
      {ClassKey(entry.clsid, "TypeLib"), at, FormatGuid(entry.type_library)},
  };
  return values;
}

}  // namespace

bool RegisterInprocClass(Registry& registry, const InprocClass& entry) {
  for (const Value& value : ValuesOf(entry)) {
    if (!registry.WriteString(value.key, value.name, value.text)) return false;
  }
  return true;
}

bool UnregisterInprocClass(Registry& registry, const InprocClass& entry) {
  std::vector<Value> values = ValuesOf(entry);
  bool ok = true;
  for (const Value& value : values) {
    ok = registry.DeleteValue(value.key, value.name) && ok;
  }
  // Subkeys go before their parents; a key that still holds what another
  // program wrote stays.
  for (auto it = values.rbegin(); it != values.rend(); ++it) {
    registry.DeleteKey(it->key);
  }
  return ok;
}

bool ClsidFromProgId(Registry& registry, std::string_view prog_id, CLSID* clsid) {
  if (prog_id.empty() || prog_id.find('\\') != std::string_view::npos) return false;
  std::string text;
  const std::string id(prog_id);
  if (registry.ReadString(ClassesKey(id + "\\CLSID"), kDefaultValueName, &text)) {
    return ParseGuid(text, clsid);
  }
  std::string current;
  if (!registry.ReadString(ClassesKey(id + "\\CurVer"), kDefaultValueName, &current) ||
      current.find('\\') != std::string::npos) {
    return false;
  }
  return registry.ReadString(ClassesKey(current + "\\CLSID"), kDefaultValueName, &text) &&
         ParseGuid(text, clsid);
}

bool InprocServerPath(Registry& registry, REFCLSID clsid, std::string* path) {
  std::string text;
  if (!registry.ReadString(ClassKey(clsid, "InprocServer32"), kDefaultValueName, &text) ||
      text.empty()) {
    return false;
  }
  *path = std::move(text);
  return true;
}

}  // namespace zelvan

// The registration of in-process component classes, kept in the registry
// stand-in (platform/registry.h) the way HKEY_CLASSES_ROOT keeps it for the current
// user: below "Software\Classes". One class, with the default values
// written as "@":
//
//   [Software\Classes\Zelvan.Service.1]             versioned ProgID
//   @=Zelvan Service
//   [Software\Classes\Zelvan.Service.1\CLSID]
//   @={6A3F2B13-1C4D-4E5F-8A9B-0C1D2E3F4A53}
//   [Software\Classes\Zelvan.Service]               version-independent ProgID
//   @=Zelvan Service
//   [Software\Classes\Zelvan.Service\CLSID]
//   @={6A3F2B13-1C4D-4E5F-8A9B-0C1D2E3F4A53}
//   [Software\Classes\Zelvan.Service\CurVer]
//   @=Zelvan.Service.1
//   [Software\Classes\CLSID\{6A3F2B13-1C4D-4E5F-8A9B-0C1D2E3F4A53}]
//   @=Zelvan Service
//   [Software\Classes\CLSID\{...}\ProgID]
//   @=Zelvan.Service.1
//   [Software\Classes\CLSID\{...}\VersionIndependentProgID]
//   @=Zelvan.Service
//   [Software\Classes\CLSID\{...}\InprocServer32]
//   @=\opt\zelvan\lib\libzelvan_component.so        the module, a system path
//   ThreadingModel=Apartment
//   [Software\Classes\CLSID\{...}\Programmable]
//   @=
//   [Software\Classes\CLSID\{...}\TypeLib]
//   @={6A3F2B10-1C4D-4E5F-8A9B-0C1D2E3F4A50}
#pragma once

#include <string>
#include <string_view>

#include "com/com_types.h"

namespace zelvan {

class Registry;

#ifdef _WIN32
// HKEY_CLASSES_ROOT itself, where the component runtime finds classes (the
// registry names its root keys).
inline constexpr std::string_view kClassesRootKey = "HKEY_CLASSES_ROOT";
#else
// Where HKEY_CLASSES_ROOT of the current user lies in the registry stand-in.
inline constexpr std::string_view kClassesRootKey = "Software\\Classes";
#endif
// The name the registry stand-in gives a key's default value.
inline constexpr std::string_view kDefaultValueName = "@";

struct InprocClass {
  CLSID clsid;
  std::string name;                 // the class's description
  std::string prog_id;              // "Zelvan.Service.1"
  std::string independent_prog_id;  // "Zelvan.Service"
  std::string module_path;          // the server module (a system path)
  std::string threading_model;      // "Apartment"
  GUID type_library;
};

// Writes the keys above (not flushed). False when the registry refuses a value.
bool RegisterInprocClass(Registry& registry, const InprocClass& entry);
// Removes exactly the values RegisterInprocClass writes, then every key of
// them left empty; values and keys of others stay. Not flushed.
bool UnregisterInprocClass(Registry& registry, const InprocClass& entry);

// The class a ProgID names: its CLSID value, or the CLSID of the ProgID
// its CurVer names.
bool ClsidFromProgId(Registry& registry, std::string_view prog_id, CLSID* clsid);
// The InprocServer32 module of a class; false when the class has none.
bool InprocServerPath(Registry& registry, REFCLSID clsid, std::string* path);

}  // namespace zelvan

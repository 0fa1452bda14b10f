// The system's own component runtime, where the system has one (Windows:
// ole32). A host creates the objects of a registered class through it the
// way any client of the system does: the ProgID to the class
// (CLSIDFromProgID), then an object of the class's registered in-process
// server (CoCreateInstance), loaded and unloaded by the runtime.
//
// Elsewhere there is none (Enter gives null), and a host finds and loads the
// server module itself (ClassObjectLoader, inproc_server.h).
//
//   std::string error;
//   if (auto runtime = SystemComRuntime::Enter(&error)) {
//     ComPtr<IDispatch> service;
//     runtime->CreateInstance("Zelvan.Service", &service, &error);
//   }
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "com/com_ptr.h"
#include "com/com_types.h"

namespace zelvan {

class SystemComRuntime {
 public:
  // The runtime entered on this thread as a single-threaded apartment, as
  // an IDE's user-interface thread is. Null where the system has no runtime
  // (`error` empty), or when it cannot be entered (the reason in `error`).
  static std::unique_ptr<SystemComRuntime> Enter(std::string* error);
  // Leaves the apartment, which may unload the servers: every object made
  // through it must have been released.
  ~SystemComRuntime();
  SystemComRuntime(const SystemComRuntime&) = delete;
  SystemComRuntime& operator=(const SystemComRuntime&) = delete;

  // A new object of the class `prog_id` names, from its in-process server.
  // On failure the runtime's result, with the reason in `error` (a ProgID
  // that names no class gives CO_E_CLASSSTRING or REGDB_E_CLASSNOTREG).
  HRESULT CreateInstance(std::string_view prog_id, ComPtr<IDispatch>* object, std::string* error);

 private:
  SystemComRuntime() = default;
};

}  // namespace zelvan

// Process and machine services: environment variables, names, the clock,
// the executable's own path, named stop objects and dynamic libraries.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/local_time.h"

namespace zelvan {

// A loaded dynamic library; unloaded when destroyed.
class DynamicLibrary {
 public:
  virtual ~DynamicLibrary() = default;
  // The address of an exported symbol, or null.
  virtual void* FindSymbol(std::string_view name) = 0;
};

class SystemServices {
 public:
  virtual ~SystemServices() = default;

  virtual std::optional<std::string> GetEnv(std::string_view name) = 0;
  // An empty `value` still sets the variable; UnsetEnv removes it.
  virtual bool SetEnv(std::string_view name, std::string_view value) = 0;
  virtual bool UnsetEnv(std::string_view name) = 0;

  // Empty when it cannot be read.
  virtual std::string UserName() = 0;
  virtual std::string ComputerName() = 0;
  virtual LocalTime Now() = 0;
  // The running program, as a host path.
  virtual std::string ExecutableHostPath() = 0;

  // Named objects that another process can create to signal this one (the
  // stand-in for a named mutex). Names are compared exactly.
  virtual bool NamedObjectExists(std::string_view name) = 0;
  virtual bool CreateNamedObject(std::string_view name) = 0;
  virtual bool RemoveNamedObject(std::string_view name) = 0;
  // Creates the object `name` for the running process `owner_tag` names
  // (process_tag.h), as a request to it: it lasts until the owner removes
  // it or ends, however soon this process ends. A file does anyway; a named
  // mutex lives only while a process holds it, so on Windows the owner is
  // given a handle to it. False when it cannot be made (on Windows, also
  // when the owner is gone).
  virtual bool CreateNamedObjectFor(std::string_view name, std::string_view /*owner_tag*/) {
    return CreateNamedObject(name);
  }

  // A folder for this user's temporary files in the host folder `host_dir`:
  // `host_dir` itself when this user owns it and no one else can write to
  // it, else its subfolder "zelvan-<user id>", made with mode 0700 and
  // refused when another user owns it or can write to it (whoever made it
  // could read or swap the files put there). False with the reason.
  // A host without other users (the tests' doubles) takes `host_dir`.
  virtual bool MakePrivateFolder(std::string_view host_dir, std::string* folder,
                                 std::string* error) {
    (void)error;
    *folder = std::string(host_dir);
    return true;
  }

  // Loads a library from a host path; null with a reason in `error` on failure.
  virtual std::unique_ptr<DynamicLibrary> LoadLibrary(std::string_view host_path,
                                                      std::string* error) = 0;
};

}  // namespace zelvan

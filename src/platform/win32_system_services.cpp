#include "platform/win32_system_services.h"

#include "platform/win32_api.h"

#include <map>
#include <string>

#include "platform/os_error.h"
#include "platform/status.h"
#include "platform/win32_process_tag.h"

namespace zelvan {
namespace {

class Win32DynamicLibrary : public DynamicLibrary {
 public:
  explicit Win32DynamicLibrary(HMODULE module) : module_(module) {}
  ~Win32DynamicLibrary() override { ::FreeLibrary(module_); }
  void* FindSymbol(std::string_view name) override {
    return reinterpret_cast<void*>(::GetProcAddress(module_, std::string(name).c_str()));
  }

 private:
  HMODULE module_;
};

// A `\` would name a namespace ("Global\..."): a stop object's name is
// taken as plain text.
std::string MutexName(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

class Win32SystemServices : public SystemServices {
 public:
  ~Win32SystemServices() override {
    for (auto& [name, handle] : objects_)
      ::CloseHandle(handle);
  }

  std::optional<std::string> GetEnv(std::string_view name) override {
    std::string key(name);
    DWORD size = ::GetEnvironmentVariableA(key.c_str(), nullptr, 0);
    if (size == 0) {
      if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    std::string value(size, '\0');
    DWORD got = ::GetEnvironmentVariableA(key.c_str(), value.data(), size);
    if (got >= size) return std::nullopt;  // changed meanwhile by another thread
    value.resize(got);
    return value;
  }

  bool SetEnv(std::string_view name, std::string_view value) override {
    return ::SetEnvironmentVariableA(std::string(name).c_str(), std::string(value).c_str()) != 0;
  }

  bool UnsetEnv(std::string_view name) override {
    if (::SetEnvironmentVariableA(std::string(name).c_str(), nullptr)) return true;
    return ::GetLastError() == ERROR_ENVVAR_NOT_FOUND;
  }

  std::string UserName() override {
    char name[256 + 1] = {};
    DWORD size = sizeof name;
    return ::GetUserNameA(name, &size) ? std::string(name) : std::string();
  }

  std::string ComputerName() override {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    return ::GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
  }

  LocalTime Now() override {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  }

  std::string ExecutableHostPath() override { return Win32ModuleFileName(nullptr); }

  bool NamedObjectExists(std::string_view name) override {
    HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, MutexName(name).c_str());
    if (mutex == nullptr) return false;
    ::CloseHandle(mutex);
    return true;
  }

  bool CreateNamedObject(std::string_view name) override {
    std::string key = MutexName(name);
    if (objects_.count(key) != 0) return true;
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, key.c_str());
    if (mutex == nullptr) return false;
    objects_[key] = mutex;
    return true;
  }

  // Only a handle of this process can be let go; a mutex another process
  // holds lasts as long as that process holds it.
  bool RemoveNamedObject(std::string_view name) override {
    auto it = objects_.find(MutexName(name));
    if (it == objects_.end()) return false;
    ::CloseHandle(it->second);
    objects_.erase(it);
    return true;
  }

  // The owner gets a handle of its own to the mutex (DuplicateHandle), so
  // that the mutex lives on after this process ends, until the owner lets
  // it go or ends. Ours is closed again.
  bool CreateNamedObjectFor(std::string_view name, std::string_view owner_tag) override {
    HANDLE owner = OpenTaggedProcess(owner_tag, PROCESS_DUP_HANDLE);
    if (owner == nullptr) return false;
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, MutexName(name).c_str());
    HANDLE given = nullptr;
    bool done = mutex != nullptr && ::DuplicateHandle(::GetCurrentProcess(), mutex, owner, &given,
                                                      0, FALSE, DUPLICATE_SAME_ACCESS);
    if (mutex != nullptr) ::CloseHandle(mutex);
    ::CloseHandle(owner);
    return done;
  }

  std::unique_ptr<DynamicLibrary> LoadLibrary(std::string_view host_path,
                                              std::string* error) override {
    // The library's own folder is searched for the libraries it needs.
    HMODULE module =
        ::LoadLibraryExA(std::string(host_path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr) {
      if (error) *error = OsErrorStatus(static_cast<int>(::GetLastError())).ToString();
      return nullptr;
    }
    return std::make_unique<Win32DynamicLibrary>(module);
  }

 private:
  std::map<std::string, HANDLE> objects_;
};

}  // namespace

std::unique_ptr<SystemServices> CreateWin32SystemServices() {
  return std::make_unique<Win32SystemServices>();
}

}  // namespace zelvan

#include "platform/posix_system_services.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace zelvan {
namespace {

class PosixDynamicLibrary : public DynamicLibrary {
 public:
  explicit PosixDynamicLibrary(void* handle) : handle_(handle) {}
  ~PosixDynamicLibrary() override { ::dlclose(handle_); }
  void* FindSymbol(std::string_view name) override {
    return ::dlsym(handle_, std::string(name).c_str());
  }

 private:
  void* handle_;
};

// Named objects are empty files in a private directory; their names are
// escaped so that any text makes one safe file name.
std::string EscapeName(std::string_view name) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                 u == '-' || u == '_';
    if (plain) {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  return out;
}

class PosixSystemServices : public SystemServices {
 public:
  explicit PosixSystemServices(std::string objects_dir) : objects_dir_(std::move(objects_dir)) {}

  std::optional<std::string> GetEnv(std::string_view name) override {
    const char* value = ::getenv(std::string(name).c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  }

  bool SetEnv(std::string_view name, std::string_view value) override {
    return ::setenv(std::string(name).c_str(), std::string(value).c_str(), 1) == 0;
  }

  bool UnsetEnv(std::string_view name) override {
    return ::unsetenv(std::string(name).c_str()) == 0;
  }

  std::string UserName() override {
    struct passwd pwd;
    struct passwd* result = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &pwd, buffer, sizeof buffer, &result) == 0 && result) {
      return result->pw_name;
    }
    const char* user = ::getenv("USER");
    return user ? user : "";
  }

  std::string ComputerName() override {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "";
    return name;
  }

  LocalTime Now() override { return ToLocalTime(static_cast<int64_t>(::time(nullptr))); }

  std::string ExecutableHostPath() override {
    char path[PATH_MAX + 1];
    ssize_t n = ::readlink("/proc/self/exe", path, PATH_MAX);
    if (n <= 0) return "";
    return std::string(path, static_cast<size_t>(n));
  }

  bool NamedObjectExists(std::string_view name) override {
    struct stat st;
    return ::stat(ObjectPath(name).c_str(), &st) == 0;
  }

  bool CreateNamedObject(std::string_view name) override {
    if (!EnsureObjectsDir()) return false;
    int fd = ::open(ObjectPath(name).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
  }

  bool RemoveNamedObject(std::string_view name) override {
    return ::unlink(ObjectPath(name).c_str()) == 0;
  }

  std::unique_ptr<DynamicLibrary> LoadLibrary(std::string_view host_path,
                                              std::string* error) override {
    void* handle = ::dlopen(std::string(host_path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      if (error) {
        const char* reason = ::dlerror();
        *error = reason ? reason : "cannot load the library";
      }
      return nullptr;
    }
    return std::make_unique<PosixDynamicLibrary>(handle);
  }

  bool MakePrivateFolder(std::string_view host_dir, std::string* folder,
                         std::string* error) override {
    const uid_t me = ::geteuid();
    std::string dir(host_dir);
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0) {
      *error = "the temporary folder " + dir + ": " + std::strerror(errno);
      return false;
    }
    if (S_ISDIR(st.st_mode) && st.st_uid == me && (st.st_mode & 022) == 0) {
      *folder = dir;
      return true;
    }
    std::string own = (dir == "/" ? "" : dir) + "/zelvan-" + std::to_string(me);
    if (::mkdir(own.c_str(), 0700) != 0 && errno != EEXIST) {
      *error = "the temporary folder " + own + " cannot be made: " + std::strerror(errno);
      return false;
    }
    if (::lstat(own.c_str(), &st) != 0) {
      *error = "the temporary folder " + own + ": " + std::strerror(errno);
      return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != me || (st.st_mode & 077) != 0) {
      *error = "the temporary folder " + own +
               " is not this user's own (another user owns it or can open it); set TEMP to a "
               "folder of your own";
      return false;
    }
    *folder = std::move(own);
    return true;
  }

 private:
  std::string ObjectPath(std::string_view name) const {
    return objects_dir_ + "/" + EscapeName(name);
  }

  bool EnsureObjectsDir() {
    if (::mkdir(objects_dir_.c_str(), 0700) == 0 || errno == EEXIST) return true;
    return false;
  }

  std::string objects_dir_;
};

}  // namespace

std::string DefaultNamedObjectsDir() {
  const char* runtime = ::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/zelvan-objects";
  return "/tmp/zelvan-objects-" + std::to_string(::getuid());
}

std::string DefaultLockDir() {
  const char* runtime = ::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/zelvan-locks";
  return "/tmp/zelvan-locks-" + std::to_string(::getuid());
}

std::unique_ptr<SystemServices> CreatePosixSystemServices(std::string named_objects_dir) {
  if (named_objects_dir.empty()) named_objects_dir = DefaultNamedObjectsDir();
  return std::make_unique<PosixSystemServices>(std::move(named_objects_dir));
}

}  // namespace zelvan

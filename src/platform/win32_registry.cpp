#include "platform/win32_registry.h"

#include "platform/win32_api.h"

#include "platform/ansi_text.h"

namespace zelvan {
namespace {

// A key's root and its path below it: HKEY_CLASSES_ROOT for a path that
// starts with that name (the component's class registration), else
// HKEY_CURRENT_USER.
struct Place {
  HKEY root;
  std::string path;
};

Place Locate(std::string_view key) {
  constexpr std::string_view kClassesRoot = "HKEY_CLASSES_ROOT";
  std::string path = NormaliseRegistryKey(key);
  if (path.size() >= kClassesRoot.size() &&
      EqualsNoCase(std::string_view(path).substr(0, kClassesRoot.size()), kClassesRoot) &&
      (path.size() == kClassesRoot.size() || path[kClassesRoot.size()] == '\\')) {
    return {HKEY_CLASSES_ROOT,
            NormaliseRegistryKey(std::string_view(path).substr(kClassesRoot.size()))};
  }
  return {HKEY_CURRENT_USER, path};
}

// Null names the key's default value.
const char* ValueName(const std::string& value) {
  return value == "@" ? nullptr : value.c_str();
}

// An open key, closed when it goes.
class Key {
 public:
  Key(std::string_view path, REGSAM access) {
    const Place place = Locate(path);
    if (::RegOpenKeyExA(place.root, place.path.c_str(), 0, access, &key_) != ERROR_SUCCESS) {
      key_ = nullptr;
    }
  }
  ~Key() {
    if (key_ != nullptr) ::RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  explicit operator bool() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

class Win32Registry : public Registry {
 public:
  bool KeyExists(std::string_view key) override { return static_cast<bool>(Key(key, KEY_READ)); }

  std::vector<std::string> SubKeys(std::string_view key) override {
    std::vector<std::string> out;
    Key open(key, KEY_READ);
    if (!open) return out;
    char name[256];
    for (DWORD index = 0;; ++index) {
      DWORD size = sizeof name;
      LONG result =
          ::RegEnumKeyExA(open.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr);
      if (result != ERROR_SUCCESS) break;
      out.emplace_back(name, size);
    }
    return out;
  }

  bool ReadDword(std::string_view key, std::string_view value, uint32_t* out) override {
    Key open(key, KEY_READ);
    if (!open) return false;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    std::string name(value);
    if (::RegQueryValueExA(open.get(), ValueName(name), nullptr, &type,
                           reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data) {
      return false;
    }
    *out = data;
    return true;
  }

  bool ReadString(std::string_view key, std::string_view value, std::string* out) override {
    Key open(key, KEY_READ);
    if (!open) return false;
    std::string name(value);
    for (int attempt = 0; attempt < 3; ++attempt) {
      DWORD type = 0;
      DWORD size = 0;
      if (::RegQueryValueExA(open.get(), ValueName(name), nullptr, &type, nullptr, &size) !=
              ERROR_SUCCESS ||
          (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
      }
      std::string data(size, '\0');
      LONG result = ::RegQueryValueExA(open.get(), ValueName(name), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
      if (result == ERROR_MORE_DATA) continue;  // grown meanwhile
      if (result != ERROR_SUCCESS) return false;
      data.resize(size);
      // Stored with its terminating zero, or without when another writer left it out.
      while (!data.empty() && data.back() == '\0')
        data.pop_back();
      *out = std::move(data);
      return true;
    }
    return false;
  }

  bool WriteString(std::string_view key, std::string_view value, std::string_view text) override {
    HKEY created = nullptr;
    const Place place = Locate(key);
    if (::RegCreateKeyExA(place.root, place.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, &created, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    std::string name(value);
    std::string data(text);
    LONG result = ::RegSetValueExA(created, ValueName(name), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(data.c_str()),
                                   static_cast<DWORD>(data.size() + 1));
    ::RegCloseKey(created);
    return result == ERROR_SUCCESS;
  }

  bool DeleteValue(std::string_view key, std::string_view value) override {
    Key open(key, KEY_SET_VALUE);
    if (!open) return true;  // no key, no value
    std::string name(value);
    LONG result = ::RegDeleteValueA(open.get(), ValueName(name));
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }

  bool DeleteKey(std::string_view key) override {
    const Place place = Locate(key);
    if (place.path.empty()) return false;
    {
      Key open(key, KEY_READ);
      if (!open) return true;
      DWORD subkeys = 0;
      DWORD values = 0;
      if (::RegQueryInfoKeyA(open.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
          subkeys != 0 || values != 0) {
        return false;
      }
    }
    LONG result = ::RegDeleteKeyA(place.root, place.path.c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
  }

  bool Flush() override {
    const bool user = ::RegFlushKey(HKEY_CURRENT_USER) == ERROR_SUCCESS;
    return ::RegFlushKey(HKEY_CLASSES_ROOT) == ERROR_SUCCESS && user;
  }
};

}  // namespace

std::unique_ptr<Registry> CreateWin32Registry() {
  return std::make_unique<Win32Registry>();
}

}  // namespace zelvan

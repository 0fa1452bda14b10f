#include <cstdlib>

#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"
#include "platform/registry.h"
#include "platform/win_path.h"

namespace zelvan {
namespace {

constexpr std::string_view kDwordPrefix = "dword:";

class FileRegistry : public Registry {
 public:
  FileRegistry(PrivateProfile& profile, std::string path, FileSystem* fs)
      : profile_(profile), path_(std::move(path)), fs_(fs) {}

  bool KeyExists(std::string_view key) override {
    std::string wanted = NormaliseRegistryKey(key);
    for (const std::string& section : profile_.GetSectionNames(path_)) {
      std::string name = NormaliseRegistryKey(section);
      if (EqualsNoCase(name, wanted) || IsBelow(name, wanted)) return true;
    }
    return false;
  }

  std::vector<std::string> SubKeys(std::string_view key) override {
    std::string parent = NormaliseRegistryKey(key);
    std::vector<std::string> out;
    for (const std::string& section : profile_.GetSectionNames(path_)) {
      std::string name = NormaliseRegistryKey(section);
      if (!IsBelow(name, parent)) continue;
      std::string rest = parent.empty() ? name : name.substr(parent.size() + 1);
      std::string child = rest.substr(0, rest.find('\\'));
      bool known = false;
      for (const std::string& seen : out)
        known = known || EqualsNoCase(seen, child);
      if (!known && !child.empty()) out.push_back(child);
    }
    return out;
  }

  bool ReadDword(std::string_view key, std::string_view value, uint32_t* out) override {
    std::string text;
    if (!profile_.Lookup(NormaliseRegistryKey(key), value, path_, &text)) return false;
    if (!StartsWithNoCase(text, kDwordPrefix)) return false;
    std::string digits(TrimBlanks(std::string_view(text).substr(kDwordPrefix.size())));
    if (digits.empty() || digits.size() > 8) return false;
    char* end = nullptr;
    unsigned long parsed = std::strtoul(digits.c_str(), &end, 16);
    if (end == nullptr || *end != '\0') return false;
    *out = static_cast<uint32_t>(parsed);
    return true;
  }

  bool ReadString(std::string_view key, std::string_view value, std::string* out) override {
    std::string text;
    if (!profile_.Lookup(NormaliseRegistryKey(key), value, path_, &text)) return false;
    if (StartsWithNoCase(text, kDwordPrefix)) return false;
    *out = std::move(text);
    return true;
  }

  bool WriteString(std::string_view key, std::string_view value, std::string_view text) override {
    return profile_.WriteString(NormaliseRegistryKey(key), value, text, path_);
  }

  bool DeleteValue(std::string_view key, std::string_view value) override {
    return profile_.DeleteKey(NormaliseRegistryKey(key), value, path_);
  }

  bool DeleteKey(std::string_view key) override {
    const std::string name = NormaliseRegistryKey(key);
    if (name.empty()) return false;
    for (const std::string& section : profile_.GetSectionNames(path_)) {
      if (IsBelow(NormaliseRegistryKey(section), name)) return false;
    }
    if (!profile_.GetKeyNames(name, path_).empty()) return false;
    return profile_.DeleteSection(name, path_);
  }

  bool Flush() override {
    if (fs_ != nullptr) CreateDirectories(*fs_, GetFileDirectory(path_));
    return profile_.Flush(path_);
  }

 private:
  static bool IsBelow(const std::string& name, const std::string& parent) {
    if (parent.empty()) return !name.empty();
    return name.size() > parent.size() + 1 && name[parent.size()] == '\\' &&
           StartsWithNoCase(name, parent);
  }

  PrivateProfile& profile_;
  std::string path_;
  FileSystem* fs_;
};

}  // namespace

std::string NormaliseRegistryKey(std::string_view key) {
  std::string out(TrimBlanks(key));
  while (!out.empty() && out.back() == '\\')
    out.pop_back();
  while (!out.empty() && out.front() == '\\')
    out.erase(0, 1);
  return out;
}

std::unique_ptr<Registry> CreateFileRegistry(PrivateProfile& profile, std::string path,
                                             FileSystem* fs) {
  return std::make_unique<FileRegistry>(profile, std::move(path), fs);
}

}  // namespace zelvan

// Parses arbitrary bytes as a profile file, runs every lookup, applies a few
// edits chosen by the input and checks that the edited text reads back the
// same after it is rendered and parsed again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/profile_text.h"

namespace {

using zelvan::ProfileText;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// Every lookup, checked against the others; the answers go to `out` so two
// texts can be compared.
std::string LookUpEverything(const ProfileText& text) {
  std::string out;
  std::vector<std::string> sections = text.SectionNames();
  for (size_t i = 0; i < sections.size(); ++i) {
    for (size_t j = 0; j < i; ++j)
      Check(!zelvan::EqualsNoCase(sections[i], sections[j]));
    const std::string& section = sections[i];
    Check(text.HasSection(section));
    out += "[" + section + "]\n";
    std::vector<std::string> keys = text.KeyNames(section);
    for (const std::string& key : keys) {
      std::string value;
      Check(text.Lookup(section, key, &value));
      out += key + "=" + value + "\n";
    }
    for (const auto& [key, value] : text.SectionEntries(section)) {
      std::string first;
      Check(text.Lookup(section, key, &first));
      bool listed = false;
      for (const std::string& name : keys)
        listed = listed || zelvan::EqualsNoCase(name, key);
      Check(listed);
      out += "  " + key + ":" + value + "\n";
    }
  }
  return out;
}

// Small deterministic choices drawn from the input.
class Chooser {
 public:
  explicit Chooser(std::string_view data) : data_(data) {}
  uint8_t Byte() { return data_.empty() ? 0 : static_cast<uint8_t>(data_[next_++ % data_.size()]); }
  std::string Slice(size_t max) {
    size_t length = Byte() % (max + 1);
    std::string out;
    for (size_t i = 0; i < length; ++i)
      out += static_cast<char>(Byte());
    return out;
  }

 private:
  std::string_view data_;
  size_t next_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  ProfileText text(input);
  Check(text.Render() == input);
  Check(text.RenderedSize() == size);
  LookUpEverything(text);

  Chooser choose(input);
  std::vector<std::string> sections = text.SectionNames();
  for (int round = 0; round < 4; ++round) {
    std::string section = !sections.empty() && choose.Byte() % 2 == 0
                              ? sections[choose.Byte() % sections.size()]
                              : choose.Slice(4);
    std::vector<std::string> keys = text.KeyNames(section);
    std::string key = !keys.empty() && choose.Byte() % 2 == 0 ? keys[choose.Byte() % keys.size()]
                                                              : choose.Slice(4);
    std::string before = text.Render();
    switch (choose.Byte() % 3) {
      case 0: {
        std::string value = choose.Slice(8);
        ProfileText::Edit result = text.Set(section, key, value);
        if (result == ProfileText::Edit::kRefused) {
          Check(!ProfileText::WriteRefusal(section, key, value).empty());
          Check(text.Render() == before);
        } else {
          std::string read;
          Check(text.Lookup(section, key, &read));
          Check(read == ProfileText::ReadValue(value));
        }
        break;
      }
      case 1: {
        std::string read;
        if (text.DeleteKey(section, key) == ProfileText::Edit::kUnchanged) {
          Check(text.Render() == before);
        }
        Check(!text.Lookup(section, key, &read));
        break;
      }
      default:
        if (text.DeleteSection(section) == ProfileText::Edit::kUnchanged) {
          Check(text.Render() == before);
        }
        Check(!text.HasSection(section));
        break;
    }
    std::string rendered = text.Render();
    Check(text.RenderedSize() == rendered.size());
    ProfileText again(rendered);
    Check(again.Render() == rendered);
    Check(LookUpEverything(again) == LookUpEverything(text));
  }
  return 0;
}

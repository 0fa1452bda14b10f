// Loads arbitrary bytes with ProfileData, saves the result, loads it again
// and checks that every lookup gives the same answer; then stores a few
// values chosen by the input and checks that they survive a save too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "storage/profile_data.h"
#include "tests/support/memory_file_system.h"

namespace {

using zelvan::ProfileData;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// The whole content as one text, and every lookup checked against it.
std::string Dump(const ProfileData& data) {
  std::string out;
  for (const auto& section : data.sections()) {
    out += "[" + section->name() + "]\n";
    Check(data.FindSection(section->name()) != nullptr);
    for (const auto& [key, value] : section->values()) {
      std::string found;
      Check(section->GetValue(key, &found) && found == value);
      Check(data.GetValue(section->name(), key, &found));
      out += key + "=" + value + "\n";
    }
  }
  return out;
}

// Saves `data` and loads the file into `loaded`.
void SaveAndLoad(zelvan::testing::MemoryFileSystem& fs, const ProfileData& data,
                 ProfileData* loaded) {
  Check(data.Save(fs, "C:\\fuzz.kfv"));
  std::string saved = fs.Contents("C:\\fuzz.kfv").value_or("");
  Check(saved == data.Render());
  Check(loaded->Load(fs, "C:\\fuzz.kfv"));
  Check(loaded->Render() == saved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  zelvan::testing::MemoryFileSystem fs;
  fs.AddFile("C:\\input.kfv", input);
  ProfileData first;
  Check(first.Load(fs, "C:\\input.kfv"));
  ProfileData second;
  SaveAndLoad(fs, first, &second);
  Check(Dump(first) == Dump(second));

  // Values taken from the input, stored and read back through a save.
  size_t third = size / 3;
  std::string section(input.substr(0, third % 16));
  std::string key(input.substr(third, third % 8));
  std::string value(input.substr(2 * third));
  bool stored = second.SetValue(section, key, value);
  Check(stored == ProfileData::WriteRefusal(section, key, value).empty());
  ProfileData third_load;
  SaveAndLoad(fs, second, &third_load);
  Check(Dump(second) == Dump(third_load));
  if (stored) {
    std::string read;
    Check(third_load.GetValue(section, key, &read) && read == value);
  }
  return 0;
}

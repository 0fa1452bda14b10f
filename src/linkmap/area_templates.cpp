#include "linkmap/area_templates.h"

#include "linkmap/memory_map_generator.h"
#include "model/substitute_macros.h"
#include "platform/ansi_text.h"
#include "platform/file_system.h"
#include "platform/private_profile.h"

namespace zelvan {

void ExpandAreaTemplates(const std::vector<std::pair<std::string, std::string>>& section,
                         uint32_t start, uint32_t last, uint32_t size,
                         std::vector<std::string>* keys, std::vector<std::string>* values) {
  static const std::vector<std::string> kNames = {"START", "SIZE", "END", "BOTTOM"};
  const std::vector<std::string> numbers = {
      StringPrintf("0x%X", start), StringPrintf("0x%X", size), StringPrintf("0x%X", last),
      StringPrintf("0x%llX", static_cast<unsigned long long>(uint64_t{last} + 1))};
  for (const auto& [key, value] : section) {
    keys->push_back(key);
    values->push_back(SubstituteMacros(value, kNames, numbers));
  }
}

void ExpandAreaTemplates(PrivateProfile& profile, std::string_view section,
                         std::string_view ini_path, uint32_t start, uint32_t last, uint32_t size,
                         std::vector<std::string>* keys, std::vector<std::string>* values) {
  std::vector<std::pair<std::string, std::string>> entries;
  for (std::string& key : profile.GetKeyNames(section, ini_path)) {
    std::string value = profile.GetString(section, key, "", ini_path);
    entries.emplace_back(std::move(key), std::move(value));
  }
  ExpandAreaTemplates(entries, start, last, size, keys, values);
}

std::string InstantiateTemplateText(std::string_view text, const std::vector<std::string>& keys,
                                    const std::vector<std::string>& values,
                                    const MemoryMapSettings& settings) {
  std::string result = SubstituteMacros(text, keys, values);
  if (settings.HeapFlag()) {
    const std::string_view off = kHeapOffLine;
    for (size_t at = result.find(off); at != std::string::npos; at = result.find(off, at + 1))
      result.replace(at, off.size(), kHeapOnLine);
  }
  return result;
}

bool InstantiateTemplateFile(FileSystem& fs, std::string_view template_path,
                             std::string_view output_path, const std::vector<std::string>& keys,
                             const std::vector<std::string>& values,
                             const MemoryMapSettings& settings, std::string* failed_path,
                             std::string* error) {
  std::string text;
  std::string why = "cannot be read";
  if (fs.ReadFile(template_path, &text)) {
    Status written =
        WriteFileAtomic(fs, output_path, InstantiateTemplateText(text, keys, values, settings));
    if (written) return true;
    why = written.ToString();
    template_path = output_path;
  }
  if (failed_path) *failed_path = std::string(template_path);
  if (error) *error = why;
  return false;
}

}  // namespace zelvan

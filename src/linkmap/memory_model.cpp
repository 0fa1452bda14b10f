#include "linkmap/memory_model.h"

#include "linkmap/area_templates.h"
#include "linkmap/memory_map_generator.h"
#include "platform/ansi_text.h"
#include "platform/profile_text.h"
#include "storage/project_files.h"

namespace zelvan {

namespace {

constexpr std::string_view kModelsKey = "Models";
constexpr std::string_view kModelSectionPrefix = "MemoryModel!";

std::string Hex(uint32_t value) {
  return StringPrintf("0x%X", value);
}

// The start of the first area of that name, as "0x%X"; empty without one.
std::string FirstStartOf(const MemoryModel& model, std::string_view name) {
  for (size_t i = 0; i < model.areas.size(); ++i) {
    if (EqualsNoCase(model.areas.names[i], name)) return Hex(model.areas.starts[i]);
  }
  return std::string();
}

}  // namespace

std::vector<std::string> MemoryModelNames(const ProfileText& ini, std::string* default_model) {
  std::string list;
  ini.Lookup(kMemoryModelInfoSection, kModelsKey, &list);
  std::vector<std::string> names;
  SplitList(list, &names);
  for (std::string& name : names)
    name = std::string(TrimBlanks(name));
  default_model->clear();
  ini.Lookup(kMemoryModelInfoSection, kDefaultModelKey, default_model);
  if (default_model->empty() && !names.empty()) *default_model = names.front();
  return names;
}

bool ReadMemoryModel(const ProfileText& ini, std::string_view name, MemoryModel* model,
                     std::string* error) {
  std::string default_model;
  bool listed = false;
  for (const std::string& known : MemoryModelNames(ini, &default_model))
    listed = listed || EqualsNoCase(known, name);
  if (!listed) {
    *error = "the CPU has no memory model " + std::string(name);
    return false;
  }
  MemoryModel result;
  result.name = std::string(name);
  std::string section = std::string(kModelSectionPrefix) + std::string(name);
  for (int i = 0;; ++i) {
    std::string entry;
    if (!ini.Lookup(section, "Area" + std::to_string(i), &entry) || entry.empty()) break;
    std::vector<std::string> fields = SplitAll(entry, ';');
    std::string macro_section;
    if (fields.size() == 4) macro_section = std::string(TrimBlanks(fields[3]));
    MemoryAreaList area;
    std::string why;
    if (fields.size() < 3 || fields.size() > 4 ||
        !ParseAreaListText(std::string(TrimBlanks(fields[0])) + ";" +
                               std::string(TrimBlanks(fields[1])) + ";" +
                               std::string(TrimBlanks(fields[2])),
                           &area, &why) ||
        area.size() != 1 || area.sizes[0] == 0) {
      *error = "[" + section + "] Area" + std::to_string(i) + " is no area: " + entry;
      return false;
    }
    result.areas.Append(area.names[0], area.starts[0], area.sizes[0]);
    result.macro_sections.push_back(macro_section);
  }
  if (result.areas.empty()) {
    *error = "the memory model " + std::string(name) + " has no areas";
    return false;
  }
  *model = std::move(result);
  return true;
}

bool AppendMemoryModelMacros(const ProfileText& ini, const MemoryModel& model, MemoryForm form,
                             MemoryMapSettings& settings, std::vector<std::string>* names,
                             std::vector<std::string>* values, std::string* error) {
  // The block generator checks every area and numbers repeated IO and
  // RESERVED areas; both forms use the names it gives.
  MemoryAreaList areas = model.areas;
  std::string block;
  if (!GenerateMemoryBlock(areas, settings, &block, error)) return false;

  std::string equates;
  std::string mr44_block;
  for (size_t i = 0; i < areas.size(); ++i) {
    const std::string& name = areas.names[i];
    uint32_t start = areas.starts[i];
    uint32_t last = start + (areas.sizes[i] - 1);
    if (form == MemoryForm::kMr44) {
      equates += StringPrintf("__%s_START\tEQU\t0x%X\r\n__%s_END\tEQU\t0x%X\r\n", name.c_str(),
                              start, name.c_str(), last);
      const char* access = EqualsNoCase(name, "ROM") ? "rx" : "rw";
      mr44_block += StringPrintf("    %-8s (%s) : ORIGIN = %s, LENGTH = %s\r\n", name.c_str(),
                                 access, settings.FormatHex(start).c_str(),
                                 settings.FormatHex(areas.sizes[i]).c_str());
    } else {
      equates +=
          StringPrintf("        .equ    __%s_START, 0x%X\r\n        .equ    __%s_END, 0x%X\r\n",
                       name.c_str(), start, name.c_str(), last);
    }
  }
  auto append = [&](const char* name, std::string value) {
    names->push_back(name);
    values->push_back(std::move(value));
  };
  append("TARGET_CHANGE_MEMORY", equates);
  append("TARGET_MEMORY", form == MemoryForm::kMr44 ? mr44_block : block);
  append("MAINPROGRAM", FirstStartOf(model, "ROM"));
  append("INSERTPROGRAM", FirstStartOf(model, "RESERVED"));
  for (size_t i = 0; i < model.areas.size(); ++i) {
    const std::string& section = model.macro_sections[i];
    if (section.empty()) continue;
    std::vector<std::pair<std::string, std::string>> entries;
    for (std::string& key : ini.KeyNames(section)) {
      std::string value;
      ini.Lookup(section, key, &value);
      entries.emplace_back(std::move(key), std::move(value));
    }
    uint32_t start = model.areas.starts[i];
    ExpandAreaTemplates(entries, start, start + (model.areas.sizes[i] - 1), model.areas.sizes[i],
                        names, values);
  }
  return true;
}

}  // namespace zelvan

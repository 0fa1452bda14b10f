// Fills a new project's template files (startup code, headers) with the
// addresses of its memory areas.
//
// A CPU template names, per memory area, a section of macro templates:
//
//   [RAM_MACROS]
//   STACK_TOP=$(BOTTOM)          the address just past the area
//   RAM_START=$(START)
//   RAM_INFO=$(START)..$(END), $(SIZE) bytes
//
// ExpandAreaTemplates turns them into macros for the area (RAM from 0x400
// to 0x7FF gives STACK_TOP=0x800, RAM_START=0x400, RAM_INFO=0x400..0x7FF,
// 0x400 bytes), and InstantiateTemplateText puts every "$(NAME)" of a
// template file in their place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvan {

class FileSystem;
class MemoryMapSettings;
class PrivateProfile;

// The heap switch of a template, and what it becomes when the map has a heap.
inline constexpr const char* kHeapOffLine = "#define  __USE_HEAP     0";
inline constexpr const char* kHeapOnLine = "#define  __USE_HEAP     1";

// For every (key, value) of a template section, in order, appends the key
// to `keys` and the value to `values` with "$(START)", "$(SIZE)", "$(END)"
// and "$(BOTTOM)" replaced by the start, the size, the last address and the
// last address + 1, each as "0x%X" (the bottom of an area that ends at
// 0xFFFFFFFF is 0x100000000).
void ExpandAreaTemplates(const std::vector<std::pair<std::string, std::string>>& section,
                         uint32_t start, uint32_t last, uint32_t size,
                         std::vector<std::string>* keys, std::vector<std::string>* values);
// The same for section `section` of the INI file at `ini_path`: every key of
// it, each once, with its value as the profile functions read it.
void ExpandAreaTemplates(PrivateProfile& profile, std::string_view section,
                         std::string_view ini_path, uint32_t start, uint32_t last, uint32_t size,
                         std::vector<std::string>* keys, std::vector<std::string>* values);

// `text` with every "$(key)" replaced by its value, key after key in list
// order (so a value may name a later key); when the settings' heap flag is
// set, kHeapOffLine becomes kHeapOnLine.
std::string InstantiateTemplateText(std::string_view text, const std::vector<std::string>& keys,
                                    const std::vector<std::string>& values,
                                    const MemoryMapSettings& settings);

// InstantiateTemplateText from the file at `template_path` to the file at
// `output_path` (created or replaced, atomically). False when either file
// cannot be read or written, with that file's path in `failed_path` (the
// caller reports kMsgFileExists with it) and the reason in `error`.
bool InstantiateTemplateFile(FileSystem& fs, std::string_view template_path,
                             std::string_view output_path, const std::vector<std::string>& keys,
                             const std::vector<std::string>& values,
                             const MemoryMapSettings& settings, std::string* failed_path,
                             std::string* error = nullptr);

}  // namespace zelvan

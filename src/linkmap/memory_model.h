// The memory models of a CPU family, as the family's template INI describes
// them, and the macros a full project's template files get from one:
//
//   [MemoryModelInfo]
//   DefaultModel=64k            the model of a full project when none is chosen
//   Models=64k;128k             every model, ";"-separated, in order
//   [MemoryModel!64k]           one section per model, its areas in map order:
//   Area0=0x0;0x10000;ROM;ROM_MACROS    start;size;name, then optionally ";"
//   Area1=0x10000;0x8000;RAM;RAM_MACROS and the section of macro templates
//   Area2=0xFF000;0x1000;IO             filled with that area's addresses
//   [RAM_MACROS]                (area_templates.h: $(START), $(SIZE), $(END),
//   STACK_TOP=$(BOTTOM)          $(BOTTOM))
//
// Area entries run from Area0 to the first missing or empty one; numbers
// are hexadecimal, with or without "0x". Several models may share a macro
// section, since its values are filled per area.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "linkmap/memory_area_list.h"

namespace zelvan {

class MemoryMapSettings;
class ProfileText;

inline constexpr std::string_view kMemoryModelInfoSection = "MemoryModelInfo";
inline constexpr std::string_view kDefaultModelKey = "DefaultModel";

struct MemoryModel {
  std::string name;
  MemoryAreaList areas;
  std::vector<std::string> macro_sections;  // one per area; empty: none
};

// The models the INI lists, and its default model: DefaultModel, else the
// first model. Empty when the INI describes none.
std::vector<std::string> MemoryModelNames(const ProfileText& ini, std::string* default_model);

// Reads model `name`. False, with the reason in `error`, for a model the INI
// does not list, one without areas, or an entry that is no area.
bool ReadMemoryModel(const ProfileText& ini, std::string_view name, MemoryModel* model,
                     std::string* error);

// How the tools of a family want the memory written. MR44 and MR44A link
// with a tool that knows no short and medium addressing and takes areas in
// the ORIGIN/LENGTH form, and assemble with EQU lines.
enum class MemoryForm { kStandard, kMr44 };

// The macros of a full project, appended to `names` and `values` in this order:
//   TARGET_CHANGE_MEMORY  the bounds of every area as assembler equates, for
//                         the startup code (0x%X numbers), one line each:
//                           standard: "        .equ    __RAM_START, 0x10000"
//                           MR44:     "__RAM_START\tEQU\t0x10000" (and _END)
//   TARGET_MEMORY         the lines of the link command file's memory block
//                         in the settings' number format: standard, those of
//                         GenerateMemoryBlock; MR44 one line per area,
//                           "    RAM      (rw) : ORIGIN = 0x00010000, LENGTH = 0x00008000"
//                         (rx for ROM)
//   MAINPROGRAM           start of the first ROM area, where the main program
//                         is linked (empty without one)
//   INSERTPROGRAM         start of the first RESERVED area, where a monitor or
//                         boot program is inserted (empty without one)
//   then the macros of every area's macro section, area by area.
// Every line ends in CR LF. Sets the settings' heap flag when the model
// holds a HEAP area. False, with the reason, for an area the memory block
// cannot hold (nothing is appended then).
bool AppendMemoryModelMacros(const ProfileText& ini, const MemoryModel& model, MemoryForm form,
                             MemoryMapSettings& settings, std::vector<std::string>* names,
                             std::vector<std::string>* values, std::string* error);

}  // namespace zelvan

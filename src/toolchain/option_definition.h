// The option vocabulary of the compiler, linker and converter.
//
// Each tool has a fixed definition table. An option string is parsed against
// the rows that apply to the project's CPU family (see OptionString) and
// rebuilt with every option in the slot of its row's order number.
//
// A row applies to a CPU when its `cpu_mask` shares a bit with the CPU's mask:
//   1  the MX-520 family (every CPU not listed below)
//   2  "MR44"        (exact letter case)
//   4  "MR44A"       (exact letter case)
//   8  "MX-310/P"    (any letter case)
//   16 "MX-310/P1"   (any letter case)
//   -1 every family
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zelvan {

// Value types of an option row.
enum OptionValueType : int32_t {
  kOptionSwitch = 0,        // no value
  kOptionText = 1,          // free text
  kOptionWord = 2,          // one word of the allowed list
  kOptionDecimalRange = 3,  // decimal number within "lo-hi"
  kOptionHexRange = 4,      // hexadecimal number within "lo-hi"
  kOptionNumber = 5,        // one number of the allowed list; an empty item allows no value
  kOptionRawText = 6,       // free text kept and written exactly as given, quotes included
};

inline constexpr int32_t kCpuMaskMx520 = 1;
inline constexpr int32_t kCpuMaskMr44 = 2;
inline constexpr int32_t kCpuMaskMr44a = 4;
inline constexpr int32_t kCpuMaskMx310P = 8;
inline constexpr int32_t kCpuMaskMx310P1 = 16;
inline constexpr int32_t kCpuMaskAll = -1;

// One row of a definition table. Text fields are null for "none"; the name is
// never null (the empty name is the row that takes any other argument). A
// table may end with a row whose order is -1; rows after it are ignored.
struct OptionDefinition {
  int32_t order;               // slot in a rebuilt option string; rows may share one
  const char* name;            // e.g. "-O"; "" matches any remaining argument
  int32_t value_type;          // OptionValueType
  const char* allowed;         // "a,b,c" list, or "lo-hi" for the range types
  int32_t blank_separated;     // non-zero: a blank stands between name and value
  int32_t reserved1;           // always 0
  const char* default_value;   // offered to the user; never substituted by the parser
  int32_t occurrence_limit;    // 1 once; -1 or 255 any number of times
  const char* list_separator;  // ";" or "," between values of a repeatable option
  int32_t separation_mode;     // 1: the blank depends on the stored flags (only "-f")
  int32_t cpu_mask;            // families the row applies to; -1 all
  int32_t reserved2;           // always 0
};

// The fixed tables, without terminating row.
std::span<const OptionDefinition> CompilerOptionTable();
std::span<const OptionDefinition> LinkerOptionTable();
std::span<const OptionDefinition> ConverterOptionTable();

// The `CpuMask` bit of a CPU name (see the list above).
int32_t GetCpuMask(std::string_view cpu_name);

// True when the row applies to a CPU with the given mask.
inline bool RowAppliesTo(const OptionDefinition& row, int32_t cpu_mask) {
  return (row.cpu_mask & cpu_mask) != 0;
}

// The row's text field, "" for none.
inline std::string_view OptionText(const char* field) {
  return field ? field : "";
}

}  // namespace zelvan

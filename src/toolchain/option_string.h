// An option string parsed against a definition table and rebuilt in the
// table's canonical order.
//
// Parsing walks the arguments of the text (see option_text.h for blanks and
// quotes). For each argument the rows that apply to the CPU are tried in table
// order; the first row that accepts the argument stores it:
//
//   - A switch (type 0) takes an argument that is exactly its name.
//   - An option with a value takes an argument that begins with its name
//     ("-o" leaves "-opndtrk", another option, alone). The value is the text
//     attached to the name. When a blank follows the name, the value is the
//     next argument: for rows with the blank flag (and "-f", whose stored
//     flags remember the blank) always; for free-text rows without it
//     ("-o file", "-D X") when that argument does not begin with "-".
//     Values lose their quotes and keep their blanks; type 6 values and the
//     arguments of the empty-name row are kept exactly as written, quotes
//     included (a quote left open is closed).
//   - Value checks: type 1 and 6 take any value, an empty one too; type 2 and
//     5 a value of the comma-separated allowed list (an empty item allows no
//     value; letter case counts); type 3 a run of decimal digits and type 4 a
//     run of hexadecimal digits (either case, no "0x", no sign, leading zeros
//     allowed) whose number lies within the "lo-hi" bounds, both inclusive.
//     A refused value makes the row pass the argument on to the next rows.
//     Defaults are never filled in: a type 5 option without a value, or with
//     one outside its list ("-O", "-w9"), is refused rather than turned into
//     the default, since the tool may read it otherwise.
//   - The empty-name row takes any other argument, so nothing is lost.
//
// An argument is rejected (listed by GetRejected, and the parse returns
// false) when no row takes it; when a row with a longer name than the row
// that took it refused its value ("-w9" for the compiler, taken by the
// empty-name row after "-w" refused "9"; "-lp20" for the linker, taken by "-"
// after "-lp" refused "20"); or when a blank-separated value is missing at the
// end of the text ("-I"), in which case the option is stored with an empty
// value. Rejected arguments are stored all the same.
//
// An option whose row allows one occurrence is stored once: a later
// occurrence replaces the stored value ("-O1 -O2" gives "-O2", the level the
// compiler uses).
//
// Formatting writes every stored option into the slot of its row's order
// number (the row of that exact name for the CPU; a name no row knows goes
// with the empty-name row), slots in increasing order, options of one slot in stored order,
// each followed by one blank (so a non-empty result ends in a blank). An
// option is its name, a blank when the row has the blank flag (for "-f" only
// when the stored flags say so, likewise for a free-text value that stood
// apart from its name), and its value. A value holding a blank outside quotes
// is enclosed in double quotes, except type 6 values, which are written as
// stored; an empty free-text value is written as "" so that it reads back as
// empty. Rebuilding a rebuilt string gives the same string. Example for the
// compiler and CPU "MX-520":
//
//   -I c:\inc -g -O2 -DX -w9   gives   -O2 -g -DX -I c:\inc -w9   (rejected: -w9)
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "toolchain/option_definition.h"

namespace zelvan {

// Stored flags of an option: a blank stood between name and value.
inline constexpr int32_t kOptionFlagBlank = 1;

class OptionString {
 public:
  // Uses the one-row default table (empty name, type 1, mask 0), which
  // applies to no CPU: every argument is rejected until SetTable. The CPU
  // mask starts as that of the MX-520 family.
  OptionString();

  // The table is referenced, not copied: it must outlive this object (the
  // fixed tables of option_definition.h do). Parsing stops at a row whose
  // order is -1. Stored options are kept.
  void SetTable(std::span<const OptionDefinition> table);
  void SetCpu(std::string_view cpu_name);
  int32_t GetCpuMask() const { return cpu_mask_; }

  // Parses `text`; without `append` the stored options are cleared first.
  // True when no argument was rejected. The rejected arguments of this call
  // are available from GetRejected.
  bool ParseOptions(std::string_view text, bool append);
  const std::vector<std::string>& GetRejected() const { return rejected_; }

  std::string FormatOptions() const;

  // The value of the first stored option named exactly `name`.
  bool FindOptionValue(std::string_view name, std::string* value) const;

  int GetCount() const { return static_cast<int>(names_.size()); }
  // False, and the outputs untouched, when `index` is out of range.
  bool GetAt(int index, std::string* name, std::string* value, int32_t* flags) const;

  // Appends an option; for a row that allows one occurrence an already stored
  // option of that name gets the new value and flags instead.
  void AddOption(std::string_view name, std::string_view value, int32_t flags);
  void ClearOptions();

 private:
  // How the argument at the start of `text` (no leading blanks) is read.
  struct Match {
    const OptionDefinition* row = nullptr;  // null: no row takes it
    std::string value;
    int32_t flags = 0;
    size_t consumed = 0;  // at least one character
    bool rejected = false;
  };
  Match MatchArgument(std::string_view text) const;
  void AppendOption(const OptionDefinition* row, const std::string& name, const std::string& value,
                    int32_t flags, std::string* out) const;
  const OptionDefinition* FindRow(std::string_view name) const;
  void Store(const OptionDefinition* row, std::string_view name, std::string value, int32_t flags);
  // Parses the argument at the start of `text` (no leading blanks) and
  // returns the number of characters consumed (at least one).
  size_t ParseArgument(std::string_view text, bool* ok);

  std::vector<std::string> names_;
  std::vector<std::string> values_;
  std::vector<int32_t> flags_;
  std::span<const OptionDefinition> table_;
  int32_t cpu_mask_;
  std::vector<std::string> rejected_;
};

}  // namespace zelvan

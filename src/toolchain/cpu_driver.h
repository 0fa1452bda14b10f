// CpuDriverTable: the toolchain facts that are fixed per CPU family (home
// variable, compiler program, option-checking driver library), and the call
// into a driver library's "CheckOption" export.
//
// A driver library sits in "<secondary home>\bin\" under the name the table
// gives. Its export "CheckOption" uses the C calling convention and returns
// 0 when it accepts the options. Its arguments depend on the row's
// CheckOptionForm (argv is null-terminated, code is CpuCode | 0x10000):
//
//   form 0: int CheckOption(char** argv, int argc, void* reserved /* null */,
//                           const char* home, char** message, unsigned code);
//   form 1: form 0 followed by `int flags` (0);
//   form 2: int CheckOption(char** argv, int argc, int mode /* 0 */,
//                           void* reserved /* null */, const char* home,
//                           char** message, unsigned code, int flags /* 0 */);
//
// A driver may set *message to a text it allocated with malloc; the caller
// frees it (and does not use it).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace zelvan {

class CpuTable;

struct CpuDriverRow {
  uint32_t CpuCode;  // 0 ends the table
  const char* HomeVariable;
  uint32_t CheckOptionForm;
  const char* DriverDll;
  const char* Compiler;
  const char* CpuName;
};

// Six rows, then the row whose CpuCode is 0. "MR44" has two rows; its home
// variable decides between them.
extern const CpuDriverRow CpuDriverTable[7];

inline constexpr uint32_t kCheckOptionCodeFlag = 0x10000;

// The compiler program of the first row for `cpu` (case ignored) and, when
// given, `home_variable` (case ignored); empty when no row matches.
std::string GetCompilerExe(std::string_view cpu,
                           std::optional<std::string_view> home_variable = std::nullopt);

// The first row whose home variable equals `home_variable` (case ignored), or null.
const CpuDriverRow* FindDriverRow(std::string_view home_variable);

// Splits an option text into arguments: runs of blanks and tabs separate
// them; a double quote toggles quoting (blanks inside belong to the
// argument) and is dropped. `""` is an empty argument.
std::vector<std::string> SplitDriverArguments(std::string_view options);

// Asks the driver library of `cpu`'s secondary home whether it accepts
// `options` (a whole compiler command line). True when it accepts them, or
// when there is no driver to ask (unknown CPU, no table row for the home
// variable, or a row without driver); false when it rejects them, cannot be
// loaded or has no "CheckOption". `reason`, when given, says why on false.
bool CheckOptionsWithDriver(Platform& platform, const CpuTable& tools, std::string_view cpu,
                            std::string_view options, std::string* reason = nullptr);

}  // namespace zelvan

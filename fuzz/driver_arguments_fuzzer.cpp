// Splits arbitrary bytes into driver arguments the way an option check hands
// them to a driver library, and checks that the split is stable: the
// arguments, each quoted and joined by blanks, split back into themselves.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "toolchain/cpu_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> args = zelvan::SplitDriverArguments(text);
  std::string joined;
  for (const std::string& arg : args) {
    if (arg.find('"') != std::string::npos) std::abort();  // quotes are always dropped
    if (!joined.empty()) joined += ' ';
    joined += '"' + arg + '"';
  }
  if (zelvan::SplitDriverArguments(joined) != args) std::abort();
  return 0;
}

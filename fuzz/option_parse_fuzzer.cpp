// Option strings against every definition table and several CPUs: parsing
// must not crash or hang, and the canonical form must read back unchanged.
// The first byte picks table and CPU; the rest is the option text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "toolchain/option_definition.h"
#include "toolchain/option_string.h"
#include "toolchain/option_text.h"

namespace {

using namespace zelvan;

void Check(bool condition, const char* what, std::string_view text) {
  if (condition) return;
  std::fprintf(stderr, "%s for: %.*s\n", what, static_cast<int>(text.size()), text.data());
  std::abort();
}

void CheckHelpers(std::string_view text) {
  std::string out;
  Check(ReadFirstArgument(text, &out) <= text.size(), "ReadFirstArgument past end", text);
  std::ptrdiff_t pos = FindOutsideQuotes(text, "-o");
  Check(pos < static_cast<std::ptrdiff_t>(text.size()), "FindOutsideQuotes past end", text);
  pos = FindOutputOption(text);
  Check(pos < static_cast<std::ptrdiff_t>(text.size()), "FindOutputOption past end", text);
  Check(ReadOutputArgument(text, &out) == (pos >= 0), "ReadOutputArgument disagrees", text);
  Check(FindLibraryOption(text) < static_cast<std::ptrdiff_t>(text.size()),
        "FindLibraryOption past end", text);
  if (RemoveOption(text, "-P", &out)) Check(out.size() < text.size(), "RemoveOption grew", text);
  if (RemoveWordOption(text, "-c", &out)) {
    Check(out.size() + 2 == text.size(), "RemoveWordOption length", text);
    Check(HasWordOption(text, "-c"), "HasWordOption disagrees", text);
  }
  if (RemoveOutputOption(text, &out))
    Check(out.size() < text.size(), "RemoveOutputOption grew", text);
  for (const std::string& arg : SplitArguments(text)) {
    Check(arg.size() <= text.size(), "argument longer than text", text);
  }
  for (const std::string& value : ExtractOptionValues(text, "-I")) {
    Check(!value.empty(), "empty -I value", text);
  }
  std::string endian = GetEndianOptionText(text, "MR44");
  Check(endian.empty() || endian.starts_with("-R"), "endian option", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const std::span<const OptionDefinition> kTables[] = {
      CompilerOptionTable(), LinkerOptionTable(), ConverterOptionTable()};
  static const char* const kCpus[] = {"MX-520", "MR44", "MR44A", "MX-310/P", "mx-310/p1", "mr44"};
  const unsigned selector = data[0];
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  OptionString options;
  options.SetTable(kTables[selector % 3]);
  options.SetCpu(kCpus[(selector / 3) % 6]);
  options.ParseOptions(text, false);
  const std::string once = options.FormatOptions();
  options.ParseOptions(once, false);
  const std::string twice = options.FormatOptions();
  Check(once == twice, "canonical form not stable", text);

  CheckHelpers(text);
  return 0;
}

#include "toolchain/option_text.h"

#include <gtest/gtest.h>

#include <functional>

namespace zelvan {
namespace {

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items)
    text += "[" + item + "]";
  return text;
}

// Every function of option texts, each result written as one text.
using Function = std::function<std::string(const char* text, const char* arg)>;
const Function kFind = [](const char* text, const char* token) {
  return std::to_string(FindOutsideQuotes(text, token));
};
const Function kFirst = [](const char* text, const char*) {
  std::string arg = "stale";
  size_t consumed = ReadFirstArgument(text, &arg);
  return std::to_string(consumed) + " " + arg;
};
// The rest after removing, or "-" when not found (and nothing written).
std::string Rest(bool found, const std::string& rest) {
  return found ? rest : (rest == "untouched" ? "-" : "written: " + rest);
}
const Function kRemove = [](const char* text, const char* option) {
  std::string rest = "untouched";
  return Rest(RemoveOption(text, option, &rest), rest);
};
const Function kRemoveWord = [](const char* text, const char* option) {
  std::string rest = "untouched";
  bool found = RemoveWordOption(text, option, &rest);
  return HasWordOption(text, option) == found ? Rest(found, rest) : "Has disagrees";
};
const Function kRemoveOutput = [](const char* text, const char*) {
  std::string rest = "untouched";
  return Rest(RemoveOutputOption(text, &rest), rest);
};
const Function kOutput = [](const char* text, const char*) {
  std::string arg;
  bool read = ReadOutputArgument(text, &arg);
  return std::to_string(FindOutputOption(text)) + (read ? " " + arg : "");
};
const Function kLibrary = [](const char* text, const char*) {
  return std::to_string(FindLibraryOption(text));
};
const Function kSplit = [](const char* text, const char*) { return Joined(SplitArguments(text)); };
// One argument from the second's position: begin-end, the unquoted text
// and "open" for a quote left open; "b" in the options skips blanks first.
const Function kScan = [](const char* text, const char* from_and_options) {
  const std::string_view how = from_and_options;
  const QuotedArgument arg = ScanQuotedArgument(
      text, static_cast<size_t>(how[0] - '0'),
      {.skip_leading_blanks = how.find('b') != std::string_view::npos, .unquote = true});
  return std::to_string(arg.begin) + "-" + std::to_string(arg.end) + " " + arg.unquoted +
         (arg.open_quote ? " open" : "");
};
const Function kSlices = [](const char* text, const char*) {
  std::string joined;
  for (std::string_view slice : QuotedArgumentSlices(text))
    joined += "[" + std::string(slice) + "]";
  return joined;
};
const Function kExtract = [](const char* text, const char* option) {
  return Joined(ExtractOptionValues(text, option));
};
const Function kEndian = [](const char* text, const char* cpu) {
  return GetEndianOptionText(text, cpu);
};

TEST(OptionTextTest, EveryFunctionOnItsCases) {
  const struct {
    const char* function;
    const Function& run;
    const char* text;
    const char* arg;
    const char* expected;
  } cases[] = {
      {"find", kFind, "-O2 -o a.abs", "-o", "4"},
      {"find", kFind, "\"-o x\" -o y", "-o", "7"},
      {"find", kFind, "\"unclosed -o", "-o", "-1"},
      {"find", kFind, "-o", "", "-1"},
      {"find", kFind, "x\"", "\"", "1"},
      {"first", kFirst, "  \t a.abs -H", "", "9 a.abs"},
      {"first", kFirst, "\"c:\\my dir\\a.abs\" -H", "", "17 c:\\my dir\\a.abs"},
      {"first", kFirst, "c:\\\"my dir\"\\a.abs", "", "17 c:\\my dir\\a.abs"},
      {"first", kFirst, "\"unclosed -H", "", "12 unclosed -H"},
      {"remove", kRemove, "-g -P -O2", "-P", "-g  -O2"},
      {"remove", kRemove, "-g -o\"my file.rel\" -O2", "-o", "-g  -O2"},
      {"remove", kRemove, "-g -P", "-P", "-g "},
      {"remove", kRemove, "-DX-P -I\"a -P\"", "-P", "-"},
      {"remove", kRemove, "", "-P", "-"},
      {"word", kRemoveWord, "-cpp -c -Xi", "-c", "-cpp  -Xi"},
      {"word", kRemoveWord, "-c", "-c", ""},
      {"word", kRemoveWord, "-g\t-Xi\t-O2", "-Xi", "-g\t\t-O2"},
      {"word", kRemoveWord, "x-c", "-c", "-"},
      {"word", kRemoveWord, "\"-c\"", "-c", "-"},
      {"word", kRemoveWord, "-DX=\"a -c b\"", "-c", "-"},
      {"word", kRemoveWord, "-XF -Oal", "-Oal", "-XF "},
      {"remove output", kRemoveOutput, "-H -o a.abs -la", "", "-H  -la"},
      {"remove output", kRemoveOutput, "-H -o \"my a.abs\" -la", "", "-H  -la"},
      {"remove output", kRemoveOutput, "-opndtrk -o", "", "-opndtrk "},
      {"remove output", kRemoveOutput, "-opndtrk", "", "-"},
      {"output", kOutput, "-oa.rel", "", "0 a.rel"},
      {"output", kOutput, "-H\t-o\"c:\\my dir\\a.abs\" -la", "", "3 c:\\my dir\\a.abs"},
      {"output", kOutput, "-opndtrk -o x.abs", "", "9 x.abs"},
      {"output", kOutput, "-DX-o -I\"a -o\"", "", "-1"},
      {"output", kOutput, "-H -o", "", "3 "},
      {"library", kLibrary, "-l", "", "0"},
      {"library", kLibrary, "-licm -lfout.lst", "", "6"},
      {"library", kLibrary, "-licm -lvcm -loop_unroll -loop_rotation", "", "-1"},
      {"library", kLibrary, "-I\"a -lx\" -DX-l", "", "-1"},
      {"split", kSplit, "  -O2 \t \"-Ic:\\my dir\"  ", "", "[-O2][-Ic:\\my dir]"},
      {"split", kSplit, "-DX=\"a b\"c", "", "[-DX=a bc]"},
      {"split", kSplit, "a \"\" b", "", "[a][][b]"},
      {"split", kSplit, "\"unclosed  x", "", "[unclosed  x]"},
      {"split", kSplit, " \t ", "", ""},
      {"scan", kScan, "a\"b c\"d e", "0", "0-7 ab cd"},
      {"scan", kScan, "  a b", "0", "0-0 "},
      {"scan", kScan, "  a b", "0b", "2-3 a"},
      {"scan", kScan, "a \"b c", "2", "2-6 b c open"},
      {"scan", kScan, "a ", "5b", "2-2 "},
      {"slices", kSlices, " -DX=\"a b\"c \t\"\" \"open x", "", "[-DX=\"a b\"c][\"\"][\"open x]"},
      {"extract", kExtract, "-Ia -I b -I \"c:\\my inc\" -O2", "-I", "[a][b][c:\\my inc]"},
      {"extract", kExtract, "-DX-Ie -i f \"-I g\"", "-I", ""},
      {"extract", kExtract, "-I -Ia", "-I", "[-Ia]"},
      {"extract", kExtract, "-I \"\" -I", "-I", ""},
      {"extract", kExtract, "-DA -DB=\"1 2\"", "-D", "[A][B=1 2]"},
      {"endian", kEndian, "-O2 -Rbe", "MR44", "-Rbe"},
      {"endian", kEndian, "-Rbe", "MX-520", ""},  // not an option of that family
      {"endian", kEndian, "-Rbe", "mr44", ""},    // CPU masks take "MR44" in exact case
      {"endian", kEndian, "-Rxx -Rei", "MR44", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.function) + ": " + c.text + " / " + c.arg);
    EXPECT_EQ(c.run(c.text, c.arg), c.expected);
  }
  // No limit on the length of an argument (the drivers' checks split this way).
  const std::string long_arg(20000, 'x');
  EXPECT_EQ(SplitArguments("-a " + long_arg), (std::vector<std::string>{"-a", long_arg}));
}

}  // namespace
}  // namespace zelvan

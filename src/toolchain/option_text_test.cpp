#include "toolchain/option_text.h"

#include <gtest/gtest.h>

namespace zelvan {
namespace {

TEST(OptionTextTest, FindOutsideQuotes) {
  struct Case {
    const char* text;
    const char* token;
    std::ptrdiff_t expected;
  };
  const Case cases[] = {
      {"-O2 -o a.abs", "-o", 4},
      {"\"-o x\" -o y", "-o", 7},
      {"\"a\"-o", "-o", 3},
      {"\"unclosed -o", "-o", -1},
      {"", "-o", -1},
      {"-o", "", -1},
      {"x\"", "\"", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FindOutsideQuotes(c.text, c.token), c.expected);
  }
}

TEST(OptionTextTest, ReadFirstArgument) {
  struct Case {
    const char* text;
    const char* arg;
    size_t consumed;
  };
  const Case cases[] = {
      {"a.abs -H", "a.abs", 5},
      {"  \t a.abs", "a.abs", 9},
      {"\"c:\\my dir\\a.abs\" -H", "c:\\my dir\\a.abs", 17},
      {"c:\\\"my dir\"\\a.abs", "c:\\my dir\\a.abs", 17},
      {"\"unclosed -H", "unclosed -H", 12},
      {"", "", 0},
      {"   ", "", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::string arg = "stale";
    EXPECT_EQ(ReadFirstArgument(c.text, &arg), c.consumed);
    EXPECT_EQ(arg, c.arg);
  }
}

TEST(OptionTextTest, RemoveOptions) {
  struct Case {
    const char* what;  // "attached", "word" or "output"
    const char* text;
    const char* option;
    const char* rest;  // null: not found
  };
  const Case cases[] = {
      {"attached", "-g -P -O2", "-P", "-g  -O2"},
      {"attached", "-g -ofile.rel -O2", "-o", "-g  -O2"},
      {"attached", "-g -o\"my file.rel\" -O2", "-o", "-g  -O2"},
      {"attached", "-g -P", "-P", "-g "},
      {"attached", "-DX-P -I\"a -P\"", "-P", nullptr},
      {"attached", "", "-P", nullptr},
      {"word", "-cpp -c -Xi", "-c", "-cpp  -Xi"},
      {"word", "-cpp -Xi", "-c", nullptr},
      {"word", "-c", "-c", ""},
      {"word", "-O2 -c", "-c", "-O2 "},
      {"word", "-c\t-O2", "-c", "\t-O2"},
      {"word", "-g\t-Xi\t-O2", "-Xi", "-g\t\t-O2"},
      {"word", "x-c", "-c", nullptr},
      {"word", "\"-c\"", "-c", nullptr},
      {"word", "-DX=\"a -c b\"", "-c", nullptr},
      {"word", "", "-c", nullptr},
      {"word", "-XF -Oal", "-Oal", "-XF "},
      {"output", "-H -o a.abs -la", nullptr, "-H  -la"},
      {"output", "-H -oa.abs -la", nullptr, "-H  -la"},
      {"output", "-H -o \"my a.abs\" -la", nullptr, "-H  -la"},
      {"output", "-opndtrk -o", nullptr, "-opndtrk "},
      {"output", "-opndtrk", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + ": " + c.text);
    std::string rest = "untouched";
    bool found = false;
    if (std::string_view(c.what) == "attached") {
      found = RemoveOption(c.text, c.option, &rest);
    } else if (std::string_view(c.what) == "word") {
      found = RemoveWordOption(c.text, c.option, &rest);
      EXPECT_EQ(HasWordOption(c.text, c.option), found);
    } else {
      found = RemoveOutputOption(c.text, &rest);
    }
    EXPECT_EQ(found, c.rest != nullptr);
    EXPECT_EQ(rest, c.rest ? c.rest : "untouched");
  }
}

TEST(OptionTextTest, OutputOption) {
  struct Case {
    const char* text;
    std::ptrdiff_t position;
    const char* arg;
  };
  const Case cases[] = {
      {"-oa.rel", 0, "a.rel"},
      {"-H -o a.abs -la", 3, "a.abs"},
      {"-H\t-o\"c:\\my dir\\a.abs\" -la", 3, "c:\\my dir\\a.abs"},
      {"-opndtrk", -1, ""},
      {"-opndtrk -o x.abs", 9, "x.abs"},
      {"-DX-o -I\"a -o\"", -1, ""},
      {"-H -o", 3, ""},
      {"", -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FindOutputOption(c.text), c.position);
    std::string arg;
    EXPECT_EQ(ReadOutputArgument(c.text, &arg), c.position >= 0);
    EXPECT_EQ(arg, c.arg);
  }
}

TEST(OptionTextTest, LibraryOption) {
  struct Case {
    const char* text;
    std::ptrdiff_t position;
  };
  const Case cases[] = {
      {"-l", 0},
      {"-licm -lfout.lst", 6},
      {"-O2 -lx", 4},
      {"-licm -lvcm -loop_unroll -loop_rotation", -1},
      {"-I\"a -lx\" -DX-l", -1},
      {"", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FindLibraryOption(c.text), c.position);
  }
}

TEST(OptionTextTest, SplitArguments) {
  struct Case {
    const char* text;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"-O2 \"-Ic:\\my dir\"", {"-O2", "-Ic:\\my dir"}},
      {"  -O2 \t -g  ", {"-O2", "-g"}},
      {"-DX=\"a b\"c", {"-DX=a bc"}},
      {"a \"\" b", {"a", "", "b"}},
      {"\"unclosed  x", {"unclosed  x"}},
      {"", {}},
      {" \t ", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SplitArguments(c.text), c.args);
  }
}

TEST(OptionTextTest, ExtractOptionValues) {
  struct Case {
    const char* text;
    std::vector<std::string> values;
  };
  const Case cases[] = {
      {"-Ia -I b -I \"c:\\my inc\" -O2", {"a", "b", "c:\\my inc"}},
      {"-I\"c:\\my inc\"\t-Id", {"c:\\my inc", "d"}},
      {"-DX-Ie -i f \"-I g\"", {}},
      {"-I -Ia", {"-Ia"}},
      {"-I \"\" -I", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ExtractOptionValues(c.text, "-I"), c.values);
  }
  EXPECT_EQ(ExtractOptionValues("-DA -DB=\"1 2\"", "-D"), (std::vector<std::string>{"A", "B=1 2"}));
}

TEST(OptionTextTest, EndianOption) {
  struct Case {
    const char* options;
    const char* cpu;
    const char* expected;
  };
  const Case cases[] = {
      {"-O2 -Rbe", "MR44", "-Rbe"},
      {"-Rle -g", "MR44A", "-Rle"},
      {"-Rbe", "MX-520", ""},  // not an option of that family
      {"-Rbe", "mr44", ""},    // CPU masks take "MR44" in exact case
      {"-Rxx -Rei", "MR44", ""},
      {"-O2", "MR44", ""},
      {"", "MR44", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.cpu) + ": " + c.options);
    EXPECT_EQ(GetEndianOptionText(c.options, c.cpu), c.expected);
  }
}

}  // namespace
}  // namespace zelvan

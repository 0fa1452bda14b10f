#include "toolchain/option_string.h"

#include <gtest/gtest.h>

#include <tuple>

#include "platform/ansi_text.h"

namespace zelvan {
namespace {

struct Stored {
  std::string name;
  std::string value;
  int32_t flags;
  bool operator==(const Stored&) const = default;
};

std::vector<Stored> StoredOptions(const OptionString& options) {
  std::vector<Stored> all;
  for (int i = 0; i < options.GetCount(); ++i) {
    Stored s;
    EXPECT_TRUE(options.GetAt(i, &s.name, &s.value, &s.flags));
    all.push_back(s);
  }
  return all;
}

std::string Describe(const std::vector<Stored>& all) {
  std::string text;
  for (const Stored& s : all)
    text += "[" + s.name + "|" + s.value + "|" + std::to_string(s.flags) + "]";
  return text;
}

struct NamedTable {
  const char* name;
  std::span<const OptionDefinition> rows;
};

const NamedTable kTables[] = {
    {"compiler", CompilerOptionTable()},
    {"linker", LinkerOptionTable()},
    {"converter", ConverterOptionTable()},
};

const char* const kCpus[] = {"MX-520", "MR44", "MR44A", "MX-310/P", "MX-310/P1"};

TEST(CpuMaskTest, NamesToBits) {
  const std::pair<const char*, int32_t> cases[] = {
      {"MX-520", 1},   {"MX-520/S", 1},   {"", 1},           {"MR44", 2},
      {"mr44", 1},     {"MR44A", 4},      {"Mr44a", 1},      {"MX-310/P", 8},
      {"mx-310/p", 8}, {"MX-310/P1", 16}, {"mx-310/p1", 16}, {"MX-310", 1},
  };
  for (const auto& [cpu, mask] : cases) {
    SCOPED_TRACE(cpu);
    EXPECT_EQ(GetCpuMask(cpu), mask);
  }
}

// Option strings that exercise one row, with the value each must store.
struct Sample {
  std::string text;
  std::string value;
  int32_t flags;
};

std::vector<Sample> SamplesFor(const OptionDefinition& row) {
  const std::string name = row.name;
  const bool blank = row.blank_separated != 0;
  const bool raw = row.value_type == kOptionRawText;
  std::vector<Sample> samples;
  if (name.empty())
    return {{"extra.rel", "extra.rel", 0}, {"\"my file.rel\"", "\"my file.rel\"", 0}};
  switch (row.value_type) {
    case kOptionSwitch:
      samples.push_back({name, "", 0});
      break;
    case kOptionText:
    case kOptionRawText:
      samples.push_back({name + " v1", "v1", kOptionFlagBlank});
      samples.push_back({name + " \"a b\"", raw ? "\"a b\"" : "a b", kOptionFlagBlank});
      if (!blank || row.separation_mode == 1) {
        samples.push_back({name + "v1", "v1", 0});
        samples.push_back({name + "\"a b\"", raw ? "\"a b\"" : "a b", 0});
      }
      break;
    case kOptionWord:
    case kOptionNumber:
      for (const std::string& item : SplitAll(OptionText(row.allowed), ',')) {
        samples.push_back({name + item, item, 0});
      }
      break;
    case kOptionDecimalRange:
    case kOptionHexRange:
      for (const std::string& bound : SplitAll(OptionText(row.allowed), '-')) {
        samples.push_back({name + bound, bound, 0});
      }
      break;
  }
  return samples;
}

TEST(ProjOptStringTest, EveryRowRoundTripsForEveryCpuItAppliesTo) {
  int checked = 0;
  for (const NamedTable& table : kTables) {
    for (const OptionDefinition& row : table.rows) {
      for (const char* cpu : kCpus) {
        if (!RowAppliesTo(row, GetCpuMask(cpu))) continue;
        for (const Sample& sample : SamplesFor(row)) {
          SCOPED_TRACE(std::string(table.name) + ", order " + std::to_string(row.order) + ", " +
                       cpu + ": " + sample.text);
          OptionString options;
          options.SetTable(table.rows);
          options.SetCpu(cpu);
          EXPECT_TRUE(options.ParseOptions(sample.text, false));
          EXPECT_TRUE(options.GetRejected().empty());
          const std::vector<Stored> first = StoredOptions(options);
          EXPECT_EQ(first, (std::vector<Stored>{{row.name, sample.value, sample.flags}}))
              << Describe(first);

          const std::string text = options.FormatOptions();
          EXPECT_TRUE(options.ParseOptions(text, false)) << text;
          EXPECT_EQ(StoredOptions(options), first) << text;
          EXPECT_EQ(options.FormatOptions(), text);
          ++checked;
        }
      }
    }
  }
  EXPECT_GT(checked, 300);
}

TEST(ProjOptStringTest, FormatsInTableOrder) {
  struct Case {
    std::span<const OptionDefinition> table;
    const char* cpu;
    const char* input;
    const char* output;
    std::vector<std::string> rejected;
  };
  const auto cc = CompilerOptionTable();
  const auto lnk = LinkerOptionTable();
  const auto cvt = ConverterOptionTable();
  const Case cases[] = {
      {cc, "MX-520", "-I c:\\inc -g -O2 -DX -w9", "-O2 -g -DX -I c:\\inc -w9 ", {"-w9"}},
      {cc, "MX-520", " \t ", "", {}},
      // Options of another family fall to the row for any other argument.
      {cc, "MR44", "-Nr32 -O1", "-O1 -Nr32 ", {}},
      {cc, "MR44", "-gn -g", "-g -gn ", {}},
      // Once-only options keep the last value; repeatable ones keep all.
      {cc, "MX-520", "-O1 -H -O2 -H", "-H -O2 ", {}},
      {cc, "MX-520", "-DA -UB -DC", "-DA -DC -UB ", {}},
      // Blanks inside quotes stay with the value.
      {cc, "MX-520", "-I \"c:\\my inc\" -I\"d e\" -Ix", "-I \"c:\\my inc\" -I \"d e\" -I x ", {}},
      {cc, "MX-520", "-Zt\"a b\" -Zd x", "-Zt\"a b\" -Zd x ", {}},
      {cc, "MX-520", "x \"a b", "x \"a b\" ", {}},
      // "-f" keeps or drops the blank as written.
      {cc, "MX-520", "-f a.cmd -fb.cmd", "-f a.cmd -fb.cmd ", {}},
      // Missing values: "-g" may have none, "-w" and "-I" must have one.
      {cc, "MX-520", "-g -w -O2 -I", "-O2 -g -I \"\" -w ", {"-w", "-I"}},
      {lnk, "MX-520", "-e", "-e \"\" ", {"-e"}},
      // Name and value that would run together into another option stay apart.
      {lnk, "MX-520", "-\"e\" -o\"pndtrk\"", "-o\"pndtrk\" -\"e\" ", {}},
      {cc, "MX-520", "-Xp4 -Xc -Xq", "-Xc -Xp4 -Xq ", {"-Xq"}},
      {cc, "MX-520", "\x01\xff -O2", "-O2 \x01\xff ", {}},
      {lnk,
       "MX-520",
       "-o out.abs -H -L lib -w2 -lp100 main.rel -lib",
       "-H -o out.abs -w2 -L lib -lp100 -lib main.rel ",
       {}},
      {lnk, "MX-520", "-opndtrk -o \"my out.abs\"", "-o \"my out.abs\" -opndtrk ", {}},
      {lnk, "MX-520", "-o \"-x.abs\"", "-o \"-x.abs\" ", {}},
      {lnk,
       "MX-520",
       "-lp99999999999999999999999999",
       "-lp99999999999999999999999999 ",
       {"-lp99999999999999999999999999"}},
      {lnk, "MX-520", "-FFFFF -F0x10", "-FFFFF -F0x10 ", {"-F0x10"}},
      {cvt, "MX-520", "-P a -ra b -Fs16 -cc \"x y\" z", "-Fs16 -cc \"x y\" -P a -ra b z ", {}},
      {cvt, "MX-520", "-Fs99 -F s16", "-Fs99 -F s16 ", {"-Fs99", "-F"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.cpu) + ": " + c.input);
    OptionString options;
    options.SetTable(c.table);
    options.SetCpu(c.cpu);
    EXPECT_EQ(options.ParseOptions(c.input, false), c.rejected.empty());
    EXPECT_EQ(options.GetRejected(), c.rejected);
    const std::string output = options.FormatOptions();
    EXPECT_EQ(output, c.output);
    // The canonical form is stable.
    options.ParseOptions(output, false);
    EXPECT_EQ(options.FormatOptions(), output);
  }
}

TEST(ProjOptStringTest, ValuesWithBlanksAreQuotedExceptRawText) {
  OptionString options;
  options.SetTable(CompilerOptionTable());
  options.AddOption("-I", "c:\\my inc", 0);
  options.AddOption("-Zt", "a b", 0);
  options.AddOption("-D", "X=\"a b\"", 0);
  options.AddOption("", "my file.rel", 0);
  EXPECT_EQ(options.FormatOptions(), "-Zta b -DX=\"a b\" -I \"c:\\my inc\" \"my file.rel\" ");
}

TEST(ProjOptStringTest, StoredOptionsApi) {
  OptionString options;
  options.SetTable(CompilerOptionTable());
  options.SetCpu("MR44");
  ASSERT_TRUE(options.ParseOptions("-Nr32 -DA", false));
  ASSERT_TRUE(options.ParseOptions("-DB -Nr16", true));
  EXPECT_EQ(StoredOptions(options),
            (std::vector<Stored>{{"-Nr", "16", 0}, {"-D", "A", 0}, {"-D", "B", 0}}));
  std::string value;
  EXPECT_TRUE(options.FindOptionValue("-D", &value));
  EXPECT_EQ(value, "A");
  EXPECT_FALSE(options.FindOptionValue("-d", &value));
  EXPECT_FALSE(options.FindOptionValue("-DA", &value));

  std::string name = "n", val = "v";
  int32_t flags = 7;
  EXPECT_FALSE(options.GetAt(3, &name, &val, &flags) || options.GetAt(-1, &name, &val, &flags));
  EXPECT_EQ(std::tie(name, val, flags), std::make_tuple("n", "v", 7));

  // Once-only options are replaced, others appended; unknown names go last.
  options.AddOption("-Nr", "32", 0);
  options.AddOption("-D", "C", 0);
  options.AddOption("-Q", "x", 0);
  EXPECT_EQ(options.FormatOptions(), "-Nr32 -DA -DB -DC -Qx ");
}

// Without a table nothing is accepted; a table ends at its terminating row.
TEST(ProjOptStringTest, DefaultTableAndTerminatingRow) {
  OptionString options;
  EXPECT_FALSE(options.ParseOptions("-O2 \"a b\"", false));
  EXPECT_EQ(options.GetRejected(), (std::vector<std::string>{"-O2", "\"a b\""}));
  EXPECT_EQ(options.GetCount(), 0);
  const OptionDefinition rows[] = {
      {1, "-a", kOptionSwitch, nullptr, 0, 0, nullptr, 1, nullptr, 0, -1, 0},
      {-1, "", kOptionText, nullptr, 0, 0, nullptr, -1, nullptr, 0, -1, 0},
      {2, "", kOptionText, nullptr, 0, 0, nullptr, -1, nullptr, 0, -1, 0},
  };
  options.SetTable(rows);
  // A later parse reports only its own arguments.
  EXPECT_FALSE(options.ParseOptions("-a -b", false));
  EXPECT_EQ(options.GetRejected(), (std::vector<std::string>{"-b"}));
  EXPECT_EQ(options.FormatOptions(), "-a ");
}

}  // namespace
}  // namespace zelvan

#include "toolchain/cpu_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelvan {
namespace {

TEST(CpuDriverTableTest, CompilerByCpuAndHomeVariable) {
  struct Case {
    const char* cpu;
    const char* home_variable;  // null: none given
    const char* compiler;
  };
  const Case cases[] = {
      {"MR44", nullptr, "cc52i.exe"},  // the first MR44 row
      {"MR44", "KHOME52IP", "cc52ip.exe"},
      {"mr44", "khome52ip", "cc52ip.exe"},
      {"MR44", "KHOME52I", "cc52i.exe"},
      {"MR44", "KHOME520", ""},
      {"MX-520", nullptr, "cc520.exe"},
      {"mx-310/p1", nullptr, "cc310p.exe"},
      {"MX-310/P", "KHOME310P", "cc310p.exe"},
      {"MR44A", nullptr, "ccmr.exe"},
      {"MX-520/S", nullptr, ""},  // not in the table
      {"K310SA1", nullptr, ""},
      {"", nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.cpu) + " / " + (c.home_variable ? c.home_variable : "(none)"));
    std::optional<std::string_view> variable;
    if (c.home_variable) variable = c.home_variable;
    EXPECT_EQ(GetCompilerExe(c.cpu, variable), c.compiler);
  }
}

TEST(CpuDriverTableTest, RowsByHomeVariable) {
  int rows = 0;
  while (CpuDriverTable[rows].CpuCode != 0) ++rows;
  EXPECT_EQ(rows, 6);

  const CpuDriverRow* row = FindDriverRow("khome52ip");
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->CheckOptionForm, 2u);
  EXPECT_STREQ(row->DriverDll, "QkDriver52IP.DLL");
  row = FindDriverRow("KHOME310P");
  ASSERT_NE(row, nullptr);
  EXPECT_STREQ(row->CpuName, "MX-310/P");  // the first of its two rows
  EXPECT_EQ(row->CpuCode, 3u);
  EXPECT_EQ(FindDriverRow("KHOME310SA"), nullptr);
  EXPECT_EQ(FindDriverRow(""), nullptr);  // never the terminating row
}

TEST(SplitDriverArgumentsTest, BlanksSeparateAndQuotesGroup) {
  struct Case {
    const char* options;
    std::vector<std::string> args;
  };
  const Case cases[] = {
      {"", {}},
      {" \t ", {}},
      {"-O1", {"-O1"}},
      {"-O1 \"-Ia b\"", {"-O1", "-Ia b"}},
      {"  -O1\t\t-g  ", {"-O1", "-g"}},
      {"-I\"C:\\My Dir\"\\x -C", {"-IC:\\My Dir\\x", "-C"}},
      {"a \"\" b", {"a", "", "b"}},
      {"\"unterminated arg", {"unterminated arg"}},
      {"a\"\"b", {"ab"}},
      {"\"a\tb\" c", {"a\tb", "c"}},
      {"-o \"out dir\\x.rel\" -C abcdefg.c", {"-o", "out dir\\x.rel", "-C", "abcdefg.c"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    EXPECT_EQ(SplitDriverArguments(c.options), c.args);
  }
  // No limit on the length of one argument or on their number.
  std::string long_arg(20000, 'x');
  EXPECT_EQ(SplitDriverArguments("-a " + long_arg), (std::vector<std::string>{"-a", long_arg}));
  std::string many;
  for (int i = 0; i < 5000; ++i) many += "-x ";
  EXPECT_EQ(SplitDriverArguments(many).size(), 5000u);
}

}  // namespace
}  // namespace zelvan

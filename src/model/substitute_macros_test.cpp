#include "model/substitute_macros.h"

#include <gtest/gtest.h>

namespace zelvan {
namespace {

TEST(SubstituteMacros, ReplacesEachNameInTableOrder) {
  const std::vector<std::string> names = {"IntDir", "OutDir", "Deep", "Empty"};
  const std::vector<std::string> values = {".\\obj", "$(Deep)\\bin", "C:\\d"};
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {"$(IntDir)\\a.c $(IntDir)\\b.c", ".\\obj\\a.c .\\obj\\b.c"},
      // A value that names a later macro is substituted in turn; an earlier one is not.
      {"$(OutDir)\\x", "C:\\d\\bin\\x"},
      {"$(Deep)$(IntDir)", "C:\\d.\\obj"},
      // A name without a value counts as empty; unknown names and case differences stay.
      {"a$(Empty)b", "ab"},
      {"$(intdir) $(Other) $(IntDir", "$(intdir) $(Other) $(IntDir"},
      {"no macros", "no macros"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SubstituteMacros(c.text, names, values), c.expected);
  }
}

TEST(SubstituteMacros, BoundedSubstitutionStopsAtTheBound) {
  // M0 names M1 twice, M1 names M2 twice, ...: unbounded, "$(M0)" would
  // become 2^40 bytes in one pass.
  std::vector<std::string> names, values;
  for (int i = 0; i < 40; ++i) {
    names.push_back("M" + std::to_string(i));
    values.push_back("$(M" + std::to_string(i + 1) + ")$(M" + std::to_string(i + 1) + ")");
  }
  values.back() = "xy";
  std::string result;
  EXPECT_FALSE(SubstituteMacrosWithin("$(M0)", names, values, 1000, &result));
  // The bound holds for every step; a result of the bound's size passes.
  ASSERT_TRUE(SubstituteMacrosWithin("$(A)$(A)", {"A"}, {"vwxyz"}, 10, &result));
  EXPECT_EQ(result, "vwxyzvwxyz");
  EXPECT_FALSE(SubstituteMacrosWithin("$(A)$(A)", {"A"}, {"vwxyz"}, 9, &result));
  EXPECT_FALSE(SubstituteMacrosWithin("too long", {}, {}, 7, &result));
}

}  // namespace
}  // namespace zelvan

#include "model/substitute_macros.h"

#include <gtest/gtest.h>

namespace zelvan {
namespace {

TEST(SubstituteMacros, ReplacesEachNameInTableOrder) {
  const std::vector<std::string> names = {"IntDir", "OutDir", "Deep", "Empty"};
  const std::vector<std::string> values = {".\\obj", "$(Deep)\\bin", "C:\\d"};
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SubstituteMacros(c.text, names, values), c.expected);
  }
}

}  // namespace
}  // namespace zelvan

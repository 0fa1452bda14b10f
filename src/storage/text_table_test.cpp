#include "storage/text_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelvan {
namespace {

// Many texts, long and short, some of them longer than a block, added
// twice over a Clear: ids count up in order of first addition, each text
// keeps its id and its place, and a cleared table starts again from 0.
TEST(TextTableTest, NumbersTextsOnceAndKeepsThemInPlace) {
  TextTable table;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    std::vector<std::string> texts;
    for (int i = 0; i < 5000; ++i)
      texts.push_back("C:\\src\\m" + std::to_string(i % 97) + "\\f" + std::to_string(i) + ".h");
    texts.push_back("");
    texts.push_back(std::string(100000, 'x'));
    texts.push_back(std::string("a\0b", 3));
    std::vector<std::string_view> views;
    for (size_t i = 0; i < texts.size(); ++i) {
      ASSERT_EQ(table.Find(texts[i]), -1) << texts[i];
      ASSERT_EQ(table.Add(texts[i]), static_cast<int32_t>(i)) << texts[i];
      views.push_back(table.Text(static_cast<int32_t>(i)));
    }
    EXPECT_EQ(table.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(table.Add(texts[i]), static_cast<int32_t>(i));
      EXPECT_EQ(table.Find(texts[i]), static_cast<int32_t>(i));
      EXPECT_EQ(views[i], texts[i]);  // still where it was first put
      EXPECT_EQ(views[i].data(), table.Text(static_cast<int32_t>(i)).data());
    }
    EXPECT_EQ(table.Find("C:\\SRC\\m0\\f0.h"), -1);  // exact bytes
    EXPECT_EQ(table.Find(std::string("a\0c", 3)), -1);
    table.Clear();
    EXPECT_EQ(table.size(), 0u);
    EXPECT_EQ(table.Find(texts[0]), -1);
  }
}

}  // namespace
}  // namespace zelvan

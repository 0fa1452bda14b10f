#include "model/tree_node_table.h"

#include <gtest/gtest.h>

namespace zelvan {
namespace {

TEST(TreeNodeTable, StoresFindsAndForgetsNodes) {
  TreeNodeTable table;
  std::string text;
  EXPECT_FALSE(table.GetNodeText(7, &text));
  EXPECT_EQ(table.FindNode("main.c"), 0u);

  table.SetNodeText(7, "main.c");
  table.SetNodeText(3, "Main.C");
  table.SetNodeText(9, "motor.c");
  ASSERT_TRUE(table.GetNodeText(7, &text));
  EXPECT_EQ(text, "main.c");
  // The lowest handle of equal texts, letter case ignored.
  EXPECT_EQ(table.FindNode("MAIN.c"), 3u);

  table.SetNodeText(7, "board.h");  // replaces
  ASSERT_TRUE(table.GetNodeText(7, &text));
  EXPECT_EQ(text, "board.h");
  EXPECT_EQ(table.size(), 3u);

  table.RemoveNode(3);
  EXPECT_EQ(table.FindNode("main.c"), 0u);
  table.RemoveNode(42);  // unknown: nothing happens
  table.ClearNodes();
  EXPECT_EQ(table.size(), 0u);
  EXPECT_FALSE(table.GetNodeText(9, &text));
}

}  // namespace
}  // namespace zelvan

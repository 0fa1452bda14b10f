#include "storage/cash_profile_data.h"

#include <gtest/gtest.h>

namespace zelvan {
namespace {

TEST(CashProfileDataTest, SectionsIgnoreCaseKeysDoNot) {
  CCashProfileData cache;
  std::string value = "stale";
  EXPECT_FALSE(cache.GetValue("Debug", "OUTPUT", &value));
  EXPECT_EQ(value, "");  // emptied even on a miss
  EXPECT_TRUE(cache.SetValue("Debug", "OUTPUT", "a.abs"));
  EXPECT_TRUE(cache.SetValue("DEBUG", "OUTPUT", "b.abs"));  // the same section
  EXPECT_TRUE(cache.GetValue("debug", "OUTPUT", &value));
  EXPECT_EQ(value, "b.abs");
  EXPECT_FALSE(cache.GetValue("Debug", "output", &value));
  EXPECT_TRUE(cache.HasSection("dEBUG"));

  EXPECT_TRUE(cache.SetValue("Release", "OUTPUT", "r.abs"));
  EXPECT_TRUE(cache.RemoveSection("DEBUG"));
  EXPECT_FALSE(cache.HasSection("Debug"));
  EXPECT_TRUE(cache.RemoveSection("Debug"));  // nothing left to remove
  EXPECT_TRUE(cache.HasSection("Release"));
  cache.RemoveAll();
  EXPECT_FALSE(cache.HasSection("Release"));
}

}  // namespace
}  // namespace zelvan

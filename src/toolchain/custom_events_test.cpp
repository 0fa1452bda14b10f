#include "toolchain/custom_events.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zelvan {
namespace {

std::vector<uint32_t> Ids(const CustomEvents& events, const char* name) {
  std::vector<uint32_t> ids;
  events.GetEventID(name, &ids);
  return ids;
}

TEST(CCustomEventDataTest, GivesIdsFromTheRangeAndTakesThemBack) {
  CustomEvents events(kCustomEventFirstId, kCustomEventLastId);
  uint32_t id = 0;
  std::vector<uint32_t> given;
  for (auto [handle, name] : {std::pair{0x100, "build"}, {0x200, "build"}, {0x300, "scan"}}) {
    ASSERT_TRUE(events.SetEventData(handle, name, &id));
    given.push_back(id);
  }
  EXPECT_EQ(given, (std::vector<uint32_t>{12550, 12551, 12552}));
  EXPECT_EQ(Ids(events, "build"), (std::vector<uint32_t>{12550, 12551}));
  EXPECT_EQ(Ids(events, "Build"), std::vector<uint32_t>{});  // names are exact

  // Registering a handle again renames it and keeps its id.
  ASSERT_TRUE(events.SetEventData(0x100, "scan", &id));
  EXPECT_EQ(id, 12550u);
  EXPECT_EQ(Ids(events, "scan"), (std::vector<uint32_t>{12550, 12552}));

  // A freed id is the next one given.
  EXPECT_TRUE(events.DelEventData(0x200));
  EXPECT_FALSE(events.DelEventData(0x200));
  EXPECT_EQ(Ids(events, "build"), std::vector<uint32_t>{});
  ASSERT_TRUE(events.SetEventData(0x400, "other", &id));
  EXPECT_EQ(id, 12551u);
}

TEST(CCustomEventDataTest, RefusesWhatItCannotHold) {
  CustomEvents events(kCustomEventFirstId, kCustomEventLastId);
  uint32_t id = 7;
  EXPECT_FALSE(events.SetEventData(0, "build", &id));
  EXPECT_FALSE(events.SetEventData(1, "", &id));
  EXPECT_EQ(id, 7u);
  EXPECT_FALSE(events.DelEventData(0));

  for (uintptr_t handle = 1; handle <= 10; ++handle) {
    ASSERT_TRUE(events.SetEventData(handle, "e", &id));
  }
  EXPECT_EQ(id, kCustomEventLastId);
  id = 7;
  EXPECT_FALSE(events.SetEventData(11, "e", &id));  // the range is used up
  EXPECT_EQ(id, 7u);
  EXPECT_EQ(Ids(events, "e").size(), 10u);

  CustomEvents empty(5, 4);
  EXPECT_FALSE(empty.SetEventData(1, "e", &id));

  // A range as wide as the id type costs nothing until used, and ends right.
  CustomEvents wide(0xFFFFFFFEu, 0xFFFFFFFFu);
  ASSERT_TRUE(wide.SetEventData(1, "e", &id));
  EXPECT_EQ(id, 0xFFFFFFFEu);
  ASSERT_TRUE(wide.SetEventData(2, "e", &id));
  EXPECT_EQ(id, 0xFFFFFFFFu);
  EXPECT_FALSE(wide.SetEventData(3, "e", &id));
  CustomEvents all(0, 0xFFFFFFFFu);
  ASSERT_TRUE(all.SetEventData(1, "e", &id));
  EXPECT_EQ(id, 0u);
}

}  // namespace
}  // namespace zelvan

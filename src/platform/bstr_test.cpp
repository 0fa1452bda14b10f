#include "platform/bstr.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace zelvan {
namespace {

uint32_t PrefixOf(BSTR text) {
  uint32_t prefix;
  std::memcpy(&prefix, reinterpret_cast<const char*>(text) - 4, 4);
  return prefix;
}

TEST(BstrTest, LayoutIsByteCountThenUnitsThenZero) {
  const OLECHAR units[] = {u'a', 0, u'b', 0x00FF, 0x1234};
  BSTR text = SysAllocStringLen(units, 5);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(PrefixOf(text), 10u);
  EXPECT_EQ(SysStringByteLen(text), 10u);
  EXPECT_EQ(SysStringLen(text), 5u);
  EXPECT_EQ(std::memcmp(text, units, sizeof units), 0);
  EXPECT_EQ(text[5], 0);
  SysFreeString(text);

  BSTR empty = SysAllocStringLen(nullptr, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(PrefixOf(empty), 0u);
  EXPECT_EQ(empty[0], 0);
  SysFreeString(empty);

  // Without a source the units are zero, not left over from earlier use.
  BSTR blank = SysAllocStringLen(nullptr, 3);
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(blank[0] | blank[1] | blank[2] | blank[3], 0);
  SysFreeString(blank);
}

// Null is the empty string; a zero-terminated copy stops at the first zero.
TEST(BstrTest, NullAndZeroTerminatedStrings) {
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  EXPECT_EQ(TextFromBstr(nullptr), "");
  EXPECT_EQ(TextFromOleString(nullptr), "");
  SysFreeString(nullptr);  // no effect
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  const OLECHAR units[] = {u'x', u'y', 0, u'z', 0};
  BSTR text = SysAllocString(units);
  EXPECT_EQ(SysStringLen(text), 2u);
  EXPECT_EQ(TextFromBstr(text), "xy");
  SysFreeString(text);
}

TEST(BstrTest, EveryByteStringRoundTrips) {
  std::string all;
  for (int b = 255; b >= 0; --b) {
    all.push_back(static_cast<char>(b));
  }
  // Every byte value, double-byte pairs among them, stays one unit each.
  const std::string cases[] = {"", std::string("a\0b\0", 4), all};
  for (const std::string& text : cases) {
    SCOPED_TRACE(testing::PrintToString(text));
    BSTR bstr = BstrFromText(text);
    ASSERT_NE(bstr, nullptr);
    ASSERT_EQ(SysStringLen(bstr), text.size());
    for (size_t i = 0; i < text.size(); ++i) {
      EXPECT_EQ(bstr[i], static_cast<unsigned char>(text[i])) << i;
    }
    EXPECT_EQ(TextFromBstr(bstr), text);
    SysFreeString(bstr);
  }
}

TEST(BstrTest, UnitsWithoutAByteBecomeQuestionMarks) {
  const OLECHAR units[] = {u'a', 0x0100, 0xFFFF, u'b', 0};
  BSTR bstr = SysAllocString(units);
  EXPECT_EQ(TextFromBstr(bstr), "a??b");
  EXPECT_EQ(TextFromOleString(units), "a??b");
  SysFreeString(bstr);
}

TEST(BstrTest, HugeLengthsFailCleanly) {
  const size_t live = BstrLiveCount();
  EXPECT_EQ(SysAllocStringLen(nullptr, kMaxBstrLength + 1), nullptr);
  EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
  EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);  // byte count would wrap
  EXPECT_EQ(BstrLiveCount(), live);
}

TEST(BstrTest, LiveCountFollowsAllocationAndScopedOwnership) {
  const size_t live = BstrLiveCount();
  {
    ScopedBstr owned("name");
    EXPECT_EQ(BstrLiveCount(), live + 1);
    EXPECT_EQ(owned.Text(), "name");
    owned.Reset(BstrFromText("other"));
    EXPECT_EQ(BstrLiveCount(), live + 1);
    // An out argument: the old string is freed before the slot is handed out.
    *owned.Receive() = BstrFromText("result");
    EXPECT_EQ(owned.Text(), "result");
    EXPECT_EQ(BstrLiveCount(), live + 1);
    BSTR released = owned.Release();
    EXPECT_EQ(owned.Get(), nullptr);
    SysFreeString(released);
    EXPECT_EQ(BstrLiveCount(), live);
    owned.Reset(BstrFromText("kept"));
  }
  EXPECT_EQ(BstrLiveCount(), live);
}

}  // namespace
}  // namespace zelvan

#include "com/bstr.h"

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

// Null is the empty string; a zero-terminated copy stops at the first zero;
// a unit without a byte becomes "?"; a length past the limit fails cleanly.
TEST(BstrTest, NullZerosWideUnitsAndHugeLengths) {
  const size_t live = BstrLiveCount();
  EXPECT_EQ(SysStringLen(nullptr) + SysStringByteLen(nullptr), 0u);
  EXPECT_EQ(TextFromBstr(nullptr) + TextFromOleString(nullptr), "");
  SysFreeString(nullptr);  // no effect
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  const OLECHAR units[] = {u'x', 0x0100, 0xFFFF, 0, u'z', 0};
  BSTR text = SysAllocString(units);
  EXPECT_EQ(SysStringLen(text), 3u);
  EXPECT_EQ(TextFromBstr(text), "x??");
  EXPECT_EQ(TextFromOleString(units), "x??");
  SysFreeString(text);
  for (uint32_t length : {kMaxBstrLength + 1, 0xFFFFFFFFu, 0x80000000u})  // the last wraps bytes
    EXPECT_EQ(SysAllocStringLen(nullptr, length), nullptr) << length;
  EXPECT_EQ(BstrLiveCount(), live);
}

// Every byte value, double-byte pairs among them, stays one unit each.
TEST(BstrTest, EveryByteStringRoundTrips) {
  std::string all;
  for (int b = 255; b >= 0; --b)
    all.push_back(static_cast<char>(b));
  for (const std::string& text : {std::string(), std::string("a\0b\0", 4), all}) {
    SCOPED_TRACE(testing::PrintToString(text));
    BSTR bstr = BstrFromText(text);
    ASSERT_EQ(SysStringLen(bstr), text.size());
    for (size_t i = 0; i < text.size(); ++i)
      EXPECT_EQ(bstr[i], static_cast<unsigned char>(text[i])) << i;
    EXPECT_EQ(TextFromBstr(bstr), text);
    SysFreeString(bstr);
  }
}

TEST(BstrTest, LiveCountFollowsAllocationAndScopedOwnership) {
  const size_t live = BstrLiveCount();
  {
    ScopedBstr owned("name");
    EXPECT_EQ(BstrLiveCount(), live + 1);
    EXPECT_EQ(owned.Text(), "name");
    owned.Reset(BstrFromText("other"));
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

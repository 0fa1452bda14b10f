#include "com/safe_array.h"

#include <gtest/gtest.h>

#include <limits>

#include "com/bstr.h"
#include "com/variant.h"
#include "platform/ansi_text.h"

namespace zelvan {
namespace {

constexpr LONG kMinLong = std::numeric_limits<LONG>::min();
constexpr LONG kMaxLong = std::numeric_limits<LONG>::max();

TEST(SafeArrayTest, BoundsAndDescriptorForAnyLowerBound) {
  const struct {
    LONG lower;
    ULONG count;
    LONG upper;
  } cases[] = {{0, 3, 2},
               {1, 3, 3},
               {-5, 2, -4},
               {7, 0, 6},
               {kMaxLong, 1, kMaxLong},
               {kMinLong, 1, kMinLong}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "lower " << c.lower << " count " << c.count);
    SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, c.lower, c.count);
    ASSERT_NE(psa, nullptr);
    VARTYPE vt = VT_EMPTY;
    LONG lower = 0, upper = 0;
    EXPECT_EQ(SafeArrayGetVartype(psa, &vt) | SafeArrayGetLBound(psa, 1, &lower) |
                  SafeArrayGetUBound(psa, 1, &upper),
              S_OK);
    EXPECT_EQ(StringPrintf("%u %u %u %d %d %d", SafeArrayGetDim(psa), SafeArrayGetElemsize(psa),
                           psa->fFeatures, vt, lower, upper),
              StringPrintf("1 %zu %u %d %d %d", sizeof(BSTR),
                           unsigned{FADF_HAVEVARTYPE | FADF_BSTR}, VT_BSTR, c.lower, c.upper));
    EXPECT_EQ(SafeArrayGetLBound(psa, 2, &lower), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayGetUBound(psa, 0, &upper), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
  }
}

TEST(SafeArrayTest, RefusesWhatItCannotHold) {
  // Upper bounds that do not fit a LONG, other types and dimensions, huge sizes.
  EXPECT_EQ(SafeArrayCreateVector(VT_BSTR, kMaxLong, 2), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_BSTR, kMinLong, 0), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_BSTR, 0, 0xFFFFFFFFu), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_DISPATCH, 0, 1), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_BSTR | VT_BYREF, 0, 1), nullptr);
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
  EXPECT_EQ(SafeArrayCreate(VT_BSTR, 2, bounds), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_BSTR, 0, bounds), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_BSTR, 1, nullptr), nullptr);

  EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
  EXPECT_EQ(SafeArrayGetDim(nullptr), 0u);
  LONG bound;
  EXPECT_EQ(SafeArrayGetLBound(nullptr, 1, &bound), E_INVALIDARG);
}

TEST(SafeArrayTest, ElementsAreCopiedInAndOut) {
  const size_t live = BstrLiveCount();
  SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, -2, 3);
  ASSERT_NE(psa, nullptr);
  {
    ScopedBstr value("first");
    LONG index = -2;
    EXPECT_EQ(SafeArrayPutElement(psa, &index, value.Get()), S_OK);
    ScopedBstr replaced("second");
    EXPECT_EQ(SafeArrayPutElement(psa, &index, replaced.Get()), S_OK);  // frees "first"
  }
  EXPECT_EQ(BstrLiveCount(), live + 1);  // the array's own copy

  for (LONG index : {-3, 1, kMinLong, kMaxLong}) {
    SCOPED_TRACE(index);
    BSTR out = nullptr;
    EXPECT_EQ(SafeArrayGetElement(psa, &index, &out), DISP_E_BADINDEX);
    EXPECT_EQ(SafeArrayPutElement(psa, &index, nullptr), DISP_E_BADINDEX);
  }
  LONG index = -2;
  BSTR out = nullptr;
  EXPECT_EQ(SafeArrayGetElement(psa, &index, &out), S_OK);
  EXPECT_EQ(TextFromBstr(out), "second");
  SysFreeString(out);
  index = 0;  // never written: the empty string
  EXPECT_EQ(SafeArrayGetElement(psa, &index, &out), S_OK);
  EXPECT_EQ(out, nullptr);

  std::vector<std::string> items;
  ASSERT_TRUE(StringsFromSafeArray(psa, &items));
  EXPECT_EQ(items, (std::vector<std::string>{"second", "", ""}));
  EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
  EXPECT_EQ(BstrLiveCount(), live);
}

TEST(SafeArrayTest, StringListsRoundTrip) {
  const size_t live = BstrLiveCount();
  const std::vector<std::string> lists[] = {
      {},
      {""},
      {std::string("\0\xff\x80", 3), "\x95\x5C"},
  };
  for (const auto& list : lists) {
    SCOPED_TRACE(testing::PrintToString(list));
    SAFEARRAY* psa = SafeArrayFromStrings(list);
    ASSERT_NE(psa, nullptr);
    LONG lower = -1;
    SafeArrayGetLBound(psa, 1, &lower);
    EXPECT_EQ(lower, 0);
    std::vector<std::string> back{"stale"};
    ASSERT_TRUE(StringsFromSafeArray(psa, &back));
    EXPECT_EQ(back, list);
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(psa, &copy), S_OK);
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
    back.clear();
    ASSERT_TRUE(StringsFromSafeArray(copy, &back));
    EXPECT_EQ(back, list);
    // A locked array is not destroyed.
    void* data = nullptr;
    ASSERT_EQ(SafeArrayAccessData(copy, &data), S_OK);
    EXPECT_EQ(SafeArrayDestroy(copy), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(copy), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(copy), E_UNEXPECTED);  // not locked any more
    EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
  }
  EXPECT_EQ(BstrLiveCount(), live);
}

TEST(SafeArrayTest, ReadsArraysOfVariantsAndRefusesOtherTypes) {
  const size_t live = BstrLiveCount();
  SAFEARRAY* variants = SafeArrayCreateVector(VT_VARIANT, 1, 2);
  ASSERT_NE(variants, nullptr);
  EXPECT_EQ(variants->cbElements, sizeof(VARIANT));
  VARIANT item = VariantFromText("one");
  LONG index = 1;
  EXPECT_EQ(SafeArrayPutElement(variants, &index, &item), S_OK);
  VariantClear(&item);
  ScopedBstr two("two");
  item.vt = VT_BSTR | VT_BYREF;
  BSTR slot = two.Get();
  item.pbstrVal = &slot;
  index = 2;
  EXPECT_EQ(SafeArrayPutElement(variants, &index, &item), S_OK);
  std::vector<std::string> items;
  ASSERT_TRUE(StringsFromSafeArray(variants, &items));
  EXPECT_EQ(items, (std::vector<std::string>{"one", "two"}));

  // A VARIANT that holds no string spoils the list; `items` keeps its content.
  VARIANT number = VariantFromLong(7);
  index = 1;
  EXPECT_EQ(SafeArrayPutElement(variants, &index, &number), S_OK);
  EXPECT_FALSE(StringsFromSafeArray(variants, &items));
  EXPECT_EQ(items.size(), 2u);
  EXPECT_EQ(SafeArrayDestroy(variants), S_OK);

  SAFEARRAY* longs = SafeArrayCreateVector(VT_I4, 0, 1);
  EXPECT_FALSE(StringsFromSafeArray(longs, &items));
  EXPECT_EQ(SafeArrayDestroy(longs), S_OK);
  EXPECT_FALSE(StringsFromSafeArray(nullptr, &items));
  EXPECT_EQ(BstrLiveCount(), live + 1);  // `two`, still owned by this test
}

}  // namespace
}  // namespace zelvan

#include "com/com_types.h"

#include <gtest/gtest.h>

#include <cstddef>

#include "com/safe_array.h"
#include "com/variant.h"

namespace zelvan {
namespace {

// The layouts a caller built against the standard headers relies on (64-bit).
// Only what the member types alone do not already fix is checked.
static_assert(sizeof(void*) != 8 ||
                  (sizeof(GUID) == 16 && sizeof(VARIANT) == 24 && offsetof(VARIANT, lVal) == 8 &&
                   sizeof(SAFEARRAY) == 32 && offsetof(SAFEARRAY, cLocks) == 8 &&
                   offsetof(SAFEARRAY, pvData) == 16 && offsetof(SAFEARRAY, rgsabound) == 24 &&
                   sizeof(DISPPARAMS) == 24 && offsetof(DISPPARAMS, cArgs) == 16 &&
                   sizeof(EXCEPINFO) == 64 && offsetof(EXCEPINFO, scode) == 56),
              "COM types must keep the standard 64-bit layout");

TEST(ComTypesTest, ParsesAndFormatsGuids) {
  EXPECT_EQ(FormatGuid(IID_IDispatch), "{00020400-0000-0000-C000-000000000046}");
  EXPECT_EQ(FormatGuid(IID_IUnknown), "{00000000-0000-0000-C000-000000000046}");

  GUID guid{};
  ASSERT_TRUE(ParseGuid("{6A3F2B10-1C4D-4E5F-8A9B-0C1D2E3F4A50}", &guid));
  EXPECT_EQ(guid.Data1 + guid.Data2 + guid.Data3 + guid.Data4[0] + guid.Data4[7],
            0x6A3F2B10u + 0x1C4D + 0x4E5F + 0x8A + 0x50);
  EXPECT_EQ(FormatGuid(guid), "{6A3F2B10-1C4D-4E5F-8A9B-0C1D2E3F4A50}");

  GUID lower{};
  ASSERT_TRUE(ParseGuid("6a3f2b10-1c4d-4e5f-8a9b-0c1d2e3f4a50", &lower));
  EXPECT_TRUE(IsEqualGUID(lower, guid));
  EXPECT_FALSE(IsEqualGUID(lower, IID_IUnknown));

  const char* bad[] = {
      "",
      "{6A3F2B10-1C4D-4E5F-8A9B-0C1D2E3F4A50",   // one brace
      "{6A3F2B10-1C4D-4E5F-8A9B-0C1D2E3F4A5}",   // too short
      "{6A3F2B10+1C4D-4E5F-8A9B-0C1D2E3F4A50}",  // separator
      "{6A3F2B1G-1C4D-4E5F-8A9B-0C1D2E3F4A50}",  // not hex
      "{ 6A3F2B10-1C4D-4E5F-8A9B-0C1D2E3F4A5}",  // blank
      "6A3F2B101C4D4E5F8A9B0C1D2E3F4A50",
  };
  for (const char* text : bad) {
    SCOPED_TRACE(text);
    GUID untouched = IID_IDispatch;
    EXPECT_FALSE(ParseGuid(text, &untouched));
    EXPECT_TRUE(IsEqualGUID(untouched, IID_IDispatch));
  }
  GUID with_zero{};
  EXPECT_FALSE(
      ParseGuid(std::string_view("{6A3F2B10-1C4D-4E5F-8A9B-0C1D2E3F4A5\0}", 38), &with_zero));
}

}  // namespace
}  // namespace zelvan

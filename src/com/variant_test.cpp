#include "com/variant.h"

#include <gtest/gtest.h>

#include "com/dispatch_object.h"

namespace zelvan {
namespace {

// An object whose references the tests can watch.
class Probe : public DispatchObject<> {
 public:
  explicit Probe(bool* alive) : alive_(alive) { *alive_ = true; }
  ~Probe() override { *alive_ = false; }

  ULONG References() {
    AddRef();
    return Release();
  }

 private:
  bool* alive_;
};

// A VARIANT of type `vt` that refers to the caller's `target`.
VARIANT Ref(VARTYPE vt, void* target) {
  VARIANT v{};
  v.vt = vt | VT_BYREF;
  v.byref = target;
  return v;
}

TEST(VariantTest, ClearFreesWhatTheVariantOwns) {
  const size_t live = BstrLiveCount();
  VARIANT v = VariantFromText("owned");
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(v.vt, VT_EMPTY);
  v.vt = VT_ARRAY | VT_BSTR;
  v.parray = SafeArrayFromStrings({"a", "b", "c"});
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(BstrLiveCount(), live);

  bool alive = false;
  ComPtr<Probe> probe = MakeComObject<Probe>(&alive);
  v.vt = VT_DISPATCH;
  v.pdispVal = probe.Get();
  probe->AddRef();  // the VARIANT's reference
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(probe->References(), 1u);
  v.vt = VT_UNKNOWN;
  v.punkVal = probe.Detach();  // hand over the last reference
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_FALSE(alive);

  // Null values are allowed for every owning type.
  for (VARTYPE vt :
       {VARTYPE(VT_BSTR), VARTYPE(VT_DISPATCH), VARTYPE(VT_UNKNOWN), VARTYPE(VT_ARRAY | VT_BSTR)}) {
    VariantInit(&v);
    v.vt = vt;
    EXPECT_EQ(VariantClear(&v), S_OK) << vt;
  }
}

TEST(VariantTest, ClearNeverFreesByReferenceTargets) {
  const size_t live = BstrLiveCount();
  ScopedBstr text("caller's");
  BSTR slot = text.Get();
  SAFEARRAY* array = SafeArrayFromStrings({"x"});
  bool alive = false;
  ComPtr<Probe> probe = MakeComObject<Probe>(&alive);
  IDispatch* dispatch = probe.Get();
  VARIANT inner = VariantFromText("inner");

  VARIANT refs[] = {Ref(VT_BSTR, &slot), Ref(VT_ARRAY | VT_BSTR, &array),
                    Ref(VT_DISPATCH, &dispatch), Ref(VT_VARIANT, &inner)};
  for (VARIANT& ref : refs) {
    SCOPED_TRACE(ref.vt);
    EXPECT_EQ(VariantClear(&ref), S_OK);
    EXPECT_EQ(ref.vt, VT_EMPTY);
  }
  EXPECT_EQ(BstrLiveCount(), live + 3);
  EXPECT_EQ(probe->References(), 1u);
  EXPECT_EQ(inner.vt, VT_BSTR);
  VariantClear(&inner);
  SafeArrayDestroy(array);
}

TEST(VariantTest, ClearRefusesUnknownTypesAndLockedArrays) {
  VARIANT v;
  VariantInit(&v);
  v.vt = 0x0FFE;
  EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
  EXPECT_EQ(v.vt, 0x0FFE);

  v.vt = VT_ARRAY | VT_BSTR;
  v.parray = SafeArrayFromStrings({"locked"});
  ASSERT_EQ(SafeArrayLock(v.parray), S_OK);
  EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(v.vt, VT_ARRAY | VT_BSTR);
  SafeArrayUnlock(v.parray);
  EXPECT_EQ(VariantClear(&v), S_OK);
  EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

TEST(VariantTest, CopyIsDeepAndSelfCopyIsHarmless) {
  const size_t live = BstrLiveCount();
  VARIANT src = VariantFromText(std::string("a\0b", 3));
  VARIANT dest = VariantFromText("old");
  EXPECT_EQ(VariantCopy(&dest, &src), S_OK);
  EXPECT_NE(dest.bstrVal, src.bstrVal);
  EXPECT_EQ(TextFromBstr(dest.bstrVal), std::string("a\0b", 3));
  EXPECT_EQ(BstrLiveCount(), live + 2);  // "old" was freed
  EXPECT_EQ(VariantCopy(&src, &src), S_OK);
  EXPECT_EQ(TextFromBstr(src.bstrVal), std::string("a\0b", 3));
  VariantClear(&src);

  src.vt = VT_ARRAY | VT_BSTR;
  src.parray = SafeArrayFromStrings({"p", "q"});
  EXPECT_EQ(VariantCopy(&dest, &src), S_OK);
  EXPECT_NE(dest.parray, src.parray);
  VariantClear(&src);
  VariantClear(&dest);

  bool alive = false;
  ComPtr<Probe> probe = MakeComObject<Probe>(&alive);
  src.vt = VT_DISPATCH;
  src.pdispVal = probe.Get();
  EXPECT_EQ(VariantCopy(&dest, &src), S_OK);
  EXPECT_EQ(probe->References(), 2u);
  VariantClear(&dest);
  EXPECT_EQ(probe->References(), 1u);

  src.vt = 0x0FFE;
  dest = VariantFromLong(5);
  EXPECT_EQ(VariantCopy(&dest, &src), DISP_E_BADVARTYPE);
  EXPECT_EQ(dest.vt, VT_I4);  // untouched
  EXPECT_EQ(BstrLiveCount(), live);
}

TEST(VariantTest, ReadsStringsAndNumbersThroughReferences) {
  ScopedBstr text("C:\\work\\a.kpr");
  BSTR slot = text.Get();
  BSTR null_slot = nullptr;
  LONG number = 12;
  VARIANT by_value = VariantFromText("value");
  VARIANT bstr_ref = Ref(VT_BSTR, &slot);
  VARIANT null_bstr_ref = Ref(VT_BSTR, &null_slot);
  VARIANT dangling = Ref(VT_BSTR, nullptr);
  VARIANT long_ref = Ref(VT_I4, &number);
  VARIANT to_value = Ref(VT_VARIANT, &by_value);
  VARIANT to_bstr_ref = Ref(VT_VARIANT, &bstr_ref);
  VARIANT to_long = Ref(VT_VARIANT, &long_ref);
  VARIANT twice = Ref(VT_VARIANT, &to_value);  // a reference to a reference is not a valid VARIANT
  VARIANT null_null{};
  null_null.vt = VT_NULL;
  VARIANT i4 = VariantFromLong(-3);

  const struct {
    const char* name;
    const VARIANT* v;
    bool is_text;
    const char* text;
    bool is_long;
    LONG value;
  } cases[] = {
      {"bstr", &by_value, true, "value", false, 0},
      {"bstr byref", &bstr_ref, true, "C:\\work\\a.kpr", false, 0},
      {"null bstr byref", &null_bstr_ref, true, "", false, 0},
      {"dangling byref", &dangling, false, "", false, 0},
      {"variant byref to bstr", &to_value, true, "value", false, 0},
      {"variant byref to bstr byref", &to_bstr_ref, true, "C:\\work\\a.kpr", false, 0},
      {"variant byref twice", &twice, false, "", false, 0},
      {"i4", &i4, false, "", true, -3},
      {"i4 byref", &long_ref, false, "", true, 12},
      {"variant byref to i4 byref", &to_long, false, "", true, 12},
      {"null", &null_null, false, "", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string read = "unchanged";
    EXPECT_EQ(StringFromVariant(*c.v, &read), c.is_text);
    EXPECT_EQ(read, c.is_text ? c.text : "unchanged");
    LONG value = 99;
    EXPECT_EQ(LongFromVariant(*c.v, &value), c.is_long);
    EXPECT_EQ(value, c.is_long ? c.value : 99);
  }
  VariantClear(&by_value);
}

TEST(VariantTest, StoresResultsWhereTheTargetRefers) {
  const size_t live = BstrLiveCount();
  const std::vector<std::string> list{"Debug", "Release"};

  // A plain VARIANT is cleared and takes the value.
  VARIANT plain = VariantFromText("old");
  ASSERT_TRUE(StoreStrings(&plain, list));
  EXPECT_EQ(plain.vt, VT_ARRAY | VT_BSTR);
  std::vector<std::string> items;
  EXPECT_TRUE(StringsFromVariant(plain, &items));
  EXPECT_EQ(items, list);
  ASSERT_TRUE(StoreText(&plain, "text"));
  EXPECT_EQ(TextFromBstr(plain.bstrVal), "text");

  // A VARIANT by reference: the caller's VARIANT takes the value.
  VARIANT ref = Ref(VT_VARIANT, &plain);
  ASSERT_TRUE(StoreStrings(&ref, list));
  EXPECT_EQ(ref.vt, VT_VARIANT | VT_BYREF);
  EXPECT_TRUE(StringsFromVariant(plain, &items));
  EXPECT_EQ(items, list);

  // Typed slots by reference: the old value in the slot is freed.
  SAFEARRAY* array = SafeArrayFromStrings({"stale"});
  VARIANT array_ref = Ref(VT_ARRAY | VT_BSTR, &array);
  ASSERT_TRUE(StoreStrings(&array_ref, {"fresh"}));
  EXPECT_TRUE(StringsFromSafeArray(array, &items));
  EXPECT_EQ(items, std::vector<std::string>{"fresh"});
  BSTR slot = BstrFromText("stale");
  VARIANT bstr_ref = Ref(VT_BSTR, &slot);
  ASSERT_TRUE(StoreText(&bstr_ref, "fresh"));
  EXPECT_EQ(TextFromBstr(slot), "fresh");

  // Slots of another type and null references are refused and left alone.
  LONG number = 4;
  VARIANT long_ref = Ref(VT_I4, &number);
  VARIANT null_ref = Ref(VT_ARRAY | VT_BSTR, nullptr);
  VARIANT null_variant_ref = Ref(VT_VARIANT, nullptr);
  EXPECT_FALSE(StoreStrings(&long_ref, list) || StoreText(&long_ref, "x") ||
               StoreText(&array_ref, "x") || StoreStrings(&bstr_ref, list) ||
               StoreStrings(&null_ref, list) || StoreStrings(&null_variant_ref, list) ||
               StoreStrings(nullptr, list));
  EXPECT_EQ(long_ref.vt, VT_I4 | VT_BYREF);
  EXPECT_EQ(number, 4);

  // A locked array in the destination cannot be replaced.
  SafeArrayLock(plain.parray);
  EXPECT_FALSE(StoreText(&plain, "x"));
  EXPECT_EQ(plain.vt, VT_ARRAY | VT_BSTR);
  SafeArrayUnlock(plain.parray);

  VariantClear(&plain);
  SafeArrayDestroy(array);
  SysFreeString(slot);
  EXPECT_EQ(BstrLiveCount(), live);
}

}  // namespace
}  // namespace zelvan

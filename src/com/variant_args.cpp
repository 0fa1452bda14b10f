#include "com/variant_args.h"

#include "com/safe_array.h"

namespace zelvan {

VARIANT VariantArgs::Empty() const {
  VARIANT v;
  VariantInit(&v);
  return v;
}

VARIANT VariantArgs::Text(std::string_view text) {
  VARIANT v = Empty();
  v.vt = VT_BSTR;
  v.bstrVal = Bstr(text);
  return v;
}

VARIANT VariantArgs::Ref(std::string_view text) {
  bstrs_.push_back(BstrFromText(text));
  VARIANT v = Empty();
  v.vt = VT_BSTR | VT_BYREF;
  v.pbstrVal = &bstrs_.back();
  return v;
}

VARIANT VariantArgs::VariantRef(VARIANT value) {
  variants_.push_back(value);
  VARIANT v = Empty();
  v.vt = VT_VARIANT | VT_BYREF;
  v.pvarVal = &variants_.back();
  return v;
}

VARIANT VariantArgs::LongsRef(std::vector<LONG> values) {
  longs_.push_back(std::move(values));
  VARIANT v = Empty();
  v.vt = VT_I4 | VT_BYREF;
  v.plVal = longs_.back().data();
  return v;
}

VARIANT VariantArgs::Array(const std::vector<std::string>& items) const {
  VARIANT v = Empty();
  v.vt = VT_ARRAY | VT_BSTR;
  v.parray = SafeArrayFromStrings(items);
  return v;
}

VARIANT VariantArgs::LongArray(const std::vector<LONG>& items) const {
  VARIANT v = Empty();
  v.vt = VT_ARRAY | VT_I4;
  v.parray = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(items.size()));
  for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
    LONG value = items[i];
    SafeArrayPutElement(v.parray, &i, &value);
  }
  return v;
}

BSTR VariantArgs::Bstr(std::string_view text) {
  bstrs_.push_back(BstrFromText(text));
  return bstrs_.back();
}

VARIANT* VariantArgs::Out(VARIANT value) {
  variants_.push_back(value);
  return &variants_.back();
}

void VariantArgs::Clear() {
  for (VARIANT& v : variants_) {
    VariantClear(&v);
  }
  for (BSTR b : bstrs_) {
    SysFreeString(b);
  }
  variants_.clear();
  longs_.clear();
  bstrs_.clear();
}

std::string VariantText(const VARIANT& v) {
  std::string text;
  StringFromVariant(v, &text);
  return text;
}

}  // namespace zelvan

// VARIANT arguments for calls of a component's methods, kept alive (and
// freed) by one arena. Arrays passed by value are handed to the
// method, which destroys them, so the arena makes them and forgets them.
//
//   VariantArgs a;
//   service->AddLinkProject(a.Text("App"), a.Ref("Lib"));
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "com/bstr.h"
#include "com/variant.h"

namespace zelvan {

class VariantArgs {
 public:
  VariantArgs() = default;
  ~VariantArgs() { Clear(); }
  VariantArgs(const VariantArgs&) = delete;
  VariantArgs& operator=(const VariantArgs&) = delete;

  VARIANT Empty() const;
  VARIANT Text(std::string_view text);
  VARIANT Long(LONG value) const { return VariantFromLong(value); }
  // VT_BSTR | VT_BYREF to a BSTR of the arena.
  VARIANT Ref(std::string_view text);
  // VT_VARIANT | VT_BYREF to a VARIANT of the arena (initially `value`).
  VARIANT VariantRef(VARIANT value = {});
  // VT_I4 | VT_BYREF to the first of `values` (kept by the arena).
  VARIANT LongsRef(std::vector<LONG> values);
  // A string array by value: the method takes it.
  VARIANT Array(const std::vector<std::string>& items) const;
  // VT_ARRAY | VT_I4 by value.
  VARIANT LongArray(const std::vector<LONG>& items) const;
  // A BSTR of the arena; Owned hands one to a method that frees it.
  BSTR Bstr(std::string_view text);
  static BSTR Owned(std::string_view text) { return BstrFromText(text); }
  // A VARIANT of the arena for an out argument, or for an in-and-out one
  // with `value`, which the arena takes over (not a Text of the arena's).
  VARIANT* Out(VARIANT value = {});

  void Clear();

 private:
  std::deque<VARIANT> variants_;
  std::deque<std::vector<LONG>> longs_;
  std::deque<BSTR> bstrs_;  // a deque: references into it stay valid
};

// The text a VARIANT holds (StringFromVariant), "" when it holds none.
std::string VariantText(const VARIANT& v);

}  // namespace zelvan

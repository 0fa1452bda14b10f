// VARIANT arguments for calls of the component's methods in tests, kept
// alive (and freed) by one arena. Arrays passed by value are handed to the
// method, which destroys them, so the arena makes them and forgets them.
//
//   VariantArgs a;
//   service->AddLinkProject(a.Text("App"), a.Ref("Lib"));
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/bstr.h"
#include "platform/variant.h"

namespace zelvan::testing {

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
  // The VARIANT a VariantRef points to, or a fresh out VARIANT of the arena.
  VARIANT* Out();

  void Clear();

 private:
  std::deque<VARIANT> variants_;
  std::deque<std::vector<LONG>> longs_;
  std::deque<BSTR> bstrs_;  // a deque: references into it stay valid
};

// The text a VARIANT holds, "" when it holds none.
std::string TextOf(const VARIANT& v);

}  // namespace zelvan::testing

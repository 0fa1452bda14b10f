// IDispatch calls of the service's objects: the arguments of Invoke matched
// against the shape of the method they reach, so that a script host calls
// every method by name and each call ends in the very method the IDE calls
// through its slot.
//
// A caller passes either every argument in order, with a by-reference
// VARIANT at each out position, or only the in arguments (less optional
// ones at their end). A VARIANT out (kOutVariant) given as a VARIANT by
// reference is in and out: the method starts from a copy of what it holds.
// Either way the out values become the call's result: one out value is the
// result itself, several are a SAFEARRAY of VARIANTs in order; by-reference
// out arguments receive them as well. A BSTR out the method left null is
// VT_EMPTY.
//
//   in shapes     accepted VARIANTs
//   kVariant      any (a SAFEARRAY by value is copied: the method takes the copy)
//   kOptionalVariant  the same, and may be left out: at the end by passing
//                 fewer arguments, anywhere by passing VT_ERROR with
//                 DISP_E_PARAMNOTFOUND; the method is given the latter
//   kVariantRef   any; the method reads the caller's VARIANT
//   kBstr         a string (StringFromVariant); kOwnedBstr the same, freed by the method
//   kLong         VT_I4, by value or by reference
//   kUnknown      VT_UNKNOWN or VT_DISPATCH, VT_EMPTY or VT_NULL for none
//   kRequest      any; a script cannot build a binary request record, so the
//                 method is given none (null)
// A mismatch fails the call with DISP_E_TYPEMISMATCH, the argument marked.
#pragma once

#include <string>
#include <vector>

#include "com/com_types.h"
#include "com/dispatch_object.h"
#include "com/variant.h"

namespace zelvan {

enum class Shape : uint8_t {
  kVariant,
  kOptionalVariant,
  kVariantRef,
  kBstr,
  kOwnedBstr,
  kLong,
  kUnknown,
  kRequest,
  kOutLong,
  kOutBstr,
  kOutVariant,
  kOutDispatch,
};

bool IsOutShape(Shape shape);
// The fewest arguments a call passes: the in arguments up to the last one
// that is not optional.
UINT RequiredArgumentCount(const std::vector<Shape>& shapes);

class DispatchCall {
 public:
  DispatchCall(DispatchArgs& args, const std::vector<Shape>& shapes);
  ~DispatchCall();
  DispatchCall(const DispatchCall&) = delete;
  DispatchCall& operator=(const DispatchCall&) = delete;

  // Matches the arguments to the shapes: DISP_E_BADPARAMCOUNT, or
  // DISP_E_TYPEMISMATCH with the argument marked; S_OK otherwise.
  HRESULT Prepare();

  // Parameter `i` of the method (in declaration order, outs counted).
  VARIANT Variant(size_t i) const { return slots_[i].value; }
  // The caller's VARIANT; for a VARIANT by reference, the one it refers
  // to, which the slot's VARIANT* would point at.
  VARIANT* VariantRef(size_t i) const {
    VARIANT* arg = slots_[i].arg;
    return arg->vt == (VT_VARIANT | VT_BYREF) && arg->pvarVal != nullptr ? arg->pvarVal : arg;
  }
  BSTR Bstr(size_t i) const { return slots_[i].bstr; }
  // The method frees it: the call lets go of it.
  BSTR OwnedBstr(size_t i);
  LONG Long(size_t i) const { return slots_[i].number; }
  IUnknown* Unknown(size_t i) const { return slots_[i].unknown; }
  LONG* OutLong(size_t i) { return &slots_[i].number; }
  BSTR* OutBstr(size_t i) { return &slots_[i].bstr; }
  VARIANT* OutVariant(size_t i) { return &slots_[i].value; }
  IDispatch** OutDispatch(size_t i) { return &slots_[i].dispatch; }

  // After the method returned `hr`: hands its out values on (see above) and
  // returns `hr`.
  HRESULT Finish(HRESULT hr, VARIANT* result);

 private:
  HRESULT PrepareSlots();

  struct Slot {
    Shape shape = Shape::kVariant;
    VARIANT* arg = nullptr;     // the caller's argument, null for an omitted out
    VARIANT value{};            // kVariant, kOutVariant
    bool copied_array = false;  // a copy of the caller's array, for the method to take
    BSTR bstr = nullptr;        // kBstr, kOwnedBstr, kOutBstr
    LONG number = 0;            // kLong, kOutLong
    IUnknown* unknown = nullptr;
    IDispatch* dispatch = nullptr;  // kOutDispatch
  };

  DispatchArgs& args_;
  UINT required_;
  std::vector<Slot> slots_;
};

}  // namespace zelvan

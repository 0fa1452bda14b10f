// VARIANT: the tagged value that most interface arguments arrive in.
//
// The struct has the standard layout: the type word `vt`, three reserved
// words, then a union as wide as two pointers. A VARIANT owns what it holds
// by value (a BSTR, a counted interface reference, a SAFEARRAY); it never
// owns the target of a by-reference value (VT_BYREF): that belongs to the
// caller who passed it.
//
// A Win32 build takes the struct and VariantInit, VariantClear and
// VariantCopy from the system (oleaut32). The helpers below are what the
// service methods use to unpack their arguments and to hand results back
// through VARIANTs passed by reference.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "com/bstr.h"
#include "com/com_types.h"
#include "com/safe_array.h"

namespace zelvan {

#ifndef _WIN32
enum VARENUM {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

// A user-defined record by reference; the system never makes one.
struct VariantRecord {
  PVOID pvRecord;
  PVOID pRecInfo;
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    FLOAT fltVal;
    DOUBLE dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    BYTE* pbVal;
    SHORT* piVal;
    LONG* plVal;
    VARIANT_BOOL* pboolVal;
    SCODE* pscode;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    IDispatch** ppdispVal;
    SAFEARRAY** pparray;
    VARIANT* pvarVal;
    PVOID byref;
    INT intVal;
    UINT uintVal;
    VariantRecord brecVal;  // gives the union its standard width of two pointers
  };
};

// Sets VT_EMPTY and zeroes the value.
void VariantInit(VARIANT* pvarg);
// Frees what the VARIANT owns (a BSTR, an interface reference, a SAFEARRAY)
// and leaves it VT_EMPTY. A by-reference value only forgets its target.
// DISP_E_BADVARTYPE for an unknown type and DISP_E_ARRAYISLOCKED for a locked
// array; both leave the VARIANT unchanged.
HRESULT VariantClear(VARIANT* pvarg);
// Clears `dest` and makes it a deep copy of `src`: a new BSTR, an AddRef'd
// interface, a copied SAFEARRAY; a by-reference value copies the pointer.
// Copying a VARIANT onto itself does nothing.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
#else
// The system's takes its source as non-const, though it only reads it.
inline HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  return ::VariantCopy(dest, const_cast<VARIANT*>(src));
}
#endif  // _WIN32

// A VARIANT holding a new BSTR of `text` (VT_EMPTY if memory runs out).
VARIANT VariantFromText(std::string_view text);
VARIANT VariantFromLong(LONG value);

// The string in `v`: VT_BSTR, VT_BSTR|VT_BYREF, or a VT_VARIANT|VT_BYREF
// pointing at either (one level, as the standard allows). A null BSTR is "".
// False for any other type or a null reference.
bool StringFromVariant(const VARIANT& v, std::string* out);
// The number in `v`: VT_I4, VT_I4|VT_BYREF, or a VARIANT by reference to either.
bool LongFromVariant(const VARIANT& v, LONG* out);
// The strings of an array in `v`: VT_ARRAY of BSTR or VARIANT, by value or by
// reference, or a VARIANT by reference to one (see StringsFromSafeArray).
bool StringsFromVariant(const VARIANT& v, std::vector<std::string>* out);

// Hand a result back through `target`, an out argument. The value goes to
// where `target` refers: the VARIANT of a VT_VARIANT|VT_BYREF target, the BSTR
// slot of a VT_BSTR|VT_BYREF target (StoreText) or the array slot of a
// VT_ARRAY|VT_BSTR|VT_BYREF target (StoreStrings); any other target is
// cleared and takes the value itself. What the destination held before is
// freed. String lists are stored as a SAFEARRAY of BSTR with lower bound 0.
// False, with the destination unchanged, for a null target or reference, a
// by-reference slot of another type, or no memory.
bool StoreText(VARIANT* target, std::string_view text);
bool StoreStrings(VARIANT* target, const std::vector<std::string>& items);

}  // namespace zelvan

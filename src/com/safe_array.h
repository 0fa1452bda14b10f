// SAFEARRAY: the self-describing array of the component object model. String
// lists cross the system's interfaces as one-dimensional SAFEARRAYs of BSTR.
//
// The descriptor has the standard layout. As the standard functions do, the
// element type is kept in the four bytes just before the descriptor
// (FADF_HAVEVARTYPE), so a descriptor is always allocated by this file.
// Elements lie in one block at pvData, `cbElements` bytes each; element i
// (lLbound <= i < lLbound + cElements) sits at index i - lLbound.
//
// Supported: one dimension, elements of type VT_BSTR, VT_VARIANT or VT_I4.
// The array owns its elements: destroying it frees each BSTR and clears each
// VARIANT. Get and Put copy, as the standard functions do: GetElement hands
// out a new BSTR (or VARIANT copy) that the caller owns, PutElement stores a
// copy of what it is given.
//
// A Win32 build takes the descriptor and the functions from the system
// (oleaut32), which supports more than the above; the two helpers at the
// end are the system's own on both.
#pragma once

#include <string>
#include <vector>

#include "com/com_types.h"

namespace zelvan {

#ifndef _WIN32
struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  PVOID pvData;
  SAFEARRAYBOUND rgsabound[1];
};

// fFeatures bits.
inline constexpr USHORT FADF_AUTO = 0x0001;
inline constexpr USHORT FADF_STATIC = 0x0002;
inline constexpr USHORT FADF_EMBEDDED = 0x0004;
inline constexpr USHORT FADF_FIXEDSIZE = 0x0010;
inline constexpr USHORT FADF_RECORD = 0x0020;
inline constexpr USHORT FADF_HAVEIID = 0x0040;
inline constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
inline constexpr USHORT FADF_BSTR = 0x0100;
inline constexpr USHORT FADF_UNKNOWN = 0x0200;
inline constexpr USHORT FADF_DISPATCH = 0x0400;
inline constexpr USHORT FADF_VARIANT = 0x0800;

// Null for another element type, a dimension count other than 1, bounds
// whose upper bound does not fit a LONG, more than 256 MiB of elements, or no
// memory. Elements start empty (null BSTR, VT_EMPTY, 0).
SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
// Frees the elements and the array. DISP_E_ARRAYISLOCKED while locked
// (nothing freed); null is S_OK.
HRESULT SafeArrayDestroy(SAFEARRAY* psa);
// A deep copy; *ppsaOut is null on failure.
HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut);

// 0 for null.
UINT SafeArrayGetDim(SAFEARRAY* psa);
UINT SafeArrayGetElemsize(SAFEARRAY* psa);
HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
// nDim counts from 1; DISP_E_BADINDEX for another dimension. The upper bound
// of an empty array is its lower bound minus 1.
HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);

// `rgIndices` holds one index per dimension. `pv` receives (Get) or gives
// (Put): a BSTR* / BSTR for VT_BSTR, a VARIANT* for VT_VARIANT, a LONG* for
// VT_I4. DISP_E_BADINDEX outside the bounds.
HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);

// Direct access to the element block; the array stays locked (and cannot be
// destroyed) until the matching Unaccess.
HRESULT SafeArrayLock(SAFEARRAY* psa);
HRESULT SafeArrayUnlock(SAFEARRAY* psa);
HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);
#endif  // _WIN32

// A new array of BSTR with lower bound 0 holding `items` in order; null when
// memory runs out or the list is too long.
SAFEARRAY* SafeArrayFromStrings(const std::vector<std::string>& items);
// Reads a one-dimensional array of BSTR, or of VARIANTs that each hold a
// string (VT_BSTR, or by reference), whatever its lower bound, in index
// order. A null BSTR reads as "". False (and `out` unchanged) for a null or
// multi-dimensional array or another element type.
bool StringsFromSafeArray(SAFEARRAY* psa, std::vector<std::string>* out);

}  // namespace zelvan

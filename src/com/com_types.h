// The component object model types that cross the system's interfaces.
//
// The IDE loads the system as an in-process component and calls it through
// dual interfaces, so every type here keeps the binary layout and the numeric
// values of the Windows component object model: the names, sizes, field
// offsets and virtual-function slot orders are those of the system headers.
// A Win32 build takes these declarations from the system headers instead
// (com/windows_com.h) and the code that uses them does not change; code
// therefore uses the names unqualified (`S_OK`, never `zelvan::S_OK`).
//
// Interfaces are abstract classes without a virtual destructor, so that their
// virtual functions alone make up the vtable: IUnknown fills slots 0-2,
// IDispatch slots 3-6 and an object's own methods follow from slot 7.
// STDMETHODCALLTYPE is the standard calling convention; on a POSIX host it
// is the ordinary one.
//
// Strings inside the system are single-byte text; across the interfaces they
// are BSTRs (bstr.h) of 16-bit code units: char16_t here, wchar_t in a Win32
// build. OLESTR("text") is a literal of them on either. VARIANT and SAFEARRAY
// live in variant.h and safe_array.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#ifdef _WIN32
#include "com/windows_com.h"
#else

#ifndef STDMETHODCALLTYPE
#define STDMETHODCALLTYPE
#endif

namespace zelvan {

// Scalar types with the widths they have on Windows (LONG is 32 bits there).
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using USHORT = uint16_t;
using SHORT = int16_t;
using INT = int32_t;
using UINT = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using LONGLONG = int64_t;
using ULONGLONG = uint64_t;
using FLOAT = float;
using DOUBLE = double;
using PVOID = void*;
using LCID = DWORD;
using DISPID = LONG;
using SCODE = LONG;
using HRESULT = LONG;
using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;
using DATE = double;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// A 16-bit code unit; a BSTR is a counted string of them (bstr.h).
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;

// ---- Result codes ----------------------------------------------------------

constexpr HRESULT MakeHresult(uint32_t bits) {
  return static_cast<HRESULT>(bits);
}

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeHresult(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = MakeHresult(0x80004002);
inline constexpr HRESULT E_POINTER = MakeHresult(0x80004003);
inline constexpr HRESULT E_ABORT = MakeHresult(0x80004004);
inline constexpr HRESULT E_FAIL = MakeHresult(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = MakeHresult(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = MakeHresult(0x80070005);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHresult(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = MakeHresult(0x80070057);
inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = MakeHresult(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHresult(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = MakeHresult(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHresult(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHresult(0x80020006);
inline constexpr HRESULT DISP_E_NONAMEDARGS = MakeHresult(0x80020007);
inline constexpr HRESULT DISP_E_BADVARTYPE = MakeHresult(0x80020008);
inline constexpr HRESULT DISP_E_EXCEPTION = MakeHresult(0x80020009);
inline constexpr HRESULT DISP_E_OVERFLOW = MakeHresult(0x8002000A);
inline constexpr HRESULT DISP_E_BADINDEX = MakeHresult(0x8002000B);
inline constexpr HRESULT DISP_E_ARRAYISLOCKED = MakeHresult(0x8002000D);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHresult(0x8002000E);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = MakeHresult(0x8002000F);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHresult(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeHresult(0x80040111);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHresult(0x80040154);

constexpr bool SUCCEEDED(HRESULT hr) {
  return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
  return hr < 0;
}

// ---- GUIDs -----------------------------------------------------------------

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr bool IsEqualGUID(REFGUID a, REFGUID b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}
constexpr bool IsEqualIID(REFIID a, REFIID b) {
  return IsEqualGUID(a, b);
}
constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b) {
  return IsEqualGUID(a, b);
}
constexpr bool operator==(REFGUID a, REFGUID b) {
  return IsEqualGUID(a, b);
}

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_NULL = GUID_NULL;
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// ---- IUnknown and IDispatch ------------------------------------------------

struct VARIANT;
using VARIANTARG = VARIANT;
// Type information is never handed out by the system; the type stays opaque.
class ITypeInfo;

inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_VALUE = 0;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;

inline constexpr WORD DISPATCH_METHOD = 0x1;
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

// The arguments of IDispatch::Invoke. `rgvarg` holds them in reverse order:
// rgvarg[0] is the last argument of the call.
struct DISPPARAMS {
  VARIANTARG* rgvarg;
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  PVOID pvReserved;
  HRESULT(STDMETHODCALLTYPE* pfnDeferredFillIn)(EXCEPINFO*);
  SCODE scode;
};

// Destructors are protected and not virtual: an interface is released, never
// deleted, and a virtual destructor would take vtable slots.
class IUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IUnknown() = default;
};

class IDispatch : public IUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames,
                                                  LCID lcid, DISPID* rgDispId) = 0;
  virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                           DISPPARAMS* pDispParams, VARIANT* pVarResult,
                                           EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;

 protected:
  ~IDispatch() = default;
};

}  // namespace zelvan

// A literal of code units: OLESTR("Name").
#define OLESTR(text) u##text

#endif  // _WIN32

namespace zelvan {

// Reads the registry form "{6A3F2B10-1C4D-4E5F-8A9B-0C1D2E3F4A50}": 8-4-4-4-12
// hex digits of either case. The braces may be left off, but not just one of
// them. Anything else (blanks, other lengths, non-hex digits) is refused and
// leaves `out` unchanged.
bool ParseGuid(std::string_view text, GUID* out);
// The registry form with braces and upper-case digits.
std::string FormatGuid(REFGUID guid);

// The interface identifier of an interface type, for ComPtr::As and
// DispatchObject. Each interface of the system specialises it:
//   template <> struct InterfaceTraits<IService> {
//     static constexpr const IID& Iid() { return IID_IService; }
//   };
template <class Interface>
struct InterfaceTraits;

template <>
struct InterfaceTraits<IUnknown> {
  static constexpr const IID& Iid() { return IID_IUnknown; }
};
template <>
struct InterfaceTraits<IDispatch> {
  static constexpr const IID& Iid() { return IID_IDispatch; }
};

}  // namespace zelvan

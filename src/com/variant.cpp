#include "com/variant.h"

#include <cstring>

namespace zelvan {
namespace {

#ifndef _WIN32

// Types whose value the VARIANT holds inline, with nothing to free.
bool IsPlainType(VARTYPE vt) {
  switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_ERROR:
    case VT_BOOL:
    case VT_DECIMAL:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
      return true;
    default:
      return false;
  }
}

#endif  // _WIN32

constexpr VARTYPE kVariantByRef = VT_VARIANT | VT_BYREF;

// The VARIANT that `v` stands for: itself, or the one it refers to. A
// reference to a reference is not allowed and gives null.
const VARIANT* Referent(const VARIANT* v) {
  if (v->vt != kVariantByRef) return v;
  const VARIANT* target = v->pvarVal;
  if (target == nullptr || target->vt == kVariantByRef) return nullptr;
  return target;
}

VARIANT* Referent(VARIANT* v) {
  return const_cast<VARIANT*>(Referent(static_cast<const VARIANT*>(v)));
}

}  // namespace

#ifndef _WIN32

void VariantInit(VARIANT* pvarg) {
  if (pvarg == nullptr) return;
  // The whole union, not just its first member.
  std::memset(pvarg, 0, sizeof *pvarg);
  pvarg->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* pvarg) {
  if (pvarg == nullptr) return E_INVALIDARG;
  const VARTYPE vt = pvarg->vt;
  if (vt & VT_BYREF) {
    // The target belongs to whoever passed the reference.
    VariantInit(pvarg);
    return S_OK;
  }
  if (vt & VT_ARRAY) {
    const HRESULT hr = SafeArrayDestroy(pvarg->parray);
    if (FAILED(hr)) return hr;
    VariantInit(pvarg);
    return S_OK;
  }
  // Empty the VARIANT before releasing, in case the release comes back to it.
  const VARIANT old = *pvarg;
  switch (vt) {
    case VT_BSTR:
      VariantInit(pvarg);
      SysFreeString(old.bstrVal);
      return S_OK;
    case VT_DISPATCH:
      VariantInit(pvarg);
      if (old.pdispVal != nullptr) old.pdispVal->Release();
      return S_OK;
    case VT_UNKNOWN:
      VariantInit(pvarg);
      if (old.punkVal != nullptr) old.punkVal->Release();
      return S_OK;
    default:
      if (!IsPlainType(vt)) return DISP_E_BADVARTYPE;
      VariantInit(pvarg);
      return S_OK;
  }
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  if (dest == nullptr || src == nullptr) return E_INVALIDARG;
  if (dest == src) return S_OK;
  // Build the copy first so that a failure leaves `dest` as it was.
  VARIANT copy = *src;
  const VARTYPE vt = src->vt;
  if (vt & VT_BYREF) {
    // The pointer is the value.
  } else if (vt & VT_ARRAY) {
    const HRESULT hr = SafeArrayCopy(src->parray, &copy.parray);
    if (FAILED(hr)) return hr;
  } else if (vt == VT_BSTR) {
    if (src->bstrVal != nullptr) {
      copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
      if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
    }
  } else if (vt == VT_DISPATCH) {
    if (src->pdispVal != nullptr) src->pdispVal->AddRef();
  } else if (vt == VT_UNKNOWN) {
    if (src->punkVal != nullptr) src->punkVal->AddRef();
  } else if (!IsPlainType(vt)) {
    return DISP_E_BADVARTYPE;
  }
  const HRESULT hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *dest = copy;
  return S_OK;
}

#endif  // _WIN32

VARIANT VariantFromText(std::string_view text) {
  VARIANT v;
  VariantInit(&v);
  BSTR bstr = BstrFromText(text);
  if (bstr != nullptr) {
    v.vt = VT_BSTR;
    v.bstrVal = bstr;
  }
  return v;
}

VARIANT VariantFromLong(LONG value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

bool StringFromVariant(const VARIANT& v, std::string* out) {
  const VARIANT* value = Referent(&v);
  if (value == nullptr || out == nullptr) return false;
  if (value->vt == VT_BSTR) {
    *out = TextFromBstr(value->bstrVal);
    return true;
  }
  if (value->vt == (VT_BSTR | VT_BYREF) && value->pbstrVal != nullptr) {
    *out = TextFromBstr(*value->pbstrVal);
    return true;
  }
  return false;
}

bool LongFromVariant(const VARIANT& v, LONG* out) {
  const VARIANT* value = Referent(&v);
  if (value == nullptr || out == nullptr) return false;
  if (value->vt == VT_I4) {
    *out = value->lVal;
    return true;
  }
  if (value->vt == (VT_I4 | VT_BYREF) && value->plVal != nullptr) {
    *out = *value->plVal;
    return true;
  }
  return false;
}

bool StringsFromVariant(const VARIANT& v, std::vector<std::string>* out) {
  const VARIANT* value = Referent(&v);
  if (value == nullptr || !(value->vt & VT_ARRAY)) return false;
  const VARTYPE element = value->vt & VT_TYPEMASK;
  if (element != VT_BSTR && element != VT_VARIANT) return false;
  SAFEARRAY* psa = value->parray;
  if (value->vt & VT_BYREF) {
    if (value->pparray == nullptr) return false;
    psa = *value->pparray;
  }
  return StringsFromSafeArray(psa, out);
}

bool StoreText(VARIANT* target, std::string_view text) {
  if (target == nullptr) return false;
  VARIANT* dest = Referent(target);
  if (dest == nullptr) return false;
  const bool bstr_slot = dest->vt == (VT_BSTR | VT_BYREF);
  if (bstr_slot ? dest->pbstrVal == nullptr : (dest->vt & VT_BYREF) != 0) return false;

  BSTR bstr = BstrFromText(text);
  if (bstr == nullptr) return false;
  if (bstr_slot) {
    SysFreeString(*dest->pbstrVal);
    *dest->pbstrVal = bstr;
    return true;
  }
  if (FAILED(VariantClear(dest))) {
    SysFreeString(bstr);
    return false;
  }
  dest->vt = VT_BSTR;
  dest->bstrVal = bstr;
  return true;
}

bool StoreStrings(VARIANT* target, const std::vector<std::string>& items) {
  if (target == nullptr) return false;
  VARIANT* dest = Referent(target);
  if (dest == nullptr) return false;
  const bool array_slot = dest->vt == (VT_ARRAY | VT_BSTR | VT_BYREF);
  if (array_slot ? dest->pparray == nullptr : (dest->vt & VT_BYREF) != 0) return false;

  SAFEARRAY* psa = SafeArrayFromStrings(items);
  if (psa == nullptr) return false;
  const HRESULT hr = array_slot ? SafeArrayDestroy(*dest->pparray) : VariantClear(dest);
  if (FAILED(hr)) {
    SafeArrayDestroy(psa);
    return false;
  }
  if (array_slot) {
    *dest->pparray = psa;
  } else {
    dest->vt = VT_ARRAY | VT_BSTR;
    dest->parray = psa;
  }
  return true;
}

}  // namespace zelvan

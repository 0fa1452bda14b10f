#include "com/safe_array.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "com/bstr.h"
#include "com/variant.h"

namespace zelvan {
namespace {

VARTYPE ElementType(SAFEARRAY* psa) {
  VARTYPE vt = VT_EMPTY;
  SafeArrayGetVartype(psa, &vt);
  return vt;
}

}  // namespace

#ifndef _WIN32

namespace {

// Bytes allocated before the descriptor; the element type sits in the last four.
constexpr size_t kHeaderBytes = 16;
constexpr size_t kMaxDataBytes = size_t{256} << 20;

unsigned char* BlockOf(SAFEARRAY* psa) {
  return reinterpret_cast<unsigned char*>(psa) - kHeaderBytes;
}

// Element size and feature flag of a supported element type; 0 for others.
ULONG ElementSize(VARTYPE vt, USHORT* feature) {
  switch (vt) {
    case VT_BSTR:
      *feature = FADF_BSTR;
      return sizeof(BSTR);
    case VT_VARIANT:
      *feature = FADF_VARIANT;
      return sizeof(VARIANT);
    case VT_I4:
      *feature = 0;
      return sizeof(LONG);
    default:
      return 0;
  }
}

// The element at `rgIndices`, checked against the bounds.
HRESULT ElementAt(SAFEARRAY* psa, const LONG* rgIndices, unsigned char** out) {
  if (psa == nullptr || rgIndices == nullptr) return E_INVALIDARG;
  if (psa->cDims != 1) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& bound = psa->rgsabound[0];
  const int64_t offset = int64_t{rgIndices[0]} - bound.lLbound;
  if (offset < 0 || offset >= int64_t{bound.cElements}) return DISP_E_BADINDEX;
  *out = static_cast<unsigned char*>(psa->pvData) + static_cast<size_t>(offset) * psa->cbElements;
  return S_OK;
}

void FreeElements(SAFEARRAY* psa, VARTYPE vt) {
  if (psa->pvData == nullptr) return;
  const ULONG count = psa->rgsabound[0].cElements;
  if (vt == VT_BSTR) {
    auto* items = static_cast<BSTR*>(psa->pvData);
    for (ULONG i = 0; i < count; ++i) {
      SysFreeString(items[i]);
    }
  } else if (vt == VT_VARIANT) {
    auto* items = static_cast<VARIANT*>(psa->pvData);
    for (ULONG i = 0; i < count; ++i) {
      VariantClear(&items[i]);
    }
  }
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
  if (cDims != 1 || rgsabound == nullptr) return nullptr;
  USHORT feature = 0;
  const ULONG element_size = ElementSize(vt, &feature);
  if (element_size == 0) return nullptr;
  const SAFEARRAYBOUND bound = rgsabound[0];
  const int64_t upper = int64_t{bound.lLbound} + int64_t{bound.cElements} - 1;
  if (upper > std::numeric_limits<LONG>::max() || upper < std::numeric_limits<LONG>::min()) {
    return nullptr;
  }
  if (bound.cElements > kMaxDataBytes / element_size) return nullptr;

  auto* block = static_cast<unsigned char*>(std::calloc(1, kHeaderBytes + sizeof(SAFEARRAY)));
  if (block == nullptr) return nullptr;
  const DWORD stored_vt = vt;
  std::memcpy(block + kHeaderBytes - sizeof(DWORD), &stored_vt, sizeof(DWORD));
  auto* psa = reinterpret_cast<SAFEARRAY*>(block + kHeaderBytes);
  psa->cDims = 1;
  psa->fFeatures = static_cast<USHORT>(FADF_HAVEVARTYPE | feature);
  psa->cbElements = element_size;
  psa->cLocks = 0;
  psa->rgsabound[0] = bound;
  if (bound.cElements > 0) {
    // Zero bytes are a null BSTR, a VT_EMPTY VARIANT and a 0.
    psa->pvData = std::calloc(bound.cElements, element_size);
    if (psa->pvData == nullptr) {
      std::free(block);
      return nullptr;
    }
  }
  return psa;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
  SAFEARRAYBOUND bound{cElements, lLbound};
  return SafeArrayCreate(vt, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
  if (psa == nullptr) return S_OK;
  if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  FreeElements(psa, ElementType(psa));
  std::free(psa->pvData);
  std::free(BlockOf(psa));
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
  if (ppsaOut == nullptr) return E_INVALIDARG;
  *ppsaOut = nullptr;
  if (psa == nullptr) return S_OK;
  const VARTYPE vt = ElementType(psa);
  SAFEARRAY* copy = SafeArrayCreate(vt, psa->cDims, psa->rgsabound);
  if (copy == nullptr) return E_OUTOFMEMORY;
  const ULONG count = psa->rgsabound[0].cElements;
  if (vt == VT_BSTR) {
    auto* from = static_cast<BSTR*>(psa->pvData);
    auto* to = static_cast<BSTR*>(copy->pvData);
    for (ULONG i = 0; i < count; ++i) {
      if (from[i] == nullptr) continue;
      to[i] = SysAllocStringLen(from[i], SysStringLen(from[i]));
      if (to[i] == nullptr) {
        SafeArrayDestroy(copy);
        return E_OUTOFMEMORY;
      }
    }
  } else if (vt == VT_VARIANT) {
    auto* from = static_cast<VARIANT*>(psa->pvData);
    auto* to = static_cast<VARIANT*>(copy->pvData);
    for (ULONG i = 0; i < count; ++i) {
      const HRESULT hr = VariantCopy(&to[i], &from[i]);
      if (FAILED(hr)) {
        SafeArrayDestroy(copy);
        return hr;
      }
    }
  } else if (count > 0) {
    std::memcpy(copy->pvData, psa->pvData, size_t{count} * psa->cbElements);
  }
  *ppsaOut = copy;
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) {
  return psa == nullptr ? 0 : psa->cDims;
}

UINT SafeArrayGetElemsize(SAFEARRAY* psa) {
  return psa == nullptr ? 0 : psa->cbElements;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
  if (psa == nullptr || pvt == nullptr) return E_INVALIDARG;
  if (psa->fFeatures & FADF_HAVEVARTYPE) {
    DWORD stored;
    std::memcpy(&stored, BlockOf(psa) + kHeaderBytes - sizeof(DWORD), sizeof(DWORD));
    *pvt = static_cast<VARTYPE>(stored);
  } else if (psa->fFeatures & FADF_BSTR) {
    *pvt = VT_BSTR;
  } else if (psa->fFeatures & FADF_VARIANT) {
    *pvt = VT_VARIANT;
  } else if (psa->cbElements == sizeof(LONG)) {
    *pvt = VT_I4;
  } else {
    return E_INVALIDARG;
  }
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
  if (psa == nullptr || plLbound == nullptr) return E_INVALIDARG;
  if (nDim != 1 || psa->cDims != 1) return DISP_E_BADINDEX;
  *plLbound = psa->rgsabound[0].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
  if (psa == nullptr || plUbound == nullptr) return E_INVALIDARG;
  if (nDim != 1 || psa->cDims != 1) return DISP_E_BADINDEX;
  // Creation made sure the upper bound fits.
  const SAFEARRAYBOUND& bound = psa->rgsabound[0];
  *plUbound = static_cast<LONG>(int64_t{bound.lLbound} + int64_t{bound.cElements} - 1);
  return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (pv == nullptr) return E_INVALIDARG;
  unsigned char* element = nullptr;
  HRESULT hr = ElementAt(psa, rgIndices, &element);
  if (FAILED(hr)) return hr;
  switch (ElementType(psa)) {
    case VT_BSTR: {
      BSTR item;
      std::memcpy(&item, element, sizeof item);
      BSTR copy = nullptr;
      if (item != nullptr) {
        copy = SysAllocStringLen(item, SysStringLen(item));
        if (copy == nullptr) return E_OUTOFMEMORY;
      }
      *static_cast<BSTR*>(pv) = copy;
      return S_OK;
    }
    case VT_VARIANT: {
      // The receiving VARIANT is taken as uninitialised, as it usually is.
      auto* out = static_cast<VARIANT*>(pv);
      VariantInit(out);
      return VariantCopy(out, reinterpret_cast<VARIANT*>(element));
    }
    default:
      std::memcpy(pv, element, psa->cbElements);
      return S_OK;
  }
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  unsigned char* element = nullptr;
  HRESULT hr = ElementAt(psa, rgIndices, &element);
  if (FAILED(hr)) return hr;
  switch (ElementType(psa)) {
    case VT_BSTR: {
      // `pv` is the BSTR itself; null stores the empty string.
      auto given = static_cast<BSTR>(pv);
      BSTR copy = nullptr;
      if (given != nullptr) {
        copy = SysAllocStringLen(given, SysStringLen(given));
        if (copy == nullptr) return E_OUTOFMEMORY;
      }
      BSTR old;
      std::memcpy(&old, element, sizeof old);
      SysFreeString(old);
      std::memcpy(element, &copy, sizeof copy);
      return S_OK;
    }
    case VT_VARIANT:
      if (pv == nullptr) return E_INVALIDARG;
      return VariantCopy(reinterpret_cast<VARIANT*>(element), static_cast<VARIANT*>(pv));
    default:
      if (pv == nullptr) return E_INVALIDARG;
      std::memcpy(element, pv, psa->cbElements);
      return S_OK;
  }
}

HRESULT SafeArrayLock(SAFEARRAY* psa) {
  if (psa == nullptr) return E_INVALIDARG;
  if (psa->cLocks == std::numeric_limits<ULONG>::max()) return E_UNEXPECTED;
  ++psa->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* psa) {
  if (psa == nullptr) return E_INVALIDARG;
  if (psa->cLocks == 0) return E_UNEXPECTED;
  --psa->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
  if (psa == nullptr || ppvData == nullptr) return E_INVALIDARG;
  HRESULT hr = SafeArrayLock(psa);
  if (FAILED(hr)) return hr;
  *ppvData = psa->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) {
  return SafeArrayUnlock(psa);
}

#endif  // _WIN32

SAFEARRAY* SafeArrayFromStrings(const std::vector<std::string>& items) {
  if (items.size() > std::numeric_limits<ULONG>::max()) return nullptr;
  SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(items.size()));
  if (psa == nullptr) return nullptr;
  auto* slots = static_cast<BSTR*>(psa->pvData);
  for (size_t i = 0; i < items.size(); ++i) {
    slots[i] = BstrFromText(items[i]);
    if (slots[i] == nullptr) {
      SafeArrayDestroy(psa);
      return nullptr;
    }
  }
  return psa;
}

bool StringsFromSafeArray(SAFEARRAY* psa, std::vector<std::string>* out) {
  if (psa == nullptr || out == nullptr || psa->cDims != 1) return false;
  const ULONG count = psa->rgsabound[0].cElements;
  if (count > 0 && psa->pvData == nullptr) return false;
  std::vector<std::string> items;
  items.reserve(count);
  switch (ElementType(psa)) {
    case VT_BSTR: {
      const auto* slots = static_cast<const BSTR*>(psa->pvData);
      for (ULONG i = 0; i < count; ++i) {
        items.push_back(TextFromBstr(slots[i]));
      }
      break;
    }
    case VT_VARIANT: {
      const auto* slots = static_cast<const VARIANT*>(psa->pvData);
      for (ULONG i = 0; i < count; ++i) {
        std::string item;
        if (!StringFromVariant(slots[i], &item)) return false;
        items.push_back(std::move(item));
      }
      break;
    }
    default:
      return false;
  }
  *out = std::move(items);
  return true;
}

}  // namespace zelvan

#include "service/dispatch_call.h"

#include <utility>

#include "com/bstr.h"
#include "com/safe_array.h"

namespace zelvan {

bool IsOutShape(Shape shape) {
  return shape == Shape::kOutLong || shape == Shape::kOutBstr || shape == Shape::kOutVariant ||
         shape == Shape::kOutDispatch;
}

UINT RequiredArgumentCount(const std::vector<Shape>& shapes) {
  UINT required = 0;
  UINT ins = 0;
  for (Shape shape : shapes) {
    if (IsOutShape(shape)) continue;
    ++ins;
    if (shape != Shape::kOptionalVariant) required = ins;
  }
  return required;
}

DispatchCall::DispatchCall(DispatchArgs& args, const std::vector<Shape>& shapes)
    : args_(args), required_(RequiredArgumentCount(shapes)) {
  slots_.resize(shapes.size());
  for (size_t i = 0; i < shapes.size(); ++i) {
    slots_[i].shape = shapes[i];
    VariantInit(&slots_[i].value);
  }
}

DispatchCall::~DispatchCall() {
  for (Slot& slot : slots_) {
    if (slot.shape == Shape::kOutVariant) VariantClear(&slot.value);
    SysFreeString(slot.bstr);
    if (slot.dispatch != nullptr) slot.dispatch->Release();
  }
}

HRESULT DispatchCall::Prepare() {
  const HRESULT hr = PrepareSlots();
  if (FAILED(hr)) {
    // The method does not run, so the arrays copied for it are not taken.
    for (Slot& slot : slots_) {
      if (slot.copied_array) SafeArrayDestroy(slot.value.parray);
      slot.copied_array = false;
      if (slot.shape == Shape::kVariant || slot.shape == Shape::kOptionalVariant) {
        VariantInit(&slot.value);
      }
    }
  }
  return hr;
}

HRESULT DispatchCall::PrepareSlots() {
  size_t ins = 0;
  for (const Slot& slot : slots_) {
    if (!IsOutShape(slot.shape)) ++ins;
  }
  const bool all = args_.size() == slots_.size();
  if (!all && (args_.size() > ins || args_.size() < required_)) return DISP_E_BADPARAMCOUNT;

  UINT position = 0;
  for (Slot& slot : slots_) {
    if (IsOutShape(slot.shape)) {
      if (!all) continue;
      slot.arg = args_.Get(position);
      // An out argument must say where its value goes.
      if ((slot.arg->vt & VT_BYREF) == 0) return args_.TypeMismatch(position);
      // A VARIANT out is in and out, as through the slot: the method sees
      // what the caller's VARIANT holds.
      if (slot.shape == Shape::kOutVariant && slot.arg->vt == (VT_VARIANT | VT_BYREF) &&
          slot.arg->pvarVal != nullptr && FAILED(VariantCopy(&slot.value, slot.arg->pvarVal))) {
        return E_OUTOFMEMORY;
      }
      ++position;
      continue;
    }
    slot.arg = args_.Get(position);
    if (slot.arg == nullptr) {
      // An optional argument left out at the end: what COM passes for one.
      slot.value.vt = VT_ERROR;
      slot.value.scode = DISP_E_PARAMNOTFOUND;
      ++position;
      continue;
    }
    const VARIANT& arg = *slot.arg;
    switch (slot.shape) {
      case Shape::kVariant:
      case Shape::kOptionalVariant:
        if ((arg.vt & VT_ARRAY) != 0 && (arg.vt & VT_BYREF) == 0) {
          // The method destroys an array it is given by value; the
          // caller's stays with the caller.
          slot.value.vt = arg.vt;
          if (arg.parray != nullptr && FAILED(SafeArrayCopy(arg.parray, &slot.value.parray))) {
            VariantInit(&slot.value);
            return E_OUTOFMEMORY;
          }
          slot.copied_array = slot.value.parray != nullptr;
        } else {
          slot.value = arg;  // shared with the caller, who keeps it
        }
        break;
      case Shape::kBstr:
      case Shape::kOwnedBstr: {
        std::string text;
        if (!StringFromVariant(arg, &text)) return args_.TypeMismatch(position);
        slot.bstr = BstrFromText(text);
        if (slot.bstr == nullptr) return E_OUTOFMEMORY;
        break;
      }
      case Shape::kLong:
        if (!LongFromVariant(arg, &slot.number)) return args_.TypeMismatch(position);
        break;
      case Shape::kUnknown:
        if (arg.vt == VT_UNKNOWN || arg.vt == VT_DISPATCH) {
          slot.unknown = arg.punkVal;
        } else if (arg.vt != VT_EMPTY && arg.vt != VT_NULL) {
          return args_.TypeMismatch(position);
        }
        break;
      default:
        break;
    }
    ++position;
  }
  return S_OK;
}

BSTR DispatchCall::OwnedBstr(size_t i) {
  return std::exchange(slots_[i].bstr, nullptr);
}

namespace {

// Writes `value` where a by-reference argument points, when the kinds agree.
void Publish(const VARIANT& value, VARIANT* target) {
  switch (target->vt) {
    case VT_VARIANT | VT_BYREF:
      if (target->pvarVal != nullptr) VariantCopy(target->pvarVal, &value);
      break;
    case VT_BSTR | VT_BYREF:
      if (value.vt == VT_BSTR && target->pbstrVal != nullptr) {
        SysFreeString(*target->pbstrVal);
        *target->pbstrVal = SysAllocStringLen(value.bstrVal, SysStringLen(value.bstrVal));
      }
      break;
    case VT_I4 | VT_BYREF:
      if (value.vt == VT_I4 && target->plVal != nullptr) *target->plVal = value.lVal;
      break;
    case VT_ARRAY | VT_BSTR | VT_BYREF:
      if (value.vt == (VT_ARRAY | VT_BSTR) && target->pparray != nullptr) {
        SAFEARRAY* copy = nullptr;
        if (SUCCEEDED(SafeArrayCopy(value.parray, &copy))) {
          SafeArrayDestroy(*target->pparray);
          *target->pparray = copy;
        }
      }
      break;
    case VT_DISPATCH | VT_BYREF:
      if (value.vt == VT_DISPATCH && target->ppdispVal != nullptr) {
        if (value.pdispVal != nullptr) value.pdispVal->AddRef();
        if (*target->ppdispVal != nullptr) (*target->ppdispVal)->Release();
        *target->ppdispVal = value.pdispVal;
      }
      break;
    default:
      break;
  }
}

}  // namespace

HRESULT DispatchCall::Finish(HRESULT hr, VARIANT* result) {
  if (FAILED(hr)) return hr;
  std::vector<VARIANT> outs;
  for (Slot& slot : slots_) {
    if (!IsOutShape(slot.shape)) continue;
    VARIANT out;
    VariantInit(&out);
    switch (slot.shape) {
      case Shape::kOutLong:
        out = VariantFromLong(slot.number);
        break;
      case Shape::kOutBstr:
        // A method that gave no string (it failed) gives an empty result.
        if (slot.bstr != nullptr) {
          out.vt = VT_BSTR;
          out.bstrVal = std::exchange(slot.bstr, nullptr);
        }
        break;
      case Shape::kOutVariant:
        out = slot.value;
        VariantInit(&slot.value);
        break;
      default:
        out.vt = VT_DISPATCH;
        out.pdispVal = std::exchange(slot.dispatch, nullptr);
        break;
    }
    if (slot.arg != nullptr) Publish(out, slot.arg);
    outs.push_back(out);
  }
  if (outs.size() == 1) {
    *result = outs.front();
    return hr;
  }
  if (outs.size() > 1) {
    SAFEARRAY* list = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(outs.size()));
    for (LONG i = 0; list != nullptr && i < static_cast<LONG>(outs.size()); ++i) {
      SafeArrayPutElement(list, &i, &outs[i]);
    }
    for (VARIANT& out : outs) {
      VariantClear(&out);
    }
    if (list == nullptr) return E_OUTOFMEMORY;
    result->vt = VT_ARRAY | VT_VARIANT;
    result->parray = list;
  }
  return hr;
}

}  // namespace zelvan

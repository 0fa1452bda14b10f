#include "com/dispatch_object.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/ansi_text.h"

namespace zelvan {

bool DispatchArgs::Text(UINT index, std::string* out) {
  const VARIANT* arg = Get(index);
  if (arg != nullptr && StringFromVariant(*arg, out)) return true;
  TypeMismatch(index);
  return false;
}

bool DispatchArgs::Long(UINT index, LONG* out) {
  const VARIANT* arg = Get(index);
  if (arg != nullptr && LongFromVariant(*arg, out)) return true;
  TypeMismatch(index);
  return false;
}

HRESULT DispatchArgs::TypeMismatch(UINT index) {
  if (index < count_) fault_position_ = RawPosition(index);
  return DISP_E_TYPEMISMATCH;
}

bool DispatchTable::Add(DISPID id, std::string_view name, WORD flags, UINT min_args, UINT max_args,
                        DispatchMember member) {
  constexpr WORD kKinds =
      DISPATCH_METHOD | DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
  if ((flags & kKinds) == 0 || (flags & ~kKinds) != 0) return false;
  const auto position =
      std::lower_bound(members_.begin(), members_.end(), id,
                       [](const Entry& entry, DISPID wanted) { return entry.id < wanted; });
  if (min_args > max_args || !member || (position != members_.end() && position->id == id)) {
    return false;
  }
  const size_t hash = NoCaseHash()(name);
  if (!name.empty()) {
    for (const Entry& entry : members_) {
      if (entry.name_hash == hash && EqualsNoCase(entry.name, name)) return false;
    }
  }
  members_.insert(position,
                  Entry{id, std::string(name), hash, flags, min_args, max_args, std::move(member)});
  return true;
}

HRESULT DispatchTable::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (count == 0) return S_OK;
  if (names == nullptr || ids == nullptr) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
  }
  const std::string name = TextFromOleString(names[0]);
  const size_t hash = NoCaseHash()(name);
  for (const Entry& entry : members_) {
    if (entry.name_hash == hash && !entry.name.empty() && EqualsNoCase(entry.name, name)) {
      ids[0] = entry.id;
      break;
    }
  }
  // Argument names are not published: calls pass arguments by position.
  return ids[0] != DISPID_UNKNOWN && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT DispatchTable::Invoke(DISPID id, REFIID riid, WORD flags, DISPPARAMS* params,
                              VARIANT* result, UINT* arg_error) const {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const auto found =
      std::lower_bound(members_.begin(), members_.end(), id,
                       [](const Entry& entry, DISPID wanted) { return entry.id < wanted; });
  if (found == members_.end() || found->id != id || (found->flags & flags) == 0) {
    return DISP_E_MEMBERNOTFOUND;
  }
  const Entry& entry = *found;
  if (params == nullptr) return E_INVALIDARG;
  if ((params->cArgs > 0 && params->rgvarg == nullptr) || params->cNamedArgs > params->cArgs ||
      (params->cNamedArgs > 0 && params->rgdispidNamedArgs == nullptr)) {
    return E_INVALIDARG;
  }
  if (params->cNamedArgs > 0) {
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (!put || params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
      return DISP_E_NONAMEDARGS;
    }
  }
  if (params->cArgs < entry.min_args || params->cArgs > entry.max_args) {
    return DISP_E_BADPARAMCOUNT;
  }

  // The caller's result VARIANT is taken as uninitialised, as callers are
  // allowed to pass it; a member always writes to a VARIANT.
  VARIANT scratch;
  VARIANT* out = result != nullptr ? result : &scratch;
  VariantInit(out);
  DispatchArgs args(*params);
  HRESULT hr;
  try {
    hr = entry.member(args, out);
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  } catch (...) {
    hr = E_UNEXPECTED;
  }
  if (FAILED(hr) || result == nullptr) VariantClear(out);
  if (FAILED(hr) && arg_error != nullptr && args.fault_position()) {
    *arg_error = *args.fault_position();
  }
  return hr;
}

HRESULT CallDispatch(IDispatch* target, DISPID id, WORD flags, const VARIANT* args, UINT count,
                     VARIANT* result, UINT* arg_error) {
  if (target == nullptr) return E_POINTER;
  if (count > 0 && args == nullptr) return E_INVALIDARG;
  // DISPPARAMS wants them last first. The copies are shallow: they share
  // strings and references with `args`, which keeps ownership.
  std::vector<VARIANT> reversed(args, args + count);
  std::reverse(reversed.begin(), reversed.end());
  DISPID put_id = DISPID_PROPERTYPUT;
  const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  const bool named_put = put && count > 0;
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), named_put ? &put_id : nullptr,
                    count, named_put ? 1u : 0u};
  if (result != nullptr) VariantClear(result);
  UINT raw_error = std::numeric_limits<UINT>::max();
  const HRESULT hr = target->Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, &raw_error);
  if ((hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND) && arg_error != nullptr &&
      raw_error < count) {
    *arg_error = count - 1 - raw_error;
  }
  return hr;
}

}  // namespace zelvan

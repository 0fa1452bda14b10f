// Objects that answer IDispatch calls by member number, and the caller's side
// of such a call.
//
// A DispatchObject subclass registers its members by DISPID, each with the
// kinds of call it accepts (method, property get, property put), the range
// of argument counts and a function. Invoke checks the call against the
// registration and runs the function with the arguments and the result
// VARIANT; the subclass never sees a call it did not register. The object
// answers QueryInterface for IUnknown, IDispatch and its own interface
// identifier, and counts its references: it deletes itself at the last
// Release. Objects live on one thread (the IDE's apartment), so the count is
// not atomic. It publishes no type information.
//
// Arguments arrive in DISPPARAMS in reverse order (the last argument first);
// DispatchArgs indexes them in call order so that member functions read
// argument 0 as the first one written in the call.
#pragma once

#include <functional>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "com/com_ptr.h"
#include "com/com_types.h"
#include "com/variant.h"

namespace zelvan {

// The arguments of one call, in call order.
class DispatchArgs {
 public:
  explicit DispatchArgs(const DISPPARAMS& params) : args_(params.rgvarg), count_(params.cArgs) {}

  UINT size() const { return count_; }
  // Argument `index` in call order (0 is the first), or null past the end.
  VARIANT* Get(UINT index) const { return index < count_ ? &args_[RawPosition(index)] : nullptr; }
  // The string or number of argument `index` (see StringFromVariant and
  // LongFromVariant); on a missing argument or another type, false and the
  // argument is marked as the one at fault.
  bool Text(UINT index, std::string* out);
  bool Long(UINT index, LONG* out);
  // Marks argument `index` as the one at fault and returns DISP_E_TYPEMISMATCH.
  HRESULT TypeMismatch(UINT index);

  // Where the argument at fault sits in DISPPARAMS::rgvarg, as puArgErr reports it.
  std::optional<UINT> fault_position() const { return fault_position_; }

 private:
  UINT RawPosition(UINT index) const { return count_ - 1 - index; }

  VARIANTARG* args_;
  UINT count_;
  std::optional<UINT> fault_position_;
};

// A member function: reads `args` and writes its result, if any, to
// `result` (VT_EMPTY on entry, never null).
using DispatchMember = std::function<HRESULT(DispatchArgs& args, VARIANT* result)>;

// The registered members of one object and the checks of Invoke.
class DispatchTable {
 public:
  // `flags` is any combination of DISPATCH_METHOD, DISPATCH_PROPERTYGET,
  // DISPATCH_PROPERTYPUT and DISPATCH_PROPERTYPUTREF; `name` (may be empty)
  // is found by GetIDsOfNames regardless of case. False when the DISPID or
  // name is taken, `flags` names no kind of call, `min_args` > `max_args` or
  // `member` is empty.
  bool Add(DISPID id, std::string_view name, WORD flags, UINT min_args, UINT max_args,
           DispatchMember member);

  // DISP_E_UNKNOWNNAME, with DISPID_UNKNOWN in its slot, for a name that is
  // not registered and for every argument name (named arguments are not taken).
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) const;

  // Checks, in order: riid must be IID_NULL (DISP_E_UNKNOWNINTERFACE); the
  // member must exist and accept `flags` (DISP_E_MEMBERNOTFOUND); the only
  // named argument taken is DISPID_PROPERTYPUT of a property put
  // (DISP_E_NONAMEDARGS); the argument count must be in range
  // (DISP_E_BADPARAMCOUNT). Then runs the member. A failing member leaves
  // `result` empty; the position of an argument it marked goes to `arg_error`.
  HRESULT Invoke(DISPID id, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 UINT* arg_error) const;

  // Room for `count` members, so that adding them moves none.
  void Reserve(size_t count) { members_.reserve(count); }

 private:
  struct Entry {
    DISPID id;
    std::string name;
    // Of the name in lower case: an object registers about a hundred
    // members, each checked against all before it.
    size_t name_hash;
    WORD flags;
    UINT min_args;
    UINT max_args;
    DispatchMember member;
  };
  // By DISPID: one block for all of an object's members, where a map spent
  // an allocation on each (objects are made and dropped by the hundred).
  std::vector<Entry> members_;
};

template <class Interface = IDispatch>
class DispatchObject : public Interface {
  static_assert(std::is_base_of_v<IDispatch, Interface>, "a dispatch object implements IDispatch");

 public:
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override {
    if (ppvObject == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
      *ppvObject = static_cast<IUnknown*>(this);
    } else if (IsEqualIID(riid, IID_IDispatch)) {
      *ppvObject = static_cast<IDispatch*>(this);
    } else if (!IsEqualIID(own_iid_, IID_NULL) && IsEqualIID(riid, own_iid_)) {
      *ppvObject = static_cast<Interface*>(this);
    } else {
      *ppvObject = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) DeleteSelf();
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override {
    if (pctinfo == nullptr) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
    if (ppTInfo == nullptr) return E_POINTER;
    *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                          DISPID* rgDispId) override {
    return members_.GetIDsOfNames(riid, rgszNames, cNames, rgDispId);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                   DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO*,
                                   UINT* puArgErr) override {
    return members_.Invoke(dispIdMember, riid, wFlags, pDispParams, pVarResult, puArgErr);
  }

 protected:
  // `own_iid` is the identifier of `Interface` (or of the dispatch interface
  // the object stands for); IID_NULL when it has none of its own.
  explicit DispatchObject(const IID& own_iid = IID_NULL) : own_iid_(own_iid) {}
  // Virtual, and declared after the interface's methods, so it takes no slot
  // before them.
  virtual ~DispatchObject() = default;

  void ReserveMembers(size_t count) { members_.Reserve(count); }
  bool AddMember(DISPID id, std::string_view name, WORD flags, UINT min_args, UINT max_args,
                 DispatchMember member) {
    return members_.Add(id, name, flags, min_args, max_args, std::move(member));
  }
  bool AddMethod(DISPID id, std::string_view name, UINT min_args, UINT max_args,
                 DispatchMember member) {
    return AddMember(id, name, DISPATCH_METHOD, min_args, max_args, std::move(member));
  }

 private:
  // Out of line so that the compiler, seeing a delete inside every inlined
  // Release, does not warn about the callers' later uses it cannot rule out.
  [[gnu::noinline]] void DeleteSelf() { delete this; }

  ULONG references_ = 0;
  IID own_iid_;
  DispatchTable members_;
};

// Creates a counted object (a DispatchObject subclass) and holds its first
// reference; empty when memory runs out.
template <class T, class... Args>
ComPtr<T> MakeComObject(Args&&... args) {
  return ComPtr<T>(new (std::nothrow) T(std::forward<Args>(args)...));
}

// Calls member `id` of `target` with `count` arguments given in call order
// (the first argument first), as the kind of call `flags` names; a property
// put passes its value as the last argument. `result` (may be null) must be
// VT_EMPTY or initialised; it receives the member's result. `arg_error`
// (may be null) receives the call-order index of an argument the member refused.
HRESULT CallDispatch(IDispatch* target, DISPID id, WORD flags, const VARIANT* args, UINT count,
                     VARIANT* result, UINT* arg_error = nullptr);

}  // namespace zelvan

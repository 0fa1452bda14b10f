// ComPtr: a counted reference to an interface.
//
// Holding a ComPtr holds one reference: it calls AddRef when it takes a
// pointer it was given and Release when it lets go. Attach and Detach move a
// reference in and out without counting, for pointers that arrive already
// counted (from QueryInterface, from an out argument).
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

#include "com/com_types.h"

namespace zelvan {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to `p`.
  explicit ComPtr(T* p) : p_(p) { AddRefHeld(); }
  ComPtr(const ComPtr& other) : p_(other.p_) { AddRefHeld(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(const ComPtr<U>& other) : p_(other.Get()) {
    AddRefHeld();
  }
  ~ComPtr() { Reset(); }

  ComPtr& operator=(const ComPtr& other) {
    ComPtr(other).Swap(*this);
    return *this;
  }
  ComPtr& operator=(ComPtr&& other) noexcept {
    ComPtr(std::move(other)).Swap(*this);
    return *this;
  }
  ComPtr& operator=(std::nullptr_t) {
    Reset();
    return *this;
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Releases the reference held.
  void Reset() {
    if (p_ != nullptr) std::exchange(p_, nullptr)->Release();
  }
  // Takes over a reference the caller owns, without AddRef.
  void Attach(T* p) {
    Reset();
    p_ = p;
  }
  // Hands the reference to the caller, without Release.
  T* Detach() { return std::exchange(p_, nullptr); }
  // Releases the reference held and returns the slot for an out argument.
  T** ReleaseAndGetAddressOf() {
    Reset();
    return &p_;
  }
  // A new reference for an out argument of the caller's.
  HRESULT CopyTo(T** out) const {
    if (out == nullptr) return E_POINTER;
    *out = p_;
    if (p_ != nullptr) p_->AddRef();
    return S_OK;
  }
  // Asks the object for interface U (its identifier from InterfaceTraits<U>).
  template <class U>
  HRESULT As(ComPtr<U>* out) const {
    if (out == nullptr) return E_POINTER;
    out->Reset();
    if (p_ == nullptr) return E_POINTER;
    void* raw = nullptr;
    const HRESULT hr = p_->QueryInterface(InterfaceTraits<U>::Iid(), &raw);
    if (SUCCEEDED(hr)) out->Attach(static_cast<U*>(raw));
    return hr;
  }

  void Swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

  friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.p_ == b.p_; }
  friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.p_ == nullptr; }

 private:
  void AddRefHeld() {
    if (p_ != nullptr) p_->AddRef();
  }

  T* p_ = nullptr;
};

}  // namespace zelvan

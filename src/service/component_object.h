// The base of the service's five objects: a dispatch object that counts as
// a reference to its module and publishes its methods by name.
//
// Each method is registered with its slot number as DISPID, its name, the
// shape of its parameters (dispatch_call.h) and a function that calls the
// method through the object's own interface, so a call by name and a call
// through the slot run the same code.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "com/dispatch_object.h"
#include "service/component_module.h"
#include "service/dispatch_call.h"

namespace zelvan {

// The methods an object publishes, with the shapes of their parameters, so
// that a host can list what a call by name may name (the objects publish no
// type information).
struct MemberSignature {
  DISPID slot;
  std::string name;
  std::vector<Shape> shapes;
};
class DescribedObject {
 public:
  const std::vector<MemberSignature>& Signatures() const { return signatures_; }

 protected:
  ~DescribedObject() = default;
  std::vector<MemberSignature> signatures_;
};

template <class Interface>
class ComponentObject : public DispatchObject<Interface>, public DescribedObject {
 protected:
  ComponentObject(ComponentModule& module, const IID& iid)
      : DispatchObject<Interface>(iid), module_(module), reference_(module) {
    // Every object of a class registers the same methods: room for as many
    // as the last one had, taken at once.
    const size_t expected = expected_members_.load(std::memory_order_relaxed);
    signatures_.reserve(expected);
    bodies_.reserve(expected);
    this->ReserveMembers(expected);
  }

  using Body = std::function<HRESULT(DispatchCall& call)>;
  // Registers method `slot` by `name`; false when the slot or the name is taken.
  bool Member(DISPID slot, std::string_view name, std::vector<Shape> shapes, Body body) {
    const UINT required = RequiredArgumentCount(shapes);
    const UINT all = static_cast<UINT>(shapes.size());
    // The table's function holds the object and the index alone, small
    // enough to be kept without an allocation; the shapes and the body stay
    // here (objects are made for every connection and hold ~80 methods).
    const size_t index = signatures_.size();
    DispatchMember member = [this, index](DispatchArgs& args, VARIANT* result) {
      DispatchCall call(args, signatures_[index].shapes);
      const HRESULT hr = call.Prepare();
      if (FAILED(hr)) return hr;
      return call.Finish(bodies_[index](call), result);
    };
    if (!this->AddMember(slot, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, required, all,
                         std::move(member))) {
      return false;
    }
    signatures_.push_back({slot, std::string(name), std::move(shapes)});
    bodies_.push_back(std::move(body));
    if (signatures_.size() > expected_members_.load(std::memory_order_relaxed)) {
      expected_members_.store(signatures_.size(), std::memory_order_relaxed);
    }
    return true;
  }

  ComponentModule& module_;

 private:
  std::vector<Body> bodies_;  // by the index of the signature
  static inline std::atomic<size_t> expected_members_{0};
  ModuleReference reference_;
};

}  // namespace zelvan

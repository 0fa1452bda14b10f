// The base of the service's five objects: a dispatch object that counts as
// a reference to its module and publishes its methods by name.
//
// Each method is registered with its slot number as DISPID, its name, the
// shape of its parameters (dispatch_call.h) and a function that calls the
// method through the object's own interface, so a call by name and a call
// through the slot run the same code.
#pragma once

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
      : DispatchObject<Interface>(iid), module_(module), reference_(module) {}

  using Body = std::function<HRESULT(DispatchCall& call)>;
  // Registers method `slot` by `name`; false when the slot or the name is taken.
  bool Member(DISPID slot, std::string_view name, std::vector<Shape> shapes, Body body) {
    UINT ins = 0;
    for (Shape shape : shapes) {
      if (!IsOutShape(shape)) ++ins;
    }
    const UINT all = static_cast<UINT>(shapes.size());
    DispatchMember member = [shapes, body = std::move(body)](DispatchArgs& args, VARIANT* result) {
      DispatchCall call(args, shapes);
      const HRESULT hr = call.Prepare();
      if (FAILED(hr)) return hr;
      return call.Finish(body(call), result);
    };
    if (!this->AddMember(slot, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, ins, all,
                         std::move(member))) {
      return false;
    }
    signatures_.push_back({slot, std::string(name), std::move(shapes)});
    return true;
  }

  ComponentModule& module_;

 private:
  ModuleReference reference_;
};

}  // namespace zelvan

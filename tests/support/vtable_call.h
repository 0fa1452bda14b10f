// Calls a method by its slot in an interface's table of function pointers,
// with the object as first argument: the way a C client calls a COM object.
#pragma once

namespace zelvan::testing {

template <class Result, class... Args>
#if defined(__clang__)
__attribute__((no_sanitize("function")))
#endif
Result
CallSlot(void* object, int slot, Args... args) {
  void** table = *static_cast<void***>(object);
  auto function = reinterpret_cast<Result (*)(void*, Args...)>(table[slot]);
  return function(object, args...);
}

}  // namespace zelvan::testing

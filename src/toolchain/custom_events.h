// CustomEvents: named custom events, each registered by a handle (a
// window of the host) and given an id of its own from a fixed range, so that
// windows can post events to each other by name.
//
// One handle holds one registration at a time; registering a handle again
// gives it the new name and keeps its id. Several handles may register the
// same name; GetEventID collects the ids of all of them. Names are compared
// exactly. When every id of the range is in use, SetEventData fails.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

// The range of the one process-wide instance.
inline constexpr uint32_t kCustomEventFirstId = 12550;
inline constexpr uint32_t kCustomEventLastId = 12559;

class CustomEvents {
 public:
  using Handle = uintptr_t;

  // An empty range (last < first) has no ids to give.
  CustomEvents(uint32_t first_id, uint32_t last_id);

  // Registers `handle` under `name` and gives its id in `id`. Fails (and
  // leaves `id` alone) for a null handle, an empty name or a full range.
  bool SetEventData(Handle handle, std::string_view name, uint32_t* id);
  // Appends the ids registered under `name`, lowest first.
  void GetEventID(std::string_view name, std::vector<uint32_t>* ids) const;
  // Frees the id of `handle`; false when the handle holds none.
  bool DelEventData(Handle handle);

 private:
  struct Entry {
    Handle handle = 0;
    std::string name;
  };
  uint32_t first_id_;
  uint32_t last_id_;
  std::map<uint32_t, Entry> used_;  // by id; a range may be as wide as uint32_t
};

}  // namespace zelvan

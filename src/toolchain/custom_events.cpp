#include "toolchain/custom_events.h"

namespace zelvan {

CustomEvents::CustomEvents(uint32_t first_id, uint32_t last_id)
    : first_id_(first_id), last_id_(last_id) {}

bool CustomEvents::SetEventData(Handle handle, std::string_view name, uint32_t* id) {
  if (handle == 0 || name.empty() || last_id_ < first_id_) return false;
  for (auto& [used_id, entry] : used_) {
    if (entry.handle == handle) {
      entry.name = name;
      *id = used_id;
      return true;
    }
  }
  // The lowest free id: the first gap in the ordered ids in use.
  uint64_t candidate = first_id_;
  for (const auto& used : used_) {
    if (used.first != candidate) break;
    ++candidate;
  }
  if (candidate > last_id_) return false;
  used_[static_cast<uint32_t>(candidate)] = Entry{handle, std::string(name)};
  *id = static_cast<uint32_t>(candidate);
  return true;
}

void CustomEvents::GetEventID(std::string_view name, std::vector<uint32_t>* ids) const {
  for (const auto& [used_id, entry] : used_) {
    if (entry.name == name) ids->push_back(used_id);
  }
}

bool CustomEvents::DelEventData(Handle handle) {
  if (handle == 0) return false;
  for (auto it = used_.begin(); it != used_.end(); ++it) {
    if (it->second.handle == handle) {
      used_.erase(it);
      return true;
    }
  }
  return false;
}

}  // namespace zelvan

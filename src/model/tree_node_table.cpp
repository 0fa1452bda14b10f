#include "model/tree_node_table.h"

#include "platform/ansi_text.h"

namespace zelvan {

void TreeNodeTable::SetNodeText(uint32_t handle, std::string_view text) {
  nodes_[handle] = std::string(text);
}

bool TreeNodeTable::GetNodeText(uint32_t handle, std::string* text) const {
  auto it = nodes_.find(handle);
  if (it == nodes_.end()) return false;
  *text = it->second;
  return true;
}

void TreeNodeTable::RemoveNode(uint32_t handle) {
  nodes_.erase(handle);
}

void TreeNodeTable::ClearNodes() {
  nodes_.clear();
}

uint32_t TreeNodeTable::FindNode(std::string_view text) const {
  for (const auto& [handle, node_text] : nodes_) {
    if (EqualsNoCase(node_text, text)) return handle;
  }
  return 0;
}

}  // namespace zelvan

#include "model/tree_node_table.h"

#include "platform/ansi_text.h"

namespace zelvan {

void CTreeNodeTable::SetNodeText(uint32_t handle, std::string_view text) {
  nodes_[handle] = std::string(text);
}

bool CTreeNodeTable::GetNodeText(uint32_t handle, std::string* text) const {
  auto it = nodes_.find(handle);
  if (it == nodes_.end()) return false;
  *text = it->second;
  return true;
}

void CTreeNodeTable::RemoveNode(uint32_t handle) {
  nodes_.erase(handle);
}

void CTreeNodeTable::ClearNodes() {
  nodes_.clear();
}

uint32_t CTreeNodeTable::FindNode(std::string_view text) const {
  for (const auto& [handle, node_text] : nodes_) {
    if (EqualsNoCase(node_text, text)) return handle;
  }
  return 0;
}

}  // namespace zelvan

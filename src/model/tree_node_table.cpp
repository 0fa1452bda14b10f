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

bool ViewTrees::GetNodeText(uint32_t handle, std::string* text) const {
  return tables_[0].GetNodeText(handle, text) || tables_[1].GetNodeText(handle, text);
}

void ViewTrees::GetNodeTexts(const std::vector<uint32_t>& handles, std::string* text) const {
  text->clear();
  const TreeNodeTable& table = current_ == 2 ? tables_[1] : tables_[0];
  for (uint32_t handle : handles) {
    std::string node;
    if (table.GetNodeText(handle, &node)) {
      *text += node;
      *text += ';';
    }
  }
}

void ViewTrees::Clear() {
  for (TreeNodeTable& table : tables_)
    table.ClearNodes();
}

}  // namespace zelvan

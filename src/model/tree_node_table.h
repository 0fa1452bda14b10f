// The texts of the nodes of one of the IDE's view trees, by node handle.
//
// The IDE hands the system node handles (32-bit values of its own) together
// with the text the system stores for each node, and later asks for the text
// by handle. The workspace keeps one table per view tree.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace zelvan {

class TreeNodeTable {
 public:
  virtual ~TreeNodeTable() = default;

  // Stores a copy of `text`, replacing the text of the same handle.
  void SetNodeText(uint32_t handle, std::string_view text);
  // False for an unknown handle.
  bool GetNodeText(uint32_t handle, std::string* text) const;
  void RemoveNode(uint32_t handle);
  void ClearNodes();
  // The lowest handle whose text equals `text` without regard to case; 0 when none.
  uint32_t FindNode(std::string_view text) const;
  size_t size() const { return nodes_.size(); }

 private:
  std::map<uint32_t, std::string> nodes_;
};

}  // namespace zelvan

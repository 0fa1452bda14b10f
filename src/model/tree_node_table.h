// The texts of the nodes of one of the IDE's view trees, by node handle.
//
// The IDE hands the system node handles (32-bit values of its own) together
// with the text the system stores for each node, and later asks for the text
// by handle. The workspace keeps one table per view tree (ViewTrees).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

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

// The IDE's two view trees; the current one is 1 or 2.
class ViewTrees {
 public:
  TreeNodeTable& Table(int index) { return index == 2 ? tables_[1] : tables_[0]; }
  int CurrentIndex() const { return current_; }
  void SetCurrentIndex(int index) { current_ = index == 2 ? 2 : 1; }
  // The text of one node, looked up in both trees in order.
  bool GetNodeText(uint32_t handle, std::string* text) const;
  // The texts of several nodes of the current tree, each followed by `;`.
  void GetNodeTexts(const std::vector<uint32_t>& handles, std::string* text) const;
  void Clear();

 private:
  TreeNodeTable tables_[2];
  int current_ = 1;
};

}  // namespace zelvan

// Where the dependency refresh writes its status lines: the IDE's output
// window, or whatever a host or a test puts in its place.
//
// Lines carry a prefix such as "I-007-1000:" (information) or "W-007-D001:"
// (warning) and a kind that tells the window how to show them.
#pragma once

#include <string_view>

namespace zelvan {

// Kinds of output lines, as the output window numbers them.
inline constexpr int kDependencyLineWarning = 17;
inline constexpr int kDependencyLineInformation = 18;

// Message IDs of the dependency refresh.
inline constexpr unsigned kMsgDependencyUnknownSources = 5069;
inline constexpr unsigned kMsgDependencyStart = 5070;
inline constexpr unsigned kMsgDependencyEnd = 5071;
inline constexpr unsigned kMsgDependencyOutputTab = 5072;
inline constexpr unsigned kMsgDependencyUnresolvedFirst = 5073;
inline constexpr unsigned kMsgDependencyUnresolvedCount = 5074;
inline constexpr unsigned kMsgDependencyCancelled = 5079;
inline constexpr unsigned kMsgDependencyNestingLimit = 5093;

class DependencyOutput {
 public:
  virtual ~DependencyOutput() = default;
  // One line, as it stands.
  virtual void WriteOutputLine(std::string_view text, int kind) = 0;
  // The line "<prefix><file>(<line>):<text>"; the window also receives file
  // and line, so the user can open the place.
  virtual void WriteOutputLineAt(std::string_view prefix, std::string_view file, int line,
                                 std::string_view text, int kind) = 0;
};

}  // namespace zelvan

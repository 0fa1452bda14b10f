// Which process made a file: temporaries and stop objects carry the tag of
// their owner, so that a later process can tell those of a process that is
// gone (killed, or the machine stopped) from those of one still at work.
//
// A tag is "<pid>-<start>": the process id and the process's start time in
// clock ticks since boot, so a process id used again names another tag.
#pragma once

#include <string>
#include <string_view>

namespace zelvan {

// The tag of this process.
const std::string& OwnProcessTag();
// False only when the process `tag` names is known to be gone; a text that
// is no tag is taken as alive, so nobody removes what he cannot place.
bool IsProcessTagAlive(std::string_view tag);
// Whether `text` has the form of a tag.
bool IsProcessTag(std::string_view text);
// The process id and start time of `tag`; false when it is no tag.
bool SplitProcessTag(std::string_view tag, unsigned long long* pid, std::string_view* start);

}  // namespace zelvan

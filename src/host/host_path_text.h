// The system's texts name files by their full system paths; the user of
// this host sees them as the host names them.
#pragma once

#include <string>
#include <string_view>

namespace zelvan {

class FileSystem;

// `message` with each full system path in it ("\home\u\ws\Motor.lcf",
// "K:\Tools\x") in host form ("/home/u/ws/Motor.lcf"). A path runs to the
// next blank, or past it while the word after the blank goes on with `\`;
// a closing ".", "," or ")" is not part of it.
std::string HostPathsIn(FileSystem& fs, std::string_view message);

}  // namespace zelvan

#include <errno.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/process_tag.h"

namespace zelvan {

namespace {

// Field 22 of /proc/<pid>/stat, the start time in ticks since boot, and
// field 3, the state; the fields are counted after the name, which may hold
// blanks and brackets.
bool ReadStartTicks(const std::string& pid, std::string* ticks, char* state = nullptr) {
  std::string path = "/proc/";
  path.append(pid);
  path.append("/stat");
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line)) return false;
  size_t close = line.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(line.substr(close + 1));
  std::string field;
  for (int n = 3; n <= 22; ++n) {
    if (!(fields >> field)) return false;
    if (n == 3 && state != nullptr) *state = field[0];
  }
  *ticks = field;
  return true;
}

}  // namespace

const std::string& OwnProcessTag() {
  static const std::string own = [] {
    std::string tag = std::to_string(::getpid());
    std::string ticks(1, '0');  // stays when the start time cannot be read
    ReadStartTicks(tag, &ticks);
    tag += '-';
    tag.append(ticks);
    return tag;
  }();
  return own;
}

bool IsProcessTagAlive(std::string_view tag) {
  unsigned long long number = 0;
  std::string_view start;
  if (!SplitProcessTag(tag, &number, &start)) return true;
  if (number == 0 || number > 0x7FFFFFFF) return false;
  std::string pid = std::to_string(number);
  std::string ticks;
  char state = 0;
  // A zombie has ended; only its parent has not yet been told.
  if (ReadStartTicks(pid, &ticks, &state)) {
    return state != 'Z' && state != 'X' && (start == "0" || ticks == start);
  }
  // No such entry: gone, unless the host has no /proc to look in.
  if (::access("/proc/self/stat", R_OK) == 0) return false;
  return ::kill(static_cast<pid_t>(number), 0) == 0 || errno == EPERM;
}

}  // namespace zelvan

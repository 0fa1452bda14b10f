#include <errno.h>
#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <sstream>

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

bool AllDigits(std::string_view text) {
  return !text.empty() && text.size() <= 20 &&
         text.find_first_not_of("0123456789") == std::string_view::npos;
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

bool IsProcessTag(std::string_view text) {
  size_t dash = text.find('-');
  return dash != std::string_view::npos && AllDigits(text.substr(0, dash)) &&
         AllDigits(text.substr(dash + 1));
}

bool IsProcessTagAlive(std::string_view tag) {
  if (!IsProcessTag(tag)) return true;
  size_t dash = tag.find('-');
  std::string pid(tag.substr(0, dash));
  std::string_view start = tag.substr(dash + 1);
  long long number = 0;
  std::from_chars(pid.data(), pid.data() + pid.size(), number);
  if (number <= 0 || number > 0x7FFFFFFF) return false;
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

// The form of a process tag, the same on every host.
#include "platform/process_tag.h"

#include <charconv>

namespace zelvan {
namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() && text.size() <= 20 &&
         text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

bool IsProcessTag(std::string_view text) {
  size_t dash = text.find('-');
  return dash != std::string_view::npos && AllDigits(text.substr(0, dash)) &&
         AllDigits(text.substr(dash + 1));
}

bool SplitProcessTag(std::string_view tag, unsigned long long* pid, std::string_view* start) {
  if (!IsProcessTag(tag)) return false;
  size_t dash = tag.find('-');
  *pid = 0;
  std::from_chars(tag.data(), tag.data() + dash, *pid);  // too large a number stays 0
  *start = tag.substr(dash + 1);
  return true;
}

}  // namespace zelvan

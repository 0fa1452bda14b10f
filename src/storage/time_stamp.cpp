#include "storage/time_stamp.h"

#include "platform/ansi_text.h"

namespace zelvan {

std::string FormatTimeStamp(const LocalTime& time) {
  return StringPrintf("%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day, time.hour,
                      time.minute, time.second);
}

}  // namespace zelvan

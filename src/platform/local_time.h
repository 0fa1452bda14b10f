// Calendar time in the local time zone, as file times and stamps are shown.
#pragma once

#include <cstdint>

namespace zelvan {

struct LocalTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;

  bool operator==(const LocalTime&) const = default;
};

// Seconds since the epoch to local time, and back.
LocalTime ToLocalTime(int64_t seconds_since_epoch);
int64_t FromLocalTime(const LocalTime& time);

}  // namespace zelvan

#include <time.h>

#include <cstdint>
#include <ctime>

#include "platform/local_time.h"

namespace zelvan {
namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(int64_t days, int* year, int* month, int* day) {
  days += 719468;
  int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  int64_t doe = days - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t y = yoe + era * 400;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int64_t d = doy - (153 * mp + 2) / 5 + 1;
  int64_t m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(y + (m <= 2 ? 1 : 0));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

int64_t FloorDiv(int64_t a, int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

LocalTime ToLocalTime(int64_t seconds_since_epoch) {
  // Time zones change their offset on whole hours (at least on a quarter
  // hour), so one offset per quarter hour is safe to reuse: file times are
  // converted by the thousand during a dependency refresh.
  thread_local int64_t cached_slot = INT64_MIN;
  thread_local long cached_offset = 0;
  int64_t slot = FloorDiv(seconds_since_epoch, 900);
  if (slot != cached_slot) {
    std::time_t t = static_cast<std::time_t>(seconds_since_epoch);
    std::tm tm{};
    localtime_r(&t, &tm);
    cached_offset = tm.tm_gmtoff;
    cached_slot = slot;
  }
  int64_t local = seconds_since_epoch + cached_offset;
  int64_t days = FloorDiv(local, 86400);
  int64_t rest = local - days * 86400;
  LocalTime out;
  CivilFromDays(days, &out.year, &out.month, &out.day);
  out.hour = static_cast<int>(rest / 3600);
  out.minute = static_cast<int>(rest / 60 % 60);
  out.second = static_cast<int>(rest % 60);
  return out;
}

int64_t FromLocalTime(const LocalTime& time) {
  std::tm tm{};
  tm.tm_year = time.year - 1900;
  tm.tm_mon = time.month - 1;
  tm.tm_mday = time.day;
  tm.tm_hour = time.hour;
  tm.tm_min = time.minute;
  tm.tm_sec = time.second;
  tm.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&tm));
}

}  // namespace zelvan

#include "platform/win32_api.h"

#include "platform/local_time.h"

namespace zelvan {
namespace {

constexpr int64_t kEpochIn100ns = 116444736000000000LL;
constexpr int64_t k100nsPerSecond = 10000000LL;

}  // namespace

// The system's own conversion, with the time zone rules of the year in question.
LocalTime ToLocalTime(int64_t seconds_since_epoch) {
  uint64_t ticks = static_cast<uint64_t>(seconds_since_epoch * k100nsPerSecond + kEpochIn100ns);
  FILETIME utc = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME system, local;
  if (!::FileTimeToSystemTime(&utc, &system) ||
      !::SystemTimeToTzSpecificLocalTime(nullptr, &system, &local)) {
    return LocalTime{};
  }
  return LocalTime{local.wYear, local.wMonth,  local.wDay,
                   local.wHour, local.wMinute, local.wSecond};
}

int64_t FromLocalTime(const LocalTime& time) {
  SYSTEMTIME local = {};
  local.wYear = static_cast<WORD>(time.year);
  local.wMonth = static_cast<WORD>(time.month);
  local.wDay = static_cast<WORD>(time.day);
  local.wHour = static_cast<WORD>(time.hour);
  local.wMinute = static_cast<WORD>(time.minute);
  local.wSecond = static_cast<WORD>(time.second);
  SYSTEMTIME system;
  FILETIME utc;
  if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &system) ||
      !::SystemTimeToFileTime(&system, &utc)) {
    return -1;
  }
  int64_t ticks =
      static_cast<int64_t>((static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime);
  return (ticks - kEpochIn100ns) / k100nsPerSecond;
}

}  // namespace zelvan

// The text form of time stamps in the files the system keeps: local time as
// "%04d-%02d-%02d %02d:%02d:%02d", for example "2024-03-09 14:05:00". Stamps
// of this form order correctly as plain strings and are compared as strings.
#pragma once

#include <string>

#include "platform/local_time.h"

namespace zelvan {

std::string FormatTimeStamp(const LocalTime& time);

}  // namespace zelvan

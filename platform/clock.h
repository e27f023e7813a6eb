// Local time and the millisecond tick counter.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct LocalTime {
  int year, month, day, hour, minute, second;
};

LocalTime LocalTimeNow();
// The user's locale time separator (":" on most systems).
std::wstring TimeSeparator();
uint64_t TickCount64();

}  // namespace platform

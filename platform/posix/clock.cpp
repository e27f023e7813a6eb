#include "platform/clock.h"

#include <time.h>

namespace platform {

LocalTime LocalTimeNow() {
  time_t now = time(nullptr);
  struct tm parts {};
  localtime_r(&now, &parts);
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
}

std::wstring TimeSeparator() { return L":"; }

uint64_t TickCount64() {
  struct timespec ts {};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
}

}  // namespace platform

// A clock whose time, separator and tick count the test sets.
#pragma once

#include <atomic>
#include <string>

#include "platform/clock.h"

namespace testsupport {

class FakeClock : public platform::Clock {
 public:
  platform::LocalTime now{2026, 3, 14, 9, 5, 7};
  std::wstring separator = L":";
  std::atomic<uint64_t> ticks{0};

  platform::LocalTime Now() const override { return now; }
  std::wstring TimeSeparator() const override { return separator; }
  uint64_t TickCount64() const override { return ticks.load(); }
};

}  // namespace testsupport

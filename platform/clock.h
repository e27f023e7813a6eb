// Local time, the user's time separator and the millisecond tick counter.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct LocalTime {
  int year, month, day, hour, minute, second;  // full year, month 1-12, hour 0-23
};

LocalTime LocalTimeNow();
// The user's locale time separator (":" on most systems, and when the locale
// gives none).
std::wstring TimeSeparator();
// Milliseconds since an arbitrary start; never goes backwards.
uint64_t TickCount64();

// The same three services behind an interface, for code whose tests must fix
// the time (log stamps, automatic-mode countdowns). Implementations are safe to
// call from several threads.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
  virtual std::wstring TimeSeparator() const = 0;
  virtual uint64_t TickCount64() const = 0;
};

class SystemClockImpl final : public Clock {
 public:
  LocalTime Now() const override { return LocalTimeNow(); }
  std::wstring TimeSeparator() const override { return platform::TimeSeparator(); }
  uint64_t TickCount64() const override { return platform::TickCount64(); }
};

inline const Clock& SystemClock() {
  static const SystemClockImpl clock;
  return clock;
}

}  // namespace platform

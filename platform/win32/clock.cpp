#include "platform/clock.h"

#include <windows.h>

namespace platform {

LocalTime LocalTimeNow() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::wstring TimeSeparator() {
  wchar_t buffer[8] = {};
  int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, buffer, 8);
  // n counts the terminating null; 1 means an empty separator.
  if (n <= 1) return L":";
  return std::wstring(buffer, size_t(n - 1));
}

uint64_t TickCount64() { return GetTickCount64(); }

}  // namespace platform

#include "system/formatters.h"

namespace {

// printf's "%.2d": at least two digits, the sign in front of them.
std::wstring TwoDigits(long long value) {
  std::wstring digits = std::to_wstring(value < 0 ? -value : value);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), L'0');
  return value < 0 ? L"-" + digits : digits;
}

}  // namespace

std::wstring YesNo(bool flag) { return flag ? L"Yes" : L"No"; }

std::wstring FormatCountdown(int64_t seconds) {
  const long long minutes = seconds / 60;
  const long long rest = seconds % 60;
  if (minutes < 60) return std::to_wstring(minutes) + L':' + TwoDigits(rest);
  return std::to_wstring(minutes / 60) + L':' + TwoDigits(minutes % 60) + L':' + TwoDigits(rest);
}

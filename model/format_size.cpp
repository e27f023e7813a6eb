#include "model/format_size.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex unitsMutex;
SizeUnits& Units() {
  static SizeUnits units;
  return units;
}

std::wstring Widen(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

}  // namespace

void SetSizeUnits(const SizeUnits& units) {
  std::lock_guard<std::mutex> lock(unitsMutex);
  Units() = units;
}

SizeUnits CurrentSizeUnits() {
  std::lock_guard<std::mutex> lock(unitsMutex);
  return Units();
}

std::wstring FormatSize(int64_t bytes) {
  const SizeUnits units = CurrentSizeUnits();
  char number[64];
  if (bytes < 1024) {
    std::snprintf(number, sizeof number, "%-4lld", static_cast<long long>(bytes));
    return Widen(number) + L' ' + units.names[0];
  }
  double value = static_cast<double>(bytes) / 1024.0;
  int unit = 1;
  while (value >= 1024.0 && unit < 4) {
    value /= 1024.0;
    ++unit;
  }
  if (value < 1000.0) {
    // The C locale writes a point; the user's separator replaces it.
    std::snprintf(number, sizeof number, "%.3g", value);
    std::wstring text = Widen(number);
    for (wchar_t& c : text)
      if (c == L'.') c = units.decimalSeparator;
    return text + L' ' + units.names[unit];
  }
  std::snprintf(number, sizeof number, "%llu", static_cast<unsigned long long>(value));
  return Widen(number) + L' ' + units.names[unit];
}

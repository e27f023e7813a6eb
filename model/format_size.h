// The size text shown for every byte count, with a shared, replaceable table
// of unit names (the window refills it when the language changes).
#pragma once

#include <cstdint>
#include <string>

struct SizeUnits {
  std::wstring names[5] = {L"b.", L"Kb.", L"Mb.", L"Gb.", L"Tb."};
  wchar_t decimalSeparator = L'.';
};

void SetSizeUnits(const SizeUnits& units);
SizeUnits CurrentSizeUnits();

std::wstring FormatSize(int64_t bytes);

// Two small texts of the start-up log and the automatic-mode countdown.
#pragma once

#include <cstdint>
#include <string>

// "Yes" or "No" (log lines are never translated).
std::wstring YesNo(bool flag);

// m:ss below one hour (425 gives 7:05), h:mm:ss from one hour on (4025 gives
// 1:07:05).
std::wstring FormatCountdown(int64_t seconds);

// A file's last-write time and the current time, on one scale (seconds since
// 1970, UTC), for the age rule of young temporary files.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

bool FileLastWriteTime(const std::wstring& path, int64_t& unixSeconds);
bool SetFileLastWriteTime(const std::wstring& path, int64_t unixSeconds);
int64_t UnixTimeNow();

}  // namespace platform

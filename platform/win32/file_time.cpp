#include "platform/file_time.h"

#include <windows.h>

#include "platform/win_path.h"

namespace platform {
namespace {

// FILETIME counts 100 ns steps since 1601.
constexpr int64_t kEpochDifference = 11644473600LL;

int64_t ToUnix(const FILETIME& ft) {
  ULARGE_INTEGER v;
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  return static_cast<int64_t>(v.QuadPart / 10000000ULL) - kEpochDifference;
}

}  // namespace

bool FileLastWriteTime(const std::wstring& path, int64_t& unixSeconds) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(LongPathForm(path).c_str(), GetFileExInfoStandard, &data)) return false;
  unixSeconds = ToUnix(data.ftLastWriteTime);
  return true;
}

bool SetFileLastWriteTime(const std::wstring& path, int64_t unixSeconds) {
  HANDLE h = CreateFileW(LongPathForm(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  ULARGE_INTEGER v;
  v.QuadPart = static_cast<ULONGLONG>(unixSeconds + kEpochDifference) * 10000000ULL;
  FILETIME ft{v.LowPart, v.HighPart};
  BOOL ok = SetFileTime(h, nullptr, nullptr, &ft);
  CloseHandle(h);
  return ok != FALSE;
}

int64_t UnixTimeNow() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return ToUnix(ft);
}

}  // namespace platform

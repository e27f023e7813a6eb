#include "platform/file_time.h"

#include <windows.h>

#include "platform/win32/handle.h"
#include "platform/win32/system_path.h"

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
  if (!GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) return false;
  unixSeconds = ToUnix(data.ftLastWriteTime);
  return true;
}

bool SetFileLastWriteTime(const std::wstring& path, int64_t unixSeconds) {
  Handle h(CreateFileW(SystemPath(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!h.Valid()) return false;
  ULARGE_INTEGER v;
  v.QuadPart = static_cast<ULONGLONG>(unixSeconds + kEpochDifference) * 10000000ULL;
  FILETIME ft{v.LowPart, v.HighPart};
  return SetFileTime(h.Get(), nullptr, nullptr, &ft) != FALSE;
}

int64_t UnixTimeNow() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return ToUnix(ft);
}

}  // namespace platform

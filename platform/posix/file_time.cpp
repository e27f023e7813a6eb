#include "platform/file_time.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include "platform/posix/wine_prefix.h"

namespace platform {

bool FileLastWriteTime(const std::wstring& path, int64_t& unixSeconds) {
  std::string native;
  struct stat st;
  if (!ToNativePath(path, native) || lstat(native.c_str(), &st) != 0) return false;
  unixSeconds = static_cast<int64_t>(st.st_mtime);
  return true;
}

bool SetFileLastWriteTime(const std::wstring& path, int64_t unixSeconds) {
  std::string native;
  if (!ToNativePath(path, native)) return false;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(unixSeconds);
  times[1].tv_nsec = 0;
  return utimensat(AT_FDCWD, native.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

int64_t UnixTimeNow() { return static_cast<int64_t>(std::time(nullptr)); }

}  // namespace platform

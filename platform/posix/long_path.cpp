#include "platform/posix/long_path.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

LongPathBase::LongPathBase(const std::string& path) : fd_(AT_FDCWD), rest_(path.c_str()) {
  size_t pos = 0;
  while (path.size() - pos >= PATH_MAX) {
    const size_t cut = path.rfind('/', pos + PATH_MAX - 1);
    if (cut == std::string::npos || cut < pos) {
      fd_.Reset(-1);
      errno = ENAMETOOLONG;  // one name longer than the kernel's limit
      return;
    }
    const std::string piece = cut == 0 ? std::string("/") : path.substr(pos, cut - pos);
    const int next = openat(fd_.Get(), piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    const int error = errno;
    fd_.Reset(next);
    if (next < 0) {
      errno = error;
      return;
    }
    pos = cut + 1;
  }
  rest_ = path.c_str() + pos;
}

int LstatAnyLength(const std::string& path, struct stat& status) {
  if (path.size() < PATH_MAX) return lstat(path.c_str(), &status);
  LongPathBase base(path);
  if (base.Fd() == -1) return -1;
  return fstatat(base.Fd(), base.Rest(), &status, AT_SYMLINK_NOFOLLOW);
}

}  // namespace platform

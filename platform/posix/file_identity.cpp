// posix: the device and inode of the entry, and its Linux path with the links
// of its folders resolved (the entry itself is never followed).
#include "platform/file_identity.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "platform/posix/wine_prefix.h"

namespace platform {

bool QueryFileIdentity(const std::wstring& path, FileIdentity& identity) {
  identity = FileIdentity();
  std::string native;
  if (!ToNativePath(path, native)) return false;
  const size_t slash = native.rfind('/');
  if (slash == std::string::npos || slash + 1 == native.size()) return false;
  const std::string folder = slash == 0 ? std::string("/") : native.substr(0, slash);
  char resolved[PATH_MAX];
  if (!realpath(folder.c_str(), resolved)) return false;
  struct stat st;
  std::string full = std::string(resolved) + (resolved[1] == 0 ? "" : "/") + native.substr(slash + 1);
  if (lstat(full.c_str(), &st) != 0) return false;
  identity.volume = uint64_t(st.st_dev);
  identity.index = uint64_t(st.st_ino);
  identity.linkCount = uint32_t(st.st_nlink);
  identity.resolvedPath = std::move(full);
  return true;
}

}  // namespace platform

#include "platform/posix/native_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/posix/descriptor.h"

namespace platform {

WholeFileRead ReadNativeFile(const std::string& path, size_t maxBytes, std::string& bytes) {
  bytes.clear();
  const Descriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.Valid()) return (errno == ENOENT || errno == ENOTDIR) ? WholeFileRead::Missing : WholeFileRead::Failed;
  struct stat st;
  if (fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return WholeFileRead::Failed;
  // One byte more than allowed tells a file of exactly maxBytes from a longer
  // one; the size is only a hint, since the file may grow while it is read.
  // (O_NONBLOCK above keeps a FIFO planted under the name from blocking.)
  const size_t limit = maxBytes + 1;
  size_t hint = st.st_size > 0 ? size_t(st.st_size) + 1 : 4096;
  bytes.resize(hint < limit ? hint : limit);
  size_t got = 0;
  for (;;) {
    if (got == bytes.size()) {
      if (bytes.size() >= limit) break;
      bytes.resize(bytes.size() * 2 < limit ? bytes.size() * 2 : limit);
    }
    ssize_t n = read(fd.Get(), &bytes[got], bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      bytes.clear();
      return WholeFileRead::Failed;
    }
    if (n == 0) break;
    got += size_t(n);
  }
  if (got > maxBytes) {
    bytes.resize(maxBytes);
    return WholeFileRead::TooLarge;
  }
  bytes.resize(got);
  return WholeFileRead::Ok;
}

bool ReplaceNativeFile(const std::string& path, const std::string& bytes) {
  mode_t mode = 0644;
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode) || !(st.st_mode & S_IWUSR)) {
      errno = EACCES;
      return false;
    }
    mode = st.st_mode & 07777;
  }
  static std::atomic<unsigned> counter{0};
  std::string temp = path + "." + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".tmp";
  Descriptor fd(open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
  if (!fd.Valid()) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    ssize_t n = write(fd.Get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += size_t(n);
  }
  if (ok && fsync(fd.Get()) != 0) ok = false;
  if (!fd.Close()) ok = false;
  if (ok && rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) {
    int saved = errno;
    unlink(temp.c_str());
    errno = saved;
  }
  return ok;
}

}  // namespace platform

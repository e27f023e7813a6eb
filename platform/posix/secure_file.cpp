// posix: the open descriptor is the file's identity (device and inode). Writes,
// flush and truncation go through it; rename and unlink must go by path, so
// each first checks that the path still names that inode.
#include "platform/secure_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_system.h"
#include "platform/posix/last_error.h"
#include "platform/posix/wine_prefix.h"
#include "platform/win_path.h"

namespace platform {
namespace {

// A failure's Windows code, also left as the thread's last error, as the
// Windows calls leave theirs.
uint32_t Recorded(uint32_t code) {
  SetLastErrorCode(code);
  return code;
}

uint32_t FromErrno(int error) { return Recorded(WindowsErrorFromErrno(error)); }

constexpr uint32_t kErrorInvalidHandle = 6;

bool SameInode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

struct SecureFile::Impl {
  int fd = -1;
  bool writable = false;
  struct stat identity {};
  std::string nativePath;

  // True when the path still names the open inode (and not, say, a file
  // planted there after a rename).
  bool PathStillNamesFile(int& error) const {
    struct stat st;
    if (lstat(nativePath.c_str(), &st) != 0) {
      error = errno;
      return false;
    }
    if (!SameInode(st, identity)) {
      error = EACCES;
      return false;
    }
    return true;
  }
};

SecureFile::SecureFile() : impl_(std::make_unique<Impl>()) {}

SecureFile::~SecureFile() { SecureFile::Close(); }

bool SecureFile::IsOpen() const { return impl_->fd >= 0; }

bool SecureFile::CanWrite() const { return impl_->fd >= 0 && impl_->writable; }

void SecureFile::Close() {
  if (impl_->fd >= 0) close(impl_->fd);
  impl_->fd = -1;
  impl_->writable = false;
}

bool SecureFile::Open(const std::wstring& path) {
  Close();
  path_ = path;
  if (!ToNativePath(path, impl_->nativePath)) return Fail(Recorded(kErrorPathNotFound));
  const char* native = impl_->nativePath.c_str();

  // O_PATH opens a symbolic link itself and never touches a device or a pipe.
  int probe = open(native, O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (probe < 0) return Fail(FromErrno(errno));
  struct stat st;
  if (fstat(probe, &st) != 0) {
    int error = errno;
    close(probe);
    return Fail(FromErrno(error));
  }
  if (S_ISDIR(st.st_mode)) {
    close(probe);
    return Fail(Recorded(kErrorAccessDenied));  // what deleting a folder as a file gives on Windows
  }
  impl_->fd = probe;
  impl_->identity = st;
  impl_->writable = false;
  if (!S_ISREG(st.st_mode)) return true;

  // Read-only means no write bit, as Wine maps it. The change goes through the
  // descriptor's /proc entry, which names the inode, not the path.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    std::string self = "/proc/self/fd/" + std::to_string(probe);
    if (chmod(self.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0)
      fchmodat(AT_FDCWD, native, (st.st_mode & 07777) | S_IWUSR, AT_SYMLINK_NOFOLLOW);
  }

  int writer = open(native, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (writer < 0) return true;  // content stays untouched; the name can still go
  struct stat written;
  if (fstat(writer, &written) != 0 || !SameInode(written, st) || !S_ISREG(written.st_mode)) {
    close(writer);  // the name changed hands between the two opens
    return true;
  }
  close(probe);
  impl_->fd = writer;
  impl_->identity = written;
  impl_->writable = true;
  return true;
}

bool SecureFile::Info(SecureFileInfo& info) const {
  if (impl_->fd < 0) return false;
  struct stat st;
  if (fstat(impl_->fd, &st) != 0) return false;
  info = SecureFileInfo();
  info.size = S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
  info.linkCount = uint32_t(st.st_nlink);
  info.isLink = S_ISLNK(st.st_mode);
  info.isFolder = S_ISDIR(st.st_mode);
  if (info.isLink) info.attributes |= kAttrReparsePoint;
  if (info.isFolder) info.attributes |= kAttrDirectory;
  if (!info.isLink && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) info.attributes |= kAttrReadOnly;
  std::wstring name = FileNameOf(path_);
  if (!name.empty() && name[0] == L'.') info.attributes |= kAttrHidden;
  if (info.attributes == 0) info.attributes = kAttrNormal;
  return true;
}

bool SecureFile::WriteAt(uint64_t offset, const void* data, size_t count) {
  if (!CanWrite()) return Fail(Recorded(kErrorAccessDenied));
  const char* bytes = static_cast<const char*>(data);
  while (count > 0) {
    ssize_t n = pwrite(impl_->fd, bytes, count, off_t(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(FromErrno(errno));
    }
    if (n == 0) return Fail(FromErrno(EIO));
    bytes += n;
    offset += uint64_t(n);
    count -= size_t(n);
  }
  return true;
}

bool SecureFile::Flush() {
  if (!CanWrite()) return Fail(Recorded(kErrorAccessDenied));
  if (fsync(impl_->fd) != 0) return Fail(FromErrno(errno));
  return true;
}

bool SecureFile::Truncate(uint64_t size) {
  if (!CanWrite()) return Fail(Recorded(kErrorAccessDenied));
  if (ftruncate(impl_->fd, off_t(size)) != 0) return Fail(FromErrno(errno));
  return true;
}

bool SecureFile::Rename(const std::wstring& newPath) {
  if (impl_->fd < 0) return Fail(Recorded(kErrorInvalidHandle));
  std::string nativeNew;
  if (!ToNativePath(newPath, nativeNew)) return Fail(Recorded(kErrorPathNotFound));
  int error = 0;
  if (!impl_->PathStillNamesFile(error)) return Fail(FromErrno(error));
  if (renameat2(AT_FDCWD, impl_->nativePath.c_str(), AT_FDCWD, nativeNew.c_str(), RENAME_NOREPLACE) != 0) {
    error = errno;
    if (error != EINVAL && error != ENOSYS) return Fail(FromErrno(error));
    // A file system without no-replace renames: check, then rename.
    struct stat st;
    if (lstat(nativeNew.c_str(), &st) == 0) return Fail(FromErrno(EEXIST));
    if (rename(impl_->nativePath.c_str(), nativeNew.c_str()) != 0) return Fail(FromErrno(errno));
  }
  impl_->nativePath = nativeNew;
  path_ = newPath;
  return true;
}

bool SecureFile::Delete() {
  if (impl_->fd < 0) return Fail(Recorded(kErrorInvalidHandle));
  int error = 0;
  if (!impl_->PathStillNamesFile(error)) return Fail(FromErrno(error));
  if (unlink(impl_->nativePath.c_str()) != 0) return Fail(FromErrno(errno));
  Close();
  return true;
}

}  // namespace platform

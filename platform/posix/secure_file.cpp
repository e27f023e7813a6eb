// posix: the entry's identity (device and inode) is taken the first time a
// step needs it. Writes, flush and truncation go through a descriptor; rename
// and unlink must go by path, so each first checks that the path still names
// that inode. An entry opened for its name only is not looked at until then:
// unlink removes a name as it is (a link as a link, never a folder), so the
// standard deletion costs one system call.
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
  bool open = false;
  int fd = -1;  // only for content
  bool writable = false;
  bool identityKnown = false;
  struct stat identity {};
  std::string nativePath;
  bool literal = false;  // nativePath is the path as written, letter case not yet resolved

  // Maps the path as written; the letter case is resolved only when that
  // names nothing, which costs a lookup more.
  bool Map(const std::wstring& path) {
    literal = LiteralNativePath(path, nativePath);
    return literal || ToNativePath(path, nativePath);
  }

  // Runs call(nativePath); when the path as written names nothing, resolves
  // the letter case of windowsPath (the entry's path) and runs it once more.
  template <typename Call>
  bool ByPath(const std::wstring& windowsPath, Call call) {
    if (call(nativePath.c_str())) return true;
    if (errno != ENOENT || !literal) return false;
    literal = false;
    std::string resolved;
    if (!ToNativePath(windowsPath, resolved) || resolved == nativePath) {
      errno = ENOENT;
      return false;
    }
    nativePath = std::move(resolved);
    return call(nativePath.c_str());
  }

  bool LookUp(const std::wstring& windowsPath, struct stat& st) {
    return ByPath(windowsPath, [&](const char* native) { return lstat(native, &st) == 0; });
  }

  // True when the path names the file: the one first seen there, not, say, a
  // file planted after a rename. The first call takes the identity.
  bool StillNamesFile(const std::wstring& windowsPath, int& error) {
    struct stat st;
    if (!LookUp(windowsPath, st)) {
      error = errno;
      return false;
    }
    if (!identityKnown) {
      if (S_ISDIR(st.st_mode)) {
        error = EISDIR;
        return false;
      }
      identity = st;
      identityKnown = true;
    } else if (!SameInode(st, identity)) {
      error = EACCES;
      return false;
    }
    return true;
  }
};

SecureFile::SecureFile() : impl_(std::make_unique<Impl>()) {}

SecureFile::~SecureFile() { SecureFile::Close(); }

bool SecureFile::IsOpen() const { return impl_->open; }

bool SecureFile::CanWrite() const { return impl_->fd >= 0 && impl_->writable; }

void SecureFile::Close() {
  if (impl_->fd >= 0) close(impl_->fd);
  impl_->fd = -1;
  impl_->open = false;
  impl_->writable = false;
  impl_->identityKnown = false;
}

bool SecureFile::Open(const std::wstring& path, SecureAccess access) {
  Close();
  path_ = path;
  if (!impl_->Map(path)) return Fail(Recorded(kErrorPathNotFound));
  if (access == SecureAccess::NameOnly) {
    // The write bit plays no part in removing a name here, so a read-only
    // file needs no change either.
    impl_->open = true;
    return true;
  }
  int error = 0;
  if (!impl_->StillNamesFile(path_, error)) return Fail(FromErrno(error));  // missing, or a folder
  impl_->open = true;
  const struct stat st = impl_->identity;
  if (!S_ISREG(st.st_mode)) return true;
  const char* native = impl_->nativePath.c_str();

  // Read-only means no write bit, as Wine maps it. AT_SYMLINK_NOFOLLOW keeps
  // a link planted here since the look from passing the change on.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    fchmodat(AT_FDCWD, native, (st.st_mode & 07777) | S_IWUSR, AT_SYMLINK_NOFOLLOW);

  int writer = open(native, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (writer < 0) return true;  // content stays untouched; the name can still go
  struct stat written;
  if (fstat(writer, &written) != 0 || !SameInode(written, st) || !S_ISREG(written.st_mode)) {
    close(writer);  // the name changed hands between the look and the open
    return true;
  }
  impl_->fd = writer;
  impl_->identity = written;
  impl_->writable = true;
  return true;
}

bool SecureFile::Info(SecureFileInfo& info) const {
  struct stat st;
  if (!impl_->open) return false;
  if (impl_->fd >= 0) {
    if (fstat(impl_->fd, &st) != 0) return false;
  } else if (lstat(impl_->nativePath.c_str(), &st) != 0 || (impl_->identityKnown && !SameInode(st, impl_->identity))) {
    return false;
  }
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
  if (!impl_->open) return Fail(Recorded(kErrorInvalidHandle));
  std::string nativeNew;
  if (!ToNativePath(newPath, nativeNew)) return Fail(Recorded(kErrorPathNotFound));
  int error = 0;
  if (!impl_->StillNamesFile(path_, error)) return Fail(FromErrno(error));
  if (renameat2(AT_FDCWD, impl_->nativePath.c_str(), AT_FDCWD, nativeNew.c_str(), RENAME_NOREPLACE) != 0) {
    error = errno;
    if (error != EINVAL && error != ENOSYS) return Fail(FromErrno(error));
    // A file system without no-replace renames: check, then rename.
    struct stat st;
    if (lstat(nativeNew.c_str(), &st) == 0) return Fail(FromErrno(EEXIST));
    if (rename(impl_->nativePath.c_str(), nativeNew.c_str()) != 0) return Fail(FromErrno(errno));
  }
  impl_->nativePath = nativeNew;
  impl_->literal = false;
  path_ = newPath;
  return true;
}

bool SecureFile::Delete() {
  if (!impl_->open) return Fail(Recorded(kErrorInvalidHandle));
  int error = 0;
  // Once the file was looked at (its content opened, or renamed), only that
  // file may go.
  if (impl_->identityKnown && !impl_->StillNamesFile(path_, error)) return Fail(FromErrno(error));
  if (!impl_->ByPath(path_, [](const char* native) { return unlink(native) == 0; })) return Fail(FromErrno(errno));
  Close();
  return true;
}

}  // namespace platform

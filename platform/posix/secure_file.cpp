// posix: the entry's folder is held open and every step goes by name within
// it, so a folder renamed or swapped for a link meanwhile cannot send a step
// elsewhere. Each step that changes the entry first checks that the name
// still names the inode seen first. A row with an identity is reached by a
// walk from "/" along its resolved path with O_NOFOLLOW at every level.
#include "platform/secure_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_system.h"
#include "platform/posix/descriptor.h"
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

constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

bool SameInode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The folder part and the last name of a Linux path ("/a/b" gives "/a", "b").
void SplitNative(const std::string& native, std::string& folder, std::string& name) {
  const size_t slash = native.rfind('/');
  if (slash == std::string::npos) {
    folder = ".";
    name = native;
    return;
  }
  folder = slash == 0 ? std::string("/") : native.substr(0, slash);
  name = native.substr(slash + 1);
}

enum class Walk { Reached, Gone, Changed, Failed };

// Opens the folder of an absolute path one component at a time from "/",
// never following a link. A missing component, or one that is a file, means
// the entry is gone; a link means the path was changed.
Walk OpenFolderNoFollow(const std::string& folder, Descriptor& out, int& error) {
  Descriptor at(open("/", kFolderFlags));
  if (!at.Valid()) {
    error = errno;
    return Walk::Failed;
  }
  size_t start = 0;
  while (start < folder.size()) {
    size_t end = folder.find('/', start);
    if (end == std::string::npos) end = folder.size();
    const std::string part = folder.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    int next = openat(at.Get(), part.c_str(), kFolderFlags | O_NOFOLLOW);
    if (next < 0) {
      error = errno;
      struct stat st;
      if (error == ENOENT) return Walk::Gone;
      if (error == ELOOP) return Walk::Changed;
      if (error == ENOTDIR) {
        // O_DIRECTORY with O_NOFOLLOW refuses a link as "not a folder" too.
        if (fstatat(at.Get(), part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
          error = ELOOP;
          return Walk::Changed;
        }
        return Walk::Gone;
      }
      return Walk::Failed;
    }
    at.Reset(next);
  }
  out.Reset(at.Release());
  return Walk::Reached;
}

}  // namespace

struct SecureFile::Impl {
  bool open = false;
  Descriptor folder;  // the folder holding the entry
  std::string name;   // the entry's name in it
  std::wstring openedPath;
  std::string openedName;  // the name it had then, for a rename back
  Descriptor content; // only for content
  bool writable = false;
  bool identityKnown = false;
  struct stat identity {};

  bool LookUp(struct stat& st) const { return fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0; }

  // True when the name still names the file: the one first seen there, not,
  // say, a file planted after a rename. The first call takes the identity.
  bool StillNamesFile(int& error) {
    struct stat st;
    if (!LookUp(st)) {
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

  // The folder of a path with no identity: the path as written first, the
  // letter case resolved only when that names nothing, which costs a lookup
  // more. Links above the entry are followed, as for any path.
  bool Locate(const std::wstring& windowsPath, int& error) {
    std::string native, folderPath;
    for (int attempt = 0; attempt < 2; ++attempt) {
      const bool mapped = attempt == 0 ? LiteralNativePath(windowsPath, native) : ToNativePath(windowsPath, native);
      if (!mapped) continue;
      SplitNative(native, folderPath, name);
      folder.Reset(::open(folderPath.c_str(), kFolderFlags));
      struct stat st;
      if (folder.Valid() && LookUp(st)) return true;
      error = errno;
      if (error != ENOENT && error != ENOTDIR) return false;
    }
    if (error == 0) error = ENOENT;
    return false;
  }
};

SecureFile::SecureFile() : impl_(std::make_unique<Impl>()) {}

SecureFile::~SecureFile() { SecureFile::Close(); }

bool SecureFile::IsOpen() const { return impl_->open; }

bool SecureFile::CanWrite() const { return impl_->content.Valid() && impl_->writable; }

void SecureFile::Close() {
  impl_->content.Reset();
  impl_->folder.Reset();
  impl_->open = false;
  impl_->writable = false;
  impl_->identityKnown = false;
}

bool SecureFile::Open(const std::wstring& path, SecureAccess access, const FileIdentity* expected) {
  Close();
  path_ = path;
  changed_ = false;
  int error = 0;
  if (expected && expected->Known()) {
    std::string folderPath;
    SplitNative(expected->resolvedPath, folderPath, impl_->name);
    switch (OpenFolderNoFollow(folderPath, impl_->folder, error)) {
      case Walk::Reached:
        break;
      case Walk::Gone:
        return Fail(FromErrno(error));
      case Walk::Changed:
        return FailChanged(FromErrno(error));
      case Walk::Failed:
        return Fail(FromErrno(error));
    }
    struct stat st;
    if (!impl_->LookUp(st)) return Fail(FromErrno(errno));
    if (uint64_t(st.st_dev) != expected->volume || uint64_t(st.st_ino) != expected->index)
      return FailChanged(FromErrno(EACCES));
  } else if (!impl_->Locate(path, error)) {
    return Fail(FromErrno(error));
  }
  if (!impl_->StillNamesFile(error)) return Fail(FromErrno(error));  // missing, or a folder
  impl_->open = true;
  impl_->openedPath = path;
  impl_->openedName = impl_->name;
  const struct stat st = impl_->identity;
  // The write bit plays no part in removing a name, so a name-only open needs
  // no change and no descriptor.
  if (access == SecureAccess::NameOnly || !S_ISREG(st.st_mode)) return true;
  const int folder = impl_->folder.Get();
  const char* name = impl_->name.c_str();

  // Read-only means no write bit, as Wine maps it. AT_SYMLINK_NOFOLLOW keeps
  // a link planted here since the look from passing the change on.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    fchmodat(folder, name, (st.st_mode & 07777) | S_IWUSR, AT_SYMLINK_NOFOLLOW);

  Descriptor writer(openat(folder, name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!writer.Valid()) return true;  // content stays untouched; the name can still go
  struct stat written;
  if (fstat(writer.Get(), &written) != 0 || !SameInode(written, st) || !S_ISREG(written.st_mode))
    return true;  // the name changed hands between the look and the open
  impl_->content.Reset(writer.Release());
  impl_->identity = written;
  impl_->writable = true;
  return true;
}

bool SecureFile::Info(SecureFileInfo& info) const {
  struct stat st;
  if (!impl_->open) return false;
  if (impl_->content.Valid()) {
    if (fstat(impl_->content.Get(), &st) != 0) return false;
  } else if (!impl_->LookUp(st) || (impl_->identityKnown && !SameInode(st, impl_->identity))) {
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

bool SecureFile::DataRanges(std::vector<DataRange>& ranges) const {
  ranges.clear();
  SecureFileInfo info;
  if (!Info(info)) return false;
  const int fd = impl_->content.Get();
  const off_t size = off_t(info.size);
  off_t at = 0;
  while (fd >= 0 && at < size) {
    off_t data = lseek(fd, at, SEEK_DATA);
    if (data < 0) {
      if (errno == ENXIO) return true;  // nothing but a hole to the end
      break;                            // the file system cannot tell: the whole file
    }
    off_t hole = lseek(fd, data, SEEK_HOLE);
    if (hole < 0) break;
    if (hole > size) hole = size;
    if (hole > data) ranges.push_back({uint64_t(data), uint64_t(hole - data)});
    at = hole;
  }
  if (at < size) {
    ranges.clear();
    if (size > 0) ranges.push_back({0, uint64_t(size)});
  }
  return true;
}

bool SecureFile::WriteAt(uint64_t offset, const void* data, size_t count) {
  if (!CanWrite()) return Fail(Recorded(kErrorAccessDenied));
  const char* bytes = static_cast<const char*>(data);
  while (count > 0) {
    ssize_t n = pwrite(impl_->content.Get(), bytes, count, off_t(offset));
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
  if (fsync(impl_->content.Get()) != 0) return Fail(FromErrno(errno));
  return true;
}

bool SecureFile::Truncate(uint64_t size) {
  if (!CanWrite()) return Fail(Recorded(kErrorAccessDenied));
  if (ftruncate(impl_->content.Get(), off_t(size)) != 0) return Fail(FromErrno(errno));
  return true;
}

bool SecureFile::Rename(const std::wstring& newPath) {
  if (!impl_->open) return Fail(Recorded(kErrorInvalidHandle));
  // Only a new name in the entry's own folder, the one held open.
  if (FolderOf(newPath) != FolderOf(path_)) return Fail(Recorded(kErrorInvalidParameter));
  std::string newName = impl_->openedName;
  if (newPath != impl_->openedPath) {
    std::string nativeNew, folderIgnored;
    if (!ToNativePath(newPath, nativeNew)) return Fail(Recorded(kErrorPathNotFound));
    SplitNative(nativeNew, folderIgnored, newName);
  }
  int error = 0;
  if (!impl_->StillNamesFile(error)) return Fail(FromErrno(error));
  const int folder = impl_->folder.Get();
  if (renameat2(folder, impl_->name.c_str(), folder, newName.c_str(), RENAME_NOREPLACE) != 0) {
    error = errno;
    if (error != EINVAL && error != ENOSYS) return Fail(FromErrno(error));
    // A file system without no-replace renames: check, then rename.
    struct stat st;
    if (fstatat(folder, newName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return Fail(FromErrno(EEXIST));
    if (renameat(folder, impl_->name.c_str(), folder, newName.c_str()) != 0) return Fail(FromErrno(errno));
  }
  impl_->name = newName;
  path_ = newPath;
  return true;
}

bool SecureFile::Delete() {
  if (!impl_->open) return Fail(Recorded(kErrorInvalidHandle));
  int error = 0;
  // Only the file first seen under the name may go.
  if (!impl_->StillNamesFile(error)) return Fail(FromErrno(error));
  if (unlinkat(impl_->folder.Get(), impl_->name.c_str(), 0) != 0) return Fail(FromErrno(errno));
  Close();
  return true;
}

}  // namespace platform

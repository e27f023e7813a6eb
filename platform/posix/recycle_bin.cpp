// The Recycle Bin of a Wine user: the freedesktop trash of the home folder
// ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash), where Wine puts what the
// shell deletes with undo. Emptying removes everything in Trash/files and
// Trash/info, and with it the cache of folder sizes. Links are counted as
// nothing and removed, never followed, so nothing outside the trash is ever
// touched; a trash folder that is itself a link is left alone.
//
// A file goes into the trash the way freedesktop desktops expect it: its
// ".trashinfo" (the original path, percent-encoded, and the local time of the
// move) is created first, exclusively, which reserves the name; then the file
// is renamed into Trash/files under that name. A rename cannot cross devices,
// so a file on another device than the trash stays where it is.
#include "platform/recycle_bin.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdio.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/folder_tree.h"
#include "platform/posix/last_error.h"
#include "platform/posix/wine_prefix.h"

namespace platform {
namespace {

std::string TrashFolder() {
  // The freedesktop rules: XDG_DATA_HOME counts only when absolute.
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') return std::string(data) + "/Trash";
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* pw = getpwuid(getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  if (!home) return std::string();
  return std::string(home) + "/.local/share/Trash";
}

bool IsDots(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

// Calls visit(dirFd, name) for each entry of the trash; false when the trash
// cannot be read.
template <typename Visit>
bool ForEachItem(Visit visit) {
  const std::string trash = TrashFolder();
  if (trash.empty()) return false;
  DIR* dir = opendir((trash + "/files").c_str());
  if (!dir) return false;
  while (dirent* e = readdir(dir))
    if (!IsDots(e->d_name)) visit(dirfd(dir), e->d_name);
  closedir(dir);
  return true;
}

// Bytes of the regular files at and below an entry.
uint64_t BytesBelow(int dirFd, const char* name) {
  struct stat st;
  if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return 0;
  if (S_ISREG(st.st_mode)) return uint64_t(st.st_size);
  if (!S_ISDIR(st.st_mode)) return 0;
  Descriptor folder(openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!folder.Valid()) return 0;
  uint64_t total = 0;
  FolderTreeVisit visit;
  visit.entry = [&total](int, const char*, const struct stat& entry) {
    if (S_ISREG(entry.st_mode)) total += uint64_t(entry.st_size);
    return true;
  };
  WalkFolderTree(folder.Get(), visit);
  return total;
}

// Opens a folder inside dirFd without following a link; a folder the user
// made unreadable or unwritable is given back those rights first, as its
// content could not go otherwise.
int OpenFolderNoFollow(int dirFd, const char* name) {
  int fd = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 && errno == EACCES) {
    struct stat st;
    if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode)) return -1;
    fchmodat(dirFd, name, (st.st_mode & 07777) | S_IRWXU, 0);
    fd = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  }
  if (fd >= 0) {
    struct stat st;
    if (fstat(fd, &st) == 0 && (st.st_mode & S_IRWXU) != S_IRWXU) fchmod(fd, (st.st_mode & 07777) | S_IRWXU);
  }
  return fd;
}

// Removes everything below the folder; false when something stays, with
// the error of what stayed as the thread's last.
bool RemoveContent(int dirFd) {
  FolderTreeVisit visit;
  visit.openFolder = OpenFolderNoFollow;
  visit.entry = [](int folderFd, const char* name, const struct stat&) {
    return unlinkat(folderFd, name, 0) == 0 || errno == ENOENT || FailWithErrno();
  };
  visit.folderDone = [](int parentFd, const char* name, bool complete) {
    if (unlinkat(parentFd, name, AT_REMOVEDIR) == 0 || errno == ENOENT) return true;
    // A folder that kept some content says "not empty"; what kept it says why.
    return complete ? FailWithErrno() : false;
  };
  if (WalkFolderTree(dirFd, visit)) return true;
  if (LastErrorCode() == 0) FailWith(kErrorDirNotEmpty);
  return false;
}

constexpr int kFolderOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The folder name inside dirFd, made (owner only) when missing; never a link.
int OpenOrMakeFolder(int dirFd, const char* name) {
  if (mkdirat(dirFd, name, 0700) != 0 && errno != EEXIST) return -1;
  return openat(dirFd, name, kFolderOpenFlags);
}

// The trash folder, with the folders above it made as needed.
int OpenOrMakeTrash(const std::string& trash) {
  for (size_t slash = trash.find('/', 1); slash != std::string::npos; slash = trash.find('/', slash + 1))
    if (mkdir(trash.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return -1;
  return OpenOrMakeFolder(AT_FDCWD, trash.c_str());
}

// Bytes as a URL holds them (RFC 2396): all but unreserved characters and "/"
// escaped.
std::string PercentEncoded(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '_' || c == '.' || c == '~' || c == '/';
    if (plain) {
      out += char(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string TrashInfo(const std::string& originalPath) {
  const std::time_t now = std::time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  char date[32];
  strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
  return "[Trash Info]\nPath=" + PercentEncoded(originalPath) + "\nDeletionDate=" + date + "\n";
}

// The n-th name tried for a file in the trash: "a.txt", then "a.2.txt", ...
std::string TrashName(const std::string& name, int n) {
  if (n == 1) return name;
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return name + "." + std::to_string(n);
  return name.substr(0, dot) + "." + std::to_string(n) + name.substr(dot);
}

bool WriteAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += size_t(n);
  }
  return true;
}

// Renames name (in fromFd) to newName (in toFd), never replacing an entry.
bool RenameNoReplace(int fromFd, const char* name, int toFd, const char* newName) {
  if (renameat2(fromFd, name, toFd, newName, RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  struct stat st;
  if (fstatat(toFd, newName, &st, AT_SYMLINK_NOFOLLOW) == 0) {
    errno = EEXIST;
    return false;
  }
  return renameat(fromFd, name, toFd, newName) == 0;
}

}  // namespace

uint64_t RecycleBinItemCount() {
  uint64_t count = 0;
  ForEachItem([&count](int, const char*) { ++count; });
  return count;
}

uint64_t RecycleBinSize() {
  uint64_t total = 0;
  ForEachItem([&total](int dirFd, const char* name) { total += BytesBelow(dirFd, name); });
  return total;
}

bool EmptyRecycleBin() {
  std::string trash = TrashFolder();
  if (trash.empty()) return FailWith(kErrorPathNotFound);
  SetLastErrorCode(0);
  Descriptor trashFd(open(trash.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!trashFd.Valid()) {
    if (errno == ENOENT) return true;  // no trash: nothing to empty
    // O_DIRECTORY answers a link with "not a folder"; the link is what stops us.
    struct stat st;
    if (errno == ENOTDIR && lstat(trash.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) errno = ELOOP;
    return FailWithErrno();
  }

  bool emptied = true;
  for (const char* part : {"files", "info"}) {
    Descriptor folder(openat(trashFd.Get(), part, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder.Valid()) {
      if (errno != ENOENT) emptied = FailWithErrno();
      continue;
    }
    emptied = RemoveContent(folder.Get()) && emptied;
  }
  // Sizes of folders that are gone now.
  if (unlinkat(trashFd.Get(), "directorysizes", 0) != 0 && errno != ENOENT) emptied = FailWithErrno();
  return emptied;
}

bool MoveToRecycleBin(const std::wstring& path) {
  std::string native;
  if (!ToNativePath(path, native)) return FailWith(kErrorPathNotFound);
  const size_t slash = native.rfind('/');
  if (slash == std::string::npos || slash + 1 == native.size()) return FailWith(kErrorPathNotFound);
  const std::string name = native.substr(slash + 1);
  // The original path as the desktop will restore it: its folders' links resolved.
  char resolved[PATH_MAX];
  if (!realpath(slash == 0 ? "/" : native.substr(0, slash).c_str(), resolved)) return FailWithErrno();
  const std::string folder(resolved);
  const std::string original = (folder == "/" ? std::string() : folder) + "/" + name;
  Descriptor source(open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!source.Valid()) return FailWithErrno();
  struct stat st;
  if (fstatat(source.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return FailWithErrno();
  if (S_ISDIR(st.st_mode)) return FailWith(kErrorAccessDenied);  // files only

  const std::string trash = TrashFolder();
  if (trash.empty()) return FailWith(kErrorPathNotFound);
  Descriptor trashFd(OpenOrMakeTrash(trash));
  if (!trashFd.Valid()) return FailWithErrno();
  Descriptor files(OpenOrMakeFolder(trashFd.Get(), "files"));
  Descriptor info(OpenOrMakeFolder(trashFd.Get(), "info"));
  if (!files.Valid() || !info.Valid()) return FailWithErrno();
  struct stat filesStatus;
  if (fstat(files.Get(), &filesStatus) != 0) return FailWithErrno();
  if (filesStatus.st_dev != st.st_dev) return FailWith(kErrorNotSameDevice);

  const std::string content = TrashInfo(original);
  for (int n = 1; n < 10000; ++n) {
    const std::string trashName = TrashName(name, n);
    const std::string infoName = trashName + ".trashinfo";
    Descriptor infoFile(openat(info.Get(), infoName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!infoFile.Valid()) {
      if (errno == EEXIST) continue;  // the name is taken: the next one
      return FailWithErrno();
    }
    if (!WriteAll(infoFile.Get(), content) || !infoFile.Close()) {
      const int error = errno;
      unlinkat(info.Get(), infoName.c_str(), 0);
      errno = error;
      return FailWithErrno();
    }
    if (RenameNoReplace(source.Get(), name.c_str(), files.Get(), trashName.c_str())) return true;
    const int error = errno;
    unlinkat(info.Get(), infoName.c_str(), 0);
    // A file left in Trash/files without its info still holds the name.
    if (error == EEXIST || error == ENOTEMPTY) continue;
    errno = error;
    return FailWithErrno();
  }
  return FailWith(kErrorAlreadyExists);
}

}  // namespace platform

// The Recycle Bin of a Wine user: the freedesktop trash of the home folder
// ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash), where Wine puts what the
// shell deletes with undo. Emptying removes everything in Trash/files and
// Trash/info, and with it the cache of folder sizes. Links are counted as
// nothing and removed, never followed, so nothing outside the trash is ever
// touched; a trash folder that is itself a link is left alone.
#include "platform/recycle_bin.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/folder_tree.h"
#include "platform/posix/last_error.h"

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

}  // namespace platform

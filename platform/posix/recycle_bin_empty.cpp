// Emptying the freedesktop trash of the home folder, where Wine keeps its
// Recycle Bin: everything in Trash/files and Trash/info goes, and with it the
// cache of folder sizes. Links are removed, never followed, so nothing outside
// the trash is ever touched; a trash folder that is itself a link is left alone.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/recycle_bin_empty.h"

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

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

bool IsDots(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

std::vector<std::string> EntryNames(int dirFd) {
  std::vector<std::string> names;
  int copy = dup(dirFd);
  if (copy < 0) return names;
  DIR* dir = fdopendir(copy);
  if (!dir) {
    close(copy);
    return names;
  }
  while (dirent* e = readdir(dir))
    if (!IsDots(e->d_name)) names.emplace_back(e->d_name);
  closedir(dir);
  return names;
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

bool RemoveContent(int dirFd);

bool RemoveEntry(int dirFd, const char* name) {
  struct stat st;
  if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return unlinkat(dirFd, name, 0) == 0 || errno == ENOENT;
  Fd folder(OpenFolderNoFollow(dirFd, name));
  if (folder.get() < 0) return false;
  bool emptied = RemoveContent(folder.get());
  return unlinkat(dirFd, name, AT_REMOVEDIR) == 0 && emptied;
}

bool RemoveContent(int dirFd) {
  bool all = true;
  for (const std::string& name : EntryNames(dirFd)) all = RemoveEntry(dirFd, name.c_str()) && all;
  return all;
}

}  // namespace

bool EmptyRecycleBin() {
  std::string trash = TrashFolder();
  if (trash.empty()) return false;
  Fd trashFd(open(trash.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (trashFd.get() < 0) return errno == ENOENT;  // no trash: nothing to empty

  bool emptied = true;
  for (const char* part : {"files", "info"}) {
    Fd folder(openat(trashFd.get(), part, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0) {
      if (errno != ENOENT) emptied = false;
      continue;
    }
    emptied = RemoveContent(folder.get()) && emptied;
  }
  // Sizes of folders that are gone now.
  if (unlinkat(trashFd.get(), "directorysizes", 0) != 0 && errno != ENOENT) emptied = false;
  return emptied;
}

}  // namespace platform

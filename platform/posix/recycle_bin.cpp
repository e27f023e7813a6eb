// The Recycle Bin of a Wine user: the freedesktop trash of the home folder
// ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash), where Wine puts what the
// shell deletes with undo.
#include "platform/recycle_bin.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/posix/descriptor.h"
#include "platform/posix/folder_tree.h"

namespace platform {
namespace {

std::string TrashFilesFolder() {
  // The freedesktop rules: XDG_DATA_HOME counts only when absolute.
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') return std::string(data) + "/Trash/files";
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* pw = getpwuid(getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  if (!home) return std::string();
  return std::string(home) + "/.local/share/Trash/files";
}

bool IsDots(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

// Calls visit(dirFd, name) for each entry of the trash; false when the trash
// cannot be read.
template <typename Visit>
bool ForEachItem(Visit visit) {
  std::string folder = TrashFilesFolder();
  if (folder.empty()) return false;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  while (dirent* e = readdir(dir))
    if (!IsDots(e->d_name)) visit(dirfd(dir), e->d_name);
  closedir(dir);
  return true;
}

// Bytes of the regular files at and below an entry; links are counted as
// nothing and never followed.
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

}  // namespace platform

#include "platform/posix/folder_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/descriptor.h"

namespace platform {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool IsDots(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

// One folder on the way down: who it is, its name in its parent, and the
// subfolders still to visit.
struct Level {
  dev_t device = 0;
  ino_t inode = 0;
  std::string name;
  std::vector<std::string> folders;
  bool complete = true;
};

// The folder's names, read in full before anything in it changes.
bool ReadNames(int folderFd, std::vector<std::string>& names) {
  Descriptor copy(dup(folderFd));
  if (!copy.Valid()) return false;
  DIR* dir = fdopendir(copy.Get());
  if (!dir) return false;
  copy.Release();  // the folder stream owns it now
  errno = 0;
  while (dirent* e = readdir(dir))
    if (!IsDots(e->d_name)) names.emplace_back(e->d_name);
  const bool read = errno == 0;
  closedir(dir);
  return read;
}

// Visits the entries of the folder now held and returns its level.
Level Enter(int folderFd, std::string name, const FolderTreeVisit& visit) {
  Level level;
  level.name = std::move(name);
  struct stat self;
  if (fstat(folderFd, &self) != 0) {
    level.complete = false;
    return level;
  }
  level.device = self.st_dev;
  level.inode = self.st_ino;
  std::vector<std::string> names;
  if (!ReadNames(folderFd, names)) level.complete = false;
  for (std::string& entry : names) {
    struct stat st;
    if (fstatat(folderFd, entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT) level.complete = false;
    } else if (S_ISDIR(st.st_mode)) {
      level.folders.push_back(std::move(entry));
    } else if (visit.entry && !visit.entry(folderFd, entry.c_str(), st)) {
      level.complete = false;
    }
  }
  return level;
}

}  // namespace

bool WalkFolderTree(int folderFd, const FolderTreeVisit& visit) {
  Descriptor current(dup(folderFd));
  if (!current.Valid()) return false;
  std::vector<Level> levels;
  levels.push_back(Enter(current.Get(), std::string(), visit));
  for (;;) {
    Level& level = levels.back();
    if (!level.folders.empty()) {
      const std::string name = std::move(level.folders.back());
      level.folders.pop_back();
      const int child = visit.openFolder ? visit.openFolder(current.Get(), name.c_str())
                                         : openat(current.Get(), name.c_str(), kFolderFlags);
      if (child < 0) {
        // Not entered; an empty one may still go.
        if (!visit.folderDone || !visit.folderDone(current.Get(), name.c_str(), false)) level.complete = false;
        continue;
      }
      current.Reset(child);
      levels.push_back(Enter(current.Get(), name, visit));
      continue;
    }
    if (levels.size() == 1) return level.complete;
    const Level done = std::move(level);
    levels.pop_back();
    Descriptor parent(openat(current.Get(), "..", kFolderFlags));
    struct stat st;
    if (!parent.Valid() || fstat(parent.Get(), &st) != 0 || st.st_dev != levels.back().device ||
        st.st_ino != levels.back().inode)
      return false;  // moved meanwhile: ".." is no longer where the walk came from
    current.Reset(parent.Release());
    const bool kept = visit.folderDone ? !visit.folderDone(current.Get(), done.name.c_str(), done.complete)
                                       : !done.complete;
    if (kept) levels.back().complete = false;
  }
}

}  // namespace platform

// A walk over everything below a folder held open, depth first, that follows
// no link and keeps neither a call frame nor an open descriptor per level, so
// that no depth of tree can overflow the stack or run out of descriptors. It
// climbs back by ".." and checks that each folder it reaches is the one it
// came down from; a tree moved under the walk ends it.
#pragma once

#include <sys/stat.h>

#include <functional>

namespace platform {

struct FolderTreeVisit {
  // Each entry that is not a folder (links included), in its folder; false
  // when it stays (for a removal: it could not be removed).
  std::function<bool(int folderFd, const char* name, const struct stat& st)> entry;
  // Opens a subfolder without following a link; openat with O_NOFOLLOW when
  // empty.
  std::function<int(int folderFd, const char* name)> openFolder;
  // A folder whose content was visited (complete: every entry below it was
  // visited and none stays), with its parent; may be empty. False when it
  // stays.
  std::function<bool(int parentFd, const char* name, bool complete)> folderDone;
};

// False when something below could not be read or stays, or the tree moved.
bool WalkFolderTree(int folderFd, const FolderTreeVisit& visit);

}  // namespace platform

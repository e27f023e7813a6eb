#include "platform/posix/folder_name_index.h"

#include <dirent.h>
#include <limits.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/posix/linux_names.h"
#include "platform/posix/ntfs_names.h"

namespace platform {
namespace {

constexpr size_t kMaxIndexedFolders = 256;
constexpr uint32_t kWatchedEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// File systems whose every change passes through this kernel, so a watch sees it.
bool IsLocalFileSystem(const std::string& folder) {
  struct statfs fs;
  if (statfs(folder.c_str(), &fs) != 0) return false;
  switch (static_cast<uint32_t>(fs.f_type)) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // xfs
    case 0x9123683E:  // btrfs
    case 0x01021994:  // tmpfs
    case 0x858458F6:  // ramfs
    case 0xF2F52010:  // f2fs
      return true;
    default:
      return false;
  }
}

std::wstring Folded(const std::wstring& name) {
  std::wstring key = name;
  for (wchar_t& c : key) c = NtfsUpper(c);
  return key;
}

bool IsDots(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

// Calls visit(name) for every entry but "." and ".."; false when the folder
// cannot be read.
template <typename Visit>
bool ReadNames(const std::string& folder, Visit visit) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return false;
  while (dirent* e = readdir(dir))
    if (!IsDots(e->d_name)) visit(e->d_name);
  closedir(dir);
  return true;
}

// Of names that all fold alike, the first in NTFS order.
std::string FirstInNtfsOrder(const std::vector<std::string>& names) {
  std::string best;
  std::wstring bestWide;
  for (const std::string& name : names) {
    std::wstring wide = WindowsNameOf(name);
    if (best.empty() || CompareNtfsOrder(wide.data(), wide.size(), bestWide.data(), bestWide.size()) < 0) {
      best = name;
      bestWide = std::move(wide);
    }
  }
  return best;
}

// Reads the folder and picks the match: the answer without an index.
std::string ScanFor(const std::string& folder, const std::wstring& wanted) {
  std::vector<std::string> matches;
  ReadNames(folder, [&](const char* name) {
    if (EqualsNtfsNoCase(WindowsNameOf(name), wanted)) matches.push_back(name);
  });
  return FirstInNtfsOrder(matches);
}

class FolderIndexes {
 public:
  std::string Find(const std::string& folder, const std::wstring& wanted, bool& isFolder) {
    struct stat st;
    isFolder = stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    if (!isFolder) return std::string();
    std::lock_guard<std::mutex> lock(mutex_);
    if (!Ready()) return ScanFor(folder, wanted);
    ApplyEvents();
    auto it = folders_.find(folder);
    // The path may lead to another folder now (an ancestor renamed or relinked).
    if (it != folders_.end() && (it->second.device != st.st_dev || it->second.inode != st.st_ino)) {
      Forget(it, true);
      it = folders_.end();
    }
    if (it == folders_.end()) it = Index(folder, st);
    if (it == folders_.end()) return ScanFor(folder, wanted);
    it->second.lastUse = ++useClock_;

    const auto match = it->second.names.find(Folded(wanted));
    if (match == it->second.names.end()) return std::string();
    std::string found = FirstInNtfsOrder(match->second);
    struct stat entry;
    if (lstat((folder + "/" + found).c_str(), &entry) != 0) {
      // The index disagrees with the disk: never trust it again, read instead.
      Forget(it, true);
      return ScanFor(folder, wanted);
    }
    return found;
  }

 private:
  struct Folder {
    int watch = -1;
    dev_t device = 0;
    ino_t inode = 0;
    uint64_t lastUse = 0;
    std::unordered_map<std::wstring, std::vector<std::string>> names;  // folded name -> names on disk
  };
  using Iterator = std::unordered_map<std::string, Folder>::iterator;

  bool Ready() {
    if (!triedInit_) {
      triedInit_ = true;
      inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    }
    return inotify_ >= 0;
  }

  static void AddName(Folder& f, const std::string& name) {
    std::vector<std::string>& same = f.names[Folded(WindowsNameOf(name))];
    if (std::find(same.begin(), same.end(), name) == same.end()) same.push_back(name);
  }

  static void RemoveName(Folder& f, const std::string& name) {
    auto it = f.names.find(Folded(WindowsNameOf(name)));
    if (it == f.names.end()) return;
    it->second.erase(std::remove(it->second.begin(), it->second.end(), name), it->second.end());
    if (it->second.empty()) f.names.erase(it);
  }

  void Forget(Iterator it, bool removeWatch) {
    if (removeWatch) inotify_rm_watch(inotify_, it->second.watch);
    folderOfWatch_.erase(it->second.watch);
    folders_.erase(it);
  }

  void ForgetAll() {
    while (!folders_.empty()) Forget(folders_.begin(), true);
  }

  // Brings every index up to date with the changes queued since the last call.
  void ApplyEvents() {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
      const ssize_t n = read(inotify_, buffer, sizeof buffer);
      if (n <= 0) {
        if (n < 0 && errno == EINTR) continue;
        return;  // EAGAIN: nothing more queued
      }
      const bool more = size_t(n) > sizeof buffer - sizeof(inotify_event) - NAME_MAX - 1;
      for (ssize_t at = 0; at < n;) {
        const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
        at += ssize_t(sizeof(inotify_event) + event->len);
        if (event->mask & IN_Q_OVERFLOW) {
          ForgetAll();  // changes were lost: every index is in doubt
          continue;
        }
        auto owner = folderOfWatch_.find(event->wd);
        if (owner == folderOfWatch_.end()) continue;
        auto folder = folders_.find(owner->second);
        if (folder == folders_.end()) continue;
        if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) {
          Forget(folder, (event->mask & IN_IGNORED) == 0);
          continue;
        }
        if (event->len == 0) continue;
        const std::string name(event->name);
        if (event->mask & (IN_CREATE | IN_MOVED_TO)) AddName(folder->second, name);
        if (event->mask & (IN_DELETE | IN_MOVED_FROM)) RemoveName(folder->second, name);
      }
      // A read that left room for another event took every event queued.
      if (!more) return;
    }
  }

  // Watches, then reads the folder (changes during the reading are queued and
  // applied later, so none is missed). End when it cannot be indexed.
  Iterator Index(const std::string& folder, const struct stat& st) {
    if (!IsLocalFileSystem(folder)) return folders_.end();
    if (folders_.size() >= kMaxIndexedFolders) {
      auto oldest = std::min_element(folders_.begin(), folders_.end(), [](const auto& a, const auto& b) {
        return a.second.lastUse < b.second.lastUse;
      });
      Forget(oldest, true);
    }
    const int watch = inotify_add_watch(inotify_, folder.c_str(), kWatchedEvents);
    if (watch < 0) return folders_.end();
    // The same folder reached by another path shares the watch: one index.
    if (auto other = folderOfWatch_.find(watch); other != folderOfWatch_.end()) {
      auto previous = folders_.find(other->second);
      if (previous != folders_.end()) Forget(previous, false);
    }
    Folder index;
    index.watch = watch;
    if (!ReadNames(folder, [&](const char* name) { AddName(index, name); })) {
      inotify_rm_watch(inotify_, watch);
      return folders_.end();
    }
    struct stat after;
    // The path must still lead to the watched folder.
    if (stat(folder.c_str(), &after) != 0 || after.st_dev != st.st_dev || after.st_ino != st.st_ino) {
      inotify_rm_watch(inotify_, watch);
      return folders_.end();
    }
    index.device = st.st_dev;
    index.inode = st.st_ino;
    folderOfWatch_[watch] = folder;
    return folders_.emplace(folder, std::move(index)).first;
  }

  std::mutex mutex_;
  bool triedInit_ = false;
  int inotify_ = -1;
  uint64_t useClock_ = 0;
  std::unordered_map<std::string, Folder> folders_;
  std::unordered_map<int, std::string> folderOfWatch_;
};

}  // namespace

std::string FindNameNoCase(const std::string& folder, const std::wstring& wanted, bool* isFolder) {
  // Never destroyed: workers may still look names up while the program exits.
  static FolderIndexes* const indexes = new FolderIndexes;
  bool folderThere = false;
  std::string found = indexes->Find(folder, wanted, folderThere);
  if (isFolder) *isFolder = folderThere;
  return found;
}

}  // namespace platform

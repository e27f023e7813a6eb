// Case-insensitive name lookups without reading the whole folder every time.
//
// A Windows path names a file without regard to letter case, so a name that is
// not on disk as written means reading its folder. The cleaning asks after
// every file it deleted whether something is still there, so in a folder of n
// files that reading made a cleaning cost n squared. Folders looked up are
// therefore indexed by folded name, and an inotify watch on each keeps its
// index true to every change made on this machine, by any program. Only local
// file systems are indexed (a network share changes unseen); any doubt (a full
// event queue, a folder replaced, a watch refused) falls back to reading.
#pragma once

#include <string>

namespace platform {

// The name of the entry of folder (a Linux path) that equals wanted without
// regard to case as NTFS folds it; of several, the first in NTFS order. Empty
// when none does or the folder cannot be read. *isFolder, when asked for,
// tells whether folder leads to a folder at all.
std::string FindNameNoCase(const std::string& folder, const std::wstring& wanted, bool* isFolder = nullptr);

}  // namespace platform

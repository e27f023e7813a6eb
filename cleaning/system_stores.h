// What the cleaning empties through the stores' owners rather than file by
// file: Internet Explorer's URL cache and history, and the two index files that
// stand for them (kept open by the system, so deleted only at the next restart),
// plus the Recycle Bin row. Every function takes the store it works on; the
// default is the running system's.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/delete_at_reboot.h"
#include "platform/recycle_bin.h"
#include "platform/url_cache.h"
#include "platform/url_history.h"
#include "system/ie_stores.h"

// Deletes every entry the cache enumeration returns (with its local copy);
// failed deletions are not reported and the enumeration goes on. Ends at the
// last entry, or when the enumeration keeps failing for another reason.
void DeleteAllUrlCacheEntries(platform::UrlCache& cache = platform::SystemUrlCache());

// Consecutive failed next-entry calls after which the deletion gives up: a
// cache that keeps failing must not hold the cleaning for ever.
constexpr int kUrlCacheFailuresBeforeGivingUp = 8;

// Empties the history. False only when the history object cannot be created:
// the run that asked must then end, as without it nothing is known about the
// history.
bool ClearIEHistory(platform::UrlHistory& history = platform::SystemUrlHistory());

// The two index files, from the history and cache known folders.
struct IEIndexFiles {
  std::wstring history;  // <CSIDL_HISTORY>\History.IE5\index.dat
  std::wstring cache;    // <CSIDL_INTERNET_CACHE>\Content.IE5\index.dat
};
IEIndexFiles IEIndexFilePaths(const std::wstring& historyFolder, const std::wstring& cacheFolder);

enum class IndexFileCleaning {
  NotAnIndexFile,      // the path is neither index file (compared with letter case)
  Scheduled,           // store emptied, file's deletion at the next restart requested
  HistoryUnavailable,  // the history object cannot be created: the cleaning ends
};

// The cleaning of a row whose path is an index file: the history index clears
// the history, the cache index deletes every cache entry; then the file's
// deletion at the next restart is requested. The file itself stays until then,
// so it frees nothing now.
IndexFileCleaning CleanIndexFile(const std::wstring& path, const IEIndexFiles& files,
                                 const IEStores& stores = RunningIEStores());

// What emptying the bin did: the bytes freed (a bin that grew meanwhile
// freed nothing), and whether it is empty now; when it is not, the error the
// emptying met (ERROR_DIR_NOT_EMPTY when it met none).
struct RecycleBinEmptying {
  uint64_t freedBytes = 0;
  bool emptied = true;
  uint32_t errorCode = 0;
};

// The "Recycle Bin" row: measures the bin, empties it, measures again.
RecycleBinEmptying EmptyRecycleBinMeasured(const std::function<uint64_t()>& binSize = platform::RecycleBinSize,
                                           const std::function<bool()>& emptyBin = platform::EmptyRecycleBin,
                                           const std::function<uint64_t()>& binItems = platform::RecycleBinItemCount);

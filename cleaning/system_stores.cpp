#include "cleaning/system_stores.h"

#include "platform/errors.h"
#include "platform/file_system.h"
#include "platform/win_path.h"

void DeleteAllUrlCacheEntries(platform::UrlCache& cache) {
  std::wstring url;
  uint32_t error = 0;
  std::unique_ptr<platform::UrlCacheEnumeration> entries = cache.First(url, error);
  if (!entries) return;
  cache.DeleteEntry(url);
  // Each next-entry call continues after the entry just deleted.
  int failures = 0;
  while (failures < kUrlCacheFailuresBeforeGivingUp) {
    if (entries->Next(url, error)) {
      failures = 0;
      cache.DeleteEntry(url);
    } else if (error == platform::kErrorNoMoreItems) {
      break;
    } else {
      ++failures;
    }
  }
}

bool ClearIEHistory(platform::UrlHistory& history) {
  return history.Clear() == platform::HistoryAccess::Done;
}

IEIndexFiles IEIndexFilePaths(const std::wstring& historyFolder, const std::wstring& cacheFolder) {
  return {platform::WithTrailingBackslash(historyFolder) + L"History.IE5\\index.dat",
          platform::WithTrailingBackslash(cacheFolder) + L"Content.IE5\\index.dat"};
}

IndexFileCleaning CleanIndexFile(const std::wstring& path, const IEIndexFiles& files, const IEStores& stores) {
  if (path == files.history) {
    if (!ClearIEHistory(stores.urlHistory)) return IndexFileCleaning::HistoryUnavailable;
  } else if (path == files.cache) {
    DeleteAllUrlCacheEntries(stores.urlCache);
  } else {
    return IndexFileCleaning::NotAnIndexFile;
  }
  stores.deleteAtReboot(path);
  return IndexFileCleaning::Scheduled;
}

RecycleBinEmptying EmptyRecycleBinMeasured(const std::function<uint64_t()>& binSize,
                                           const std::function<bool()>& emptyBin,
                                           const std::function<uint64_t()>& binItems) {
  RecycleBinEmptying result;
  const uint64_t before = binSize();
  const bool reported = emptyBin();
  const uint32_t error = reported ? 0 : platform::LastErrorCode();
  const uint64_t after = binSize();
  result.freedBytes = before > after ? before - after : 0;
  // The bin's own word is not enough: only a bin with nothing left is empty.
  if (binItems() > 0) {
    result.emptied = false;
    result.errorCode = error != 0 ? error : platform::kErrorDirNotEmpty;
  }
  return result;
}

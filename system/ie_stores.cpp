#include "system/ie_stores.h"

#include "platform/delete_at_reboot.h"

IEStores RunningIEStores() {
  return {platform::SystemUrlCache(), platform::SystemUrlHistory(),
          [](const std::wstring& path) { return platform::DeleteAtReboot(path); }};
}

bool UrlCacheIsEmpty(platform::UrlCache& cache) {
  std::wstring url;
  uint32_t error = 0;
  return cache.First(url, error) == nullptr;
}

std::optional<bool> IEHistoryIsEmpty(platform::UrlHistory& history) {
  bool found = false;
  if (history.HasUrlWithPrefix(L"http://", found) != platform::HistoryAccess::Done) return std::nullopt;
  return !found;
}

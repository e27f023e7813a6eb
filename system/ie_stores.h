// Internet Explorer's URL cache and history as the analysis and the cleaning
// reach them: the stores a run works on (the running system's unless a test
// hands its own), and the two questions the rules ask of them.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/url_cache.h"
#include "platform/url_history.h"

struct IEStores {
  platform::UrlCache& urlCache;
  platform::UrlHistory& urlHistory;
  std::function<bool(const std::wstring&)> deleteAtReboot;
};
IEStores RunningIEStores();

// True when the cache enumeration returns no entry.
bool UrlCacheIsEmpty(platform::UrlCache& cache = platform::SystemUrlCache());

// True when the history holds no address beginning with "http://" (addresses
// of the https scheme do not count); nullopt when the history object cannot
// be created, which ends the run that asked.
std::optional<bool> IEHistoryIsEmpty(platform::UrlHistory& history = platform::SystemUrlHistory());

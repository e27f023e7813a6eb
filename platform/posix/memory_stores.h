// posix has no Internet Explorer and no restart that deletes files: its URL
// cache and URL history are kept in memory (empty unless something puts entries
// in, as tests of the analysis and the cleaning do), and delete-at-restart
// requests are only remembered.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/url_cache.h"
#include "platform/url_history.h"

namespace platform {

class MemoryUrlCache : public UrlCache {
 public:
  void Add(const std::wstring& sourceUrl);
  std::vector<std::wstring> Entries() const;
  void Reset();

  std::unique_ptr<UrlCacheEnumeration> First(std::wstring& sourceUrl, uint32_t& error) override;
  bool DeleteEntry(const std::wstring& sourceUrl) override;

 private:
  class Enumeration;
  struct Entry {
    uint64_t sequence;
    std::wstring sourceUrl;
  };
  // The first entry added after the one numbered `after`.
  bool EntryAfter(uint64_t after, Entry& entry) const;

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;  // in the order added
  uint64_t nextSequence_ = 1;
};

class MemoryUrlHistory : public UrlHistory {
 public:
  void Add(const std::wstring& url);
  std::vector<std::wstring> Urls() const;
  // An unavailable history answers every call with HistoryAccess::Unavailable.
  void SetAvailable(bool available);
  void Reset();

  HistoryAccess HasUrlWithPrefix(const std::wstring& prefix, bool& found) override;
  HistoryAccess Clear() override;

 private:
  mutable std::mutex mutex_;
  std::vector<std::wstring> urls_;
  bool available_ = true;
};

// The instances SystemUrlCache and SystemUrlHistory return on posix.
MemoryUrlCache& PosixUrlCache();
MemoryUrlHistory& PosixUrlHistory();

// Paths given to DeleteAtReboot, in order, and forgetting them.
std::vector<std::wstring> RequestedRebootDeletes();
void ForgetRebootDeletes();

}  // namespace platform

#include "platform/posix/memory_stores.h"

#include <algorithm>

#include "platform/delete_at_reboot.h"
#include "platform/win_path.h"

namespace platform {

// Continues after the entry it gave last, even when that entry was deleted
// meanwhile, as the system's enumeration does.
class MemoryUrlCache::Enumeration : public UrlCacheEnumeration {
 public:
  Enumeration(const MemoryUrlCache& cache, uint64_t current) : cache_(cache), current_(current) {}
  bool Next(std::wstring& sourceUrl, uint32_t& error) override {
    Entry entry;
    if (!cache_.EntryAfter(current_, entry)) {
      error = kErrorNoMoreItems;
      return false;
    }
    current_ = entry.sequence;
    sourceUrl = entry.sourceUrl;
    return true;
  }

 private:
  const MemoryUrlCache& cache_;
  uint64_t current_;
};

void MemoryUrlCache::Add(const std::wstring& sourceUrl) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Entry& e : entries_)
    if (e.sourceUrl == sourceUrl) return;
  entries_.push_back({nextSequence_++, sourceUrl});
}

std::vector<std::wstring> MemoryUrlCache::Entries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::wstring> urls;
  for (const Entry& e : entries_) urls.push_back(e.sourceUrl);
  return urls;
}

void MemoryUrlCache::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.clear();
}

bool MemoryUrlCache::EntryAfter(uint64_t after, Entry& entry) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Entry& e : entries_) {
    if (e.sequence > after) {
      entry = e;
      return true;
    }
  }
  return false;
}

std::unique_ptr<UrlCacheEnumeration> MemoryUrlCache::First(std::wstring& sourceUrl, uint32_t& error) {
  Entry entry;
  if (!EntryAfter(0, entry)) {
    error = kErrorNoMoreItems;
    return nullptr;
  }
  sourceUrl = entry.sourceUrl;
  return std::make_unique<Enumeration>(*this, entry.sequence);
}

bool MemoryUrlCache::DeleteEntry(const std::wstring& sourceUrl) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.sourceUrl == sourceUrl; });
  if (it == entries_.end()) return false;
  entries_.erase(it);
  return true;
}

void MemoryUrlHistory::Add(const std::wstring& url) {
  std::lock_guard<std::mutex> lock(mutex_);
  urls_.push_back(url);
}

std::vector<std::wstring> MemoryUrlHistory::Urls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return urls_;
}

void MemoryUrlHistory::SetAvailable(bool available) {
  std::lock_guard<std::mutex> lock(mutex_);
  available_ = available;
}

void MemoryUrlHistory::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  urls_.clear();
  available_ = true;
}

HistoryAccess MemoryUrlHistory::HasUrlWithPrefix(const std::wstring& prefix, bool& found) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!available_) return HistoryAccess::Unavailable;
  found = std::any_of(urls_.begin(), urls_.end(),
                      [&](const std::wstring& url) { return StartsWithNoCase(url, prefix); });
  return HistoryAccess::Done;
}

HistoryAccess MemoryUrlHistory::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!available_) return HistoryAccess::Unavailable;
  urls_.clear();
  return HistoryAccess::Done;
}

namespace {

std::mutex rebootMutex;
std::vector<std::wstring>& RebootDeletes() {
  static std::vector<std::wstring> paths;
  return paths;
}

}  // namespace

MemoryUrlCache& PosixUrlCache() {
  static MemoryUrlCache cache;
  return cache;
}

MemoryUrlHistory& PosixUrlHistory() {
  static MemoryUrlHistory history;
  return history;
}

UrlCache& SystemUrlCache() { return PosixUrlCache(); }
UrlHistory& SystemUrlHistory() { return PosixUrlHistory(); }

bool DeleteAtReboot(const std::wstring& path) {
  std::lock_guard<std::mutex> lock(rebootMutex);
  RebootDeletes().push_back(path);
  return false;
}

std::vector<std::wstring> RequestedRebootDeletes() {
  std::lock_guard<std::mutex> lock(rebootMutex);
  return RebootDeletes();
}

void ForgetRebootDeletes() {
  std::lock_guard<std::mutex> lock(rebootMutex);
  RebootDeletes().clear();
}

}  // namespace platform

// WinINet's URL cache. The extended find calls are looked up when first needed:
// systems without them (Wine 8 exports only stubs of some) read as an empty
// cache rather than keep the program from starting.
#include "platform/url_cache.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

namespace platform {
namespace {

using FindFirstExW = HANDLE(WINAPI*)(LPCWSTR, DWORD, DWORD, GROUPID, LPINTERNET_CACHE_ENTRY_INFOW, LPDWORD, LPVOID,
                                     LPDWORD, LPVOID);
using FindNextExW = BOOL(WINAPI*)(HANDLE, LPINTERNET_CACHE_ENTRY_INFOW, LPDWORD, LPVOID, LPDWORD, LPVOID);

struct FindCalls {
  FindFirstExW first = nullptr;
  FindNextExW next = nullptr;
};

const FindCalls& Calls() {
  static const FindCalls calls = [] {
    FindCalls c;
    if (HMODULE wininet = LoadLibraryW(L"wininet.dll")) {
      c.first = reinterpret_cast<FindFirstExW>(
          reinterpret_cast<void*>(GetProcAddress(wininet, "FindFirstUrlCacheEntryExW")));
      c.next = reinterpret_cast<FindNextExW>(
          reinterpret_cast<void*>(GetProcAddress(wininet, "FindNextUrlCacheEntryExW")));
    }
    return c;
  }();
  return calls;
}

// An entry record with its strings behind it; kept aligned for its pointers.
class EntryBuffer {
 public:
  void Resize(DWORD bytes) { words_.assign((bytes + sizeof(uint64_t) - 1) / sizeof(uint64_t) + 1, 0); }
  INTERNET_CACHE_ENTRY_INFOW* Entry() {
    return words_.empty() ? nullptr : reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(words_.data());
  }
  std::wstring SourceUrl() {
    INTERNET_CACHE_ENTRY_INFOW* entry = Entry();
    return entry && entry->lpszSourceUrlName ? std::wstring(entry->lpszSourceUrlName) : std::wstring();
  }

 private:
  std::vector<uint64_t> words_;
};

// The size is asked first with an empty buffer; an entry that grows between
// the two calls makes the second one ask again.
constexpr int kSizeAttempts = 3;

class WinInetEnumeration : public UrlCacheEnumeration {
 public:
  explicit WinInetEnumeration(HANDLE handle) : handle_(handle) {}
  ~WinInetEnumeration() override { FindCloseUrlCache(handle_); }

  bool Next(std::wstring& sourceUrl, uint32_t& error) override {
    FindNextExW next = Calls().next;
    if (!next) {
      error = kErrorNoMoreItems;
      return false;
    }
    EntryBuffer buffer;
    DWORD size = 0;
    for (int attempt = 0; attempt < kSizeAttempts; ++attempt) {
      if (next(handle_, buffer.Entry(), &size, nullptr, nullptr, nullptr)) {
        sourceUrl = buffer.SourceUrl();
        return true;
      }
      error = GetLastError();
      if (error != ERROR_INSUFFICIENT_BUFFER) return false;
      buffer.Resize(size);
    }
    return false;
  }

 private:
  HANDLE handle_;
};

class WinInetUrlCache : public UrlCache {
 public:
  std::unique_ptr<UrlCacheEnumeration> First(std::wstring& sourceUrl, uint32_t& error) override {
    FindFirstExW first = Calls().first;
    if (!first) {
      error = kErrorNoMoreItems;
      return nullptr;
    }
    EntryBuffer buffer;
    DWORD size = 0;
    for (int attempt = 0; attempt < kSizeAttempts; ++attempt) {
      HANDLE handle =
          first(nullptr, 0, URLCACHE_FIND_DEFAULT_FILTER, 0, buffer.Entry(), &size, nullptr, nullptr, nullptr);
      if (handle) {
        auto enumeration = std::make_unique<WinInetEnumeration>(handle);
        sourceUrl = buffer.SourceUrl();
        return enumeration;
      }
      error = GetLastError();
      if (error != ERROR_INSUFFICIENT_BUFFER) return nullptr;
      buffer.Resize(size);
    }
    return nullptr;
  }

  bool DeleteEntry(const std::wstring& sourceUrl) override { return DeleteUrlCacheEntryW(sourceUrl.c_str()) != FALSE; }
};

}  // namespace

UrlCache& SystemUrlCache() {
  static WinInetUrlCache cache;
  return cache;
}

}  // namespace platform

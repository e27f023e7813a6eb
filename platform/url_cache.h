// Internet Explorer's URL cache, as the Internet functions expose it: entries
// enumerated with the extended find calls (no search pattern, flags 0, the
// default entry filter, group 0) and deleted by their source URL. Windows:
// WinINet. posix: a store kept in memory (platform/posix/memory_stores.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/errors.h"

namespace platform {


// One enumeration in progress; closes its find handle itself.
class UrlCacheEnumeration {
 public:
  virtual ~UrlCacheEnumeration() = default;
  // The next entry's source URL. False with the system's error code when there
  // is none: kErrorNoMoreItems at the end, another code when the call failed.
  virtual bool Next(std::wstring& sourceUrl, uint32_t& error) = 0;
};

class UrlCache {
 public:
  virtual ~UrlCache() = default;
  // Starts an enumeration at the first entry and gives its source URL. Null
  // with the system's error code when no first entry is returned (an empty
  // cache, or a system without the extended find calls).
  virtual std::unique_ptr<UrlCacheEnumeration> First(std::wstring& sourceUrl, uint32_t& error) = 0;
  // Deletes an entry with its local copy; false when the system refused.
  virtual bool DeleteEntry(const std::wstring& sourceUrl) = 0;
};

// The running system's cache.
UrlCache& SystemUrlCache();

}  // namespace platform

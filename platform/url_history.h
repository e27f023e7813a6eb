// Internet Explorer's URL history, through the system's URL-history object
// (IUrlHistoryStg2). Windows: COM, each call in its own single-threaded
// apartment that it enters and leaves. posix: a store kept in memory
// (platform/posix/memory_stores.h).
#pragma once

#include <string>

namespace platform {

enum class HistoryAccess {
  Done,
  Unavailable,  // the history object cannot be created or lacks the interface
};

class UrlHistory {
 public:
  virtual ~UrlHistory() = default;
  // Whether the history holds an address that begins with prefix (letter case
  // ignored). A system that does not implement the enumeration holds none.
  virtual HistoryAccess HasUrlWithPrefix(const std::wstring& prefix, bool& found) = 0;
  // Empties the history; a system that does not implement it leaves it as it is.
  virtual HistoryAccess Clear() = 0;
};

// The running system's history.
UrlHistory& SystemUrlHistory();

}  // namespace platform

// The URL-history object. Every call enters a single-threaded apartment on the
// calling thread, creates the object, and releases everything it obtained
// before leaving the apartment, so no COM object outlives the call. Wine
// answers some of these calls with E_NOTIMPL: such a history holds nothing and
// clearing it does nothing.
#include "platform/url_history.h"

#include <windows.h>
#include <objbase.h>
#include <urlhist.h>

#include "platform/win_path.h"

namespace platform {
namespace {

// {3C374A40-BAE4-11CF-BF7D-00AA006946EE}
const CLSID kUrlHistoryClass = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
// {AFA0DC11-C313-11D0-831A-00C04FD5AE38}
const IID kUrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

class Apartment {
 public:
  Apartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  // A thread already in another apartment keeps it; only a successful entry is undone.
  ~Apartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;

 private:
  HRESULT result_;
};

template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T** Out() { return &p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

class StatUrl {
 public:
  StatUrl() { stat_.cbSize = sizeof(stat_); }
  ~StatUrl() { Free(); }
  StatUrl(const StatUrl&) = delete;
  StatUrl& operator=(const StatUrl&) = delete;
  STATURL* Get() {
    Free();
    return &stat_;
  }
  std::wstring Url() const { return stat_.pwcsUrl ? stat_.pwcsUrl : L""; }

 private:
  void Free() {
    CoTaskMemFree(stat_.pwcsUrl);
    CoTaskMemFree(stat_.pwcsTitle);
    stat_.pwcsUrl = nullptr;
    stat_.pwcsTitle = nullptr;
  }
  STATURL stat_{};
};

bool CreateHistory(ComRef<IUrlHistoryStg2>& history) {
  HRESULT hr = CoCreateInstance(kUrlHistoryClass, nullptr, CLSCTX_INPROC_SERVER, kUrlHistoryStg2,
                                reinterpret_cast<void**>(history.Out()));
  return SUCCEEDED(hr) && history;
}

class ComUrlHistory : public UrlHistory {
 public:
  HistoryAccess HasUrlWithPrefix(const std::wstring& prefix, bool& found) override {
    found = false;
    Apartment apartment;
    ComRef<IUrlHistoryStg2> history;
    if (!CreateHistory(history)) return HistoryAccess::Unavailable;
    ComRef<IEnumSTATURL> urls;
    if (FAILED(history->EnumUrls(urls.Out())) || !urls) return HistoryAccess::Done;
    urls->SetFilter(prefix.c_str(), 0);
    // The filter normally leaves only matching addresses, so the first entry
    // decides; each one is checked again in case a system ignores the filter.
    StatUrl stat;
    ULONG fetched = 0;
    while (urls->Next(1, stat.Get(), &fetched) == S_OK && fetched == 1) {
      if (StartsWithNoCase(stat.Url(), prefix)) {
        found = true;
        break;
      }
      fetched = 0;
    }
    return HistoryAccess::Done;
  }

  HistoryAccess Clear() override {
    Apartment apartment;
    ComRef<IUrlHistoryStg2> history;
    if (!CreateHistory(history)) return HistoryAccess::Unavailable;
    history->ClearHistory();
    return HistoryAccess::Done;
  }
};

}  // namespace

UrlHistory& SystemUrlHistory() {
  static ComUrlHistory history;
  return history;
}

}  // namespace platform

#include "app/running_browsers.h"

#include "platform/win_path.h"

bool TitlesShowFirefox(const std::vector<std::wstring>& titles) {
  for (const std::wstring& title : titles) {
    // Only the first occurrence counts.
    const size_t at = title.find(L"Mozilla Firefox");
    if (at != std::wstring::npos && at >= 2 && title[at - 1] != L'\\') return true;
  }
  return false;
}

bool TitlesShowSongbird(const std::vector<std::wstring>& titles) {
  for (const std::wstring& title : titles)
    if (platform::EqualsNoCase(title, L"Songbird")) return true;
  return false;
}

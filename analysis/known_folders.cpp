#include "analysis/known_folders.h"

#include "platform/known_folders.h"
#include "platform/win_path.h"

namespace {

std::wstring Resolve(int csidl) { return platform::WithTrailingBackslashUnlessEmpty(platform::KnownFolderPath(csidl)); }

}  // namespace

KnownFolders ResolveKnownFolders() {
  KnownFolders k;
  k.windows = Resolve(platform::kCsidlWindows);
  k.commonAppData = Resolve(platform::kCsidlCommonAppData);
  k.localAppData = Resolve(platform::kCsidlLocalAppData);
  k.appData = Resolve(platform::kCsidlAppData);
  k.profile = Resolve(platform::kCsidlProfile);
  k.programFiles = Resolve(platform::kCsidlProgramFiles);
  k.programFilesX86 = Resolve(platform::kCsidlProgramFilesX86);
  k.recent = Resolve(platform::kCsidlRecent);
  k.cookies = Resolve(platform::kCsidlCookies);
  k.internetCache = Resolve(platform::kCsidlInternetCache);
  k.history = Resolve(platform::kCsidlHistory);
  k.localLow = DeriveLocalLow(k.localAppData);
  return k;
}

std::wstring DeriveLocalLow(const std::wstring& localAppData) {
  static const std::wstring kLocal = L"\\Local\\";
  if (!platform::EndsWithNoCase(localAppData, kLocal)) return std::wstring();
  return localAppData.substr(0, localAppData.size() - kLocal.size()) + L"\\LocalLow\\";
}

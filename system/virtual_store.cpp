#include "system/virtual_store.h"

#include "platform/file_system.h"
#include "platform/known_folders.h"
#include "platform/win_path.h"
#include "system/delete_by_extension.h"

std::wstring CleanVirtualStore(const std::wstring& programFolder) {
  std::wstring local = platform::KnownFolderPath(platform::kCsidlLocalAppData);
  // Without the user's local folder there is no store, and "\VirtualStore\..."
  // would name a folder on the current drive.
  if (local.empty() || programFolder.size() < 3) return std::wstring();
  // The store mirrors the path below the drive: C:\Tools\ becomes ...\VirtualStore\Tools\.
  std::wstring store = platform::WithTrailingBackslash(local) + L"VirtualStore\\" + programFolder.substr(3);
  // The folder test refuses a trailing backslash, which store has.
  if (!platform::WideFolderExists(platform::WithoutTrailingBackslash(store))) return std::wstring();
  DeleteByExtension(store, L"SPK");
  return store;
}

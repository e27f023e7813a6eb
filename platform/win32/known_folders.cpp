// The shell's special folders: the folder's item list, turned into a path.
#include "platform/known_folders.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "platform/win_path.h"

namespace platform {
namespace {

struct ItemListFree {
  void operator()(ITEMIDLIST* list) const { CoTaskMemFree(list); }
};

}  // namespace

std::wstring KnownFolderPath(int csidl) {
  LPITEMIDLIST raw = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &raw)) || !raw) return std::wstring();
  std::unique_ptr<ITEMIDLIST, ItemListFree> list(raw);
  wchar_t path[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(list.get(), path)) return std::wstring();
  return WithoutTrailingBackslash(path);
}

}  // namespace platform

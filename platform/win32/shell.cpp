#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {

bool ShellOpen(const std::wstring& target) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_DOENVSUBST | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = nullptr;  // the type's default action ("open" for documents, folders and addresses)
  info.lpFile = target.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) != FALSE;
}

bool ShellOpen(WindowHandle owner, const std::wstring& target, const std::wstring& parameters) {
  HINSTANCE result = ShellExecuteW(static_cast<HWND>(owner), nullptr, target.c_str(),
                                   parameters.empty() ? nullptr : parameters.c_str(), nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

namespace {

BOOL CALLBACK AddWindowTitle(HWND window, LPARAM list) {
  wchar_t title[257];
  int n = GetWindowTextW(window, title, 257);
  try {
    reinterpret_cast<std::vector<std::wstring>*>(list)->emplace_back(title, size_t(n > 0 ? n : 0));
  } catch (...) {
    return FALSE;  // out of memory: stop with what we have rather than throw through the system
  }
  return TRUE;
}

}  // namespace

void TopLevelWindowTitles(std::vector<std::wstring>& titles) {
  titles.clear();
  EnumWindows(AddWindowTitle, reinterpret_cast<LPARAM>(&titles));
}

}  // namespace platform

#include "platform/win32/system_path.h"

#include <windows.h>

#include <vector>

#include "platform/win_path.h"

namespace platform {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveAbsolute(const std::wstring& path) {
  wchar_t letter = AsciiUpper(path.empty() ? L'\0' : path[0]);
  return path.size() >= 3 && letter >= L'A' && letter <= L'Z' && path[1] == L':' && IsSeparator(path[2]);
}

bool IsUnc(const std::wstring& path) { return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]); }

std::wstring FullPath(const std::wstring& path) {
  DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  DWORD written = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
  if (written == 0 || written >= needed) return path;
  full.resize(written);
  return full;
}

// Root: "C:\" or "\\server\share\"; the components after it are cleaned.
std::wstring Clean(const std::wstring& path) {
  size_t rootEnd;
  std::wstring root;
  if (IsUnc(path)) {
    // \\server\share: the two names belong to the root.
    size_t server = 2;
    while (server < path.size() && IsSeparator(path[server])) ++server;
    size_t serverEnd = server;
    while (serverEnd < path.size() && !IsSeparator(path[serverEnd])) ++serverEnd;
    size_t share = serverEnd;
    while (share < path.size() && IsSeparator(path[share])) ++share;
    size_t shareEnd = share;
    while (shareEnd < path.size() && !IsSeparator(path[shareEnd])) ++shareEnd;
    root = L"\\\\" + path.substr(server, serverEnd - server) + L'\\' + path.substr(share, shareEnd - share) + L'\\';
    rootEnd = shareEnd;
  } else {
    root = path.substr(0, 2) + L'\\';
    rootEnd = 3;
  }
  std::vector<std::wstring> parts;
  size_t pos = rootEnd;
  while (pos < path.size()) {
    while (pos < path.size() && IsSeparator(path[pos])) ++pos;
    size_t end = pos;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (end > pos) {
      std::wstring part = path.substr(pos, end - pos);
      if (part == L"..") {
        if (!parts.empty()) parts.pop_back();
      } else if (part != L".") {
        parts.push_back(std::move(part));
      }
    }
    pos = end;
  }
  std::wstring clean = root;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) clean += L'\\';
    clean += parts[i];
  }
  return clean;
}

}  // namespace

std::wstring SystemPath(const std::wstring& path) {
  if (path.compare(0, 4, L"\\\\?\\") == 0 || path.compare(0, 4, L"\\\\.\\") == 0) return path;
  if (path.empty()) return path;
  std::wstring absolute = (IsDriveAbsolute(path) || IsUnc(path)) ? path : FullPath(path);
  if (!IsDriveAbsolute(absolute) && !IsUnc(absolute)) return absolute;
  return LongPathForm(Clean(absolute));
}

}  // namespace platform

#include "platform/win32/system_path.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/text_codec.h"
#include "platform/win_path.h"

namespace platform {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "\\?\" (long path) or "\\.\" (device), with either separator.
bool HasPrefix(const std::wstring& path, wchar_t mark) {
  return path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] == mark && IsSeparator(path[3]);
}

bool IsDriveLetter(wchar_t c) { return AsciiUpper(c) >= L'A' && AsciiUpper(c) <= L'Z'; }

bool IsDriveAbsolute(const std::wstring& path) {
  return path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2]);
}

bool IsDriveRelative(const std::wstring& path) {
  return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':' && !IsDriveAbsolute(path);
}

bool IsUnc(const std::wstring& path) {
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && !HasPrefix(path, L'?') &&
         !HasPrefix(path, L'.');
}

std::wstring FullPath(const std::wstring& path) {
  DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return std::wstring();
  std::wstring full(needed, L'\0');
  DWORD written = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
  if (written == 0 || written >= needed) return std::wstring();
  full.resize(written);
  return full;
}

// "C:\..." or "\\server\share\..." from a drive, share or prefixed path;
// empty for anything else.
std::wstring Rooted(const std::wstring& path) {
  if (HasPrefix(path, L'?')) {
    const std::wstring rest = path.substr(4);
    if (rest.size() >= 4 && EqualsNoCase(rest.substr(0, 3), L"UNC") && IsSeparator(rest[3]))
      return L"\\\\" + rest.substr(4);
    return IsDriveAbsolute(rest) ? rest : std::wstring();
  }
  return IsDriveAbsolute(path) || IsUnc(path) ? path : std::wstring();
}

// Only the base folder comes from the system: its clean-up of the whole path
// would also strip trailing dots and spaces from the names.
std::wstring Absolute(const std::wstring& path) {
  if (HasPrefix(path, L'?') || IsDriveAbsolute(path) || IsUnc(path)) return Rooted(path);
  std::wstring base;
  std::wstring rest = path;
  if (IsDriveRelative(path)) {
    base = FullPath(path.substr(0, 2));  // that drive's current folder
    rest = path.substr(2);
  } else if (IsSeparator(path[0])) {
    base = FullPath(L"\\");  // the current drive's root
  } else {
    base = FullPath(L".");
  }
  base = Rooted(base);
  return base.empty() ? base : base + L'\\' + rest;
}

// The root ("C:\" or "\\server\share\") and the cleaned components after it;
// empty when a share path lacks its server or share name.
std::wstring Clean(const std::wstring& path) {
  size_t rootEnd;
  std::wstring root;
  if (IsUnc(path)) {
    size_t server = 2;
    while (server < path.size() && IsSeparator(path[server])) ++server;
    size_t serverEnd = server;
    while (serverEnd < path.size() && !IsSeparator(path[serverEnd])) ++serverEnd;
    size_t share = serverEnd;
    while (share < path.size() && IsSeparator(path[share])) ++share;
    size_t shareEnd = share;
    while (shareEnd < path.size() && !IsSeparator(path[shareEnd])) ++shareEnd;
    if (serverEnd == server || shareEnd == share) return std::wstring();
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

std::wstring Prefixed(const std::wstring& clean) {
  if (clean.empty()) return clean;
  return IsUnc(clean) ? L"\\\\?\\UNC\\" + clean.substr(2) : L"\\\\?\\" + clean;
}

#ifdef PURGELLO_CHECK_SYSTEM_PATHS
// Wine folds what Windows refuses after the prefix, so a test run under Wine
// would pass where Windows fails with ERROR_INVALID_NAME: stop it loudly.
std::wstring Checked(std::wstring path, const std::wstring& given) {
  if (path.empty() || IsSystemForm(path)) return path;
  std::fprintf(stderr, "SystemPath made \"%s\" of \"%s\", which Windows refuses\n", ToUtf8(path).c_str(),
               ToUtf8(given).c_str());
  std::fflush(stderr);
  std::abort();
}
#else
std::wstring Checked(std::wstring path, const std::wstring&) { return path; }
#endif

}  // namespace

bool IsSystemForm(const std::wstring& path) {
  if (path.compare(0, 4, L"\\\\?\\") != 0 || path.find(L'/') != std::wstring::npos) return false;
  std::vector<std::wstring> parts;
  size_t pos = 4;
  for (;;) {
    const size_t end = path.find(L'\\', pos);
    parts.push_back(path.substr(pos, end == std::wstring::npos ? std::wstring::npos : end - pos));
    if (end == std::wstring::npos) break;
    pos = end + 1;
  }
  // A trailing separator belongs only to a root: "C:\" or "UNC\server\share\".
  if (parts.back().empty()) {
    parts.pop_back();
    const bool driveRoot = parts.size() == 1 && parts[0].size() == 2 && parts[0][1] == L':';
    const bool shareRoot = parts.size() == 3 && EqualsNoCase(parts[0], L"UNC");
    if (!driveRoot && !shareRoot) return false;
  }
  for (const std::wstring& part : parts)
    if (part.empty() || part == L"." || part == L"..") return false;
  return true;
}

std::wstring SystemPath(const std::wstring& path) {
  if (path.empty() || HasPrefix(path, L'.')) return path;
  std::wstring absolute = Absolute(path);
  // A volume named by its GUID has no root to clean against.
  if (absolute.empty() && HasPrefix(path, L'?')) return Checked(path, path);
  return Checked(Prefixed(absolute.empty() ? absolute : Clean(absolute)), path);
}

std::wstring NtSystemPath(const std::wstring& path) {
  const std::wstring system = SystemPath(path);
  return system.empty() ? system : L"\\??\\" + system.substr(4);
}

}  // namespace platform

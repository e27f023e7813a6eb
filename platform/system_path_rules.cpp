#include "platform/system_path_rules.h"

#include <vector>

#include "platform/win_path.h"

namespace platform {
namespace {

const wchar_t kLongPrefix[] = L"\\\\?\\";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "\\?\" (long path) or "\\.\" (device), with either separator.
bool HasPrefix(const std::wstring& path, wchar_t mark) {
  return path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] == mark && IsSeparator(path[3]);
}

bool IsDriveLetter(wchar_t c) { return AsciiUpper(c) >= L'A' && AsciiUpper(c) <= L'Z'; }

bool IsDrive(const std::wstring& part) { return part.size() == 2 && IsDriveLetter(part[0]) && part[1] == L':'; }

bool IsDotName(const std::wstring& part) { return part == L"." || part == L".."; }

bool IsVolumeName(const std::wstring& part) {
  return part.size() > 8 && StartsWithNoCase(part, L"Volume{") && part.back() == L'}';
}

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

// Reads the component at pos, after any separators; pos ends past it.
std::wstring NextPart(const std::wstring& path, size_t& pos) {
  while (pos < path.size() && IsSeparator(path[pos])) ++pos;
  const size_t start = pos;
  while (pos < path.size() && !IsSeparator(path[pos])) ++pos;
  return path.substr(start, pos - start);
}

// "\\?\UNC\server\share\" from the two components at pos; empty when either
// is missing or a dot name, which no share can be called.
std::wstring ShareRoot(const std::wstring& path, size_t& pos) {
  const std::wstring server = NextPart(path, pos);
  const std::wstring share = NextPart(path, pos);
  if (server.empty() || share.empty() || IsDotName(server) || IsDotName(share)) return std::wstring();
  return kLongPrefix + std::wstring(L"UNC\\") + server + L'\\' + share + L'\\';
}

// The prefixed root of an absolute path, with pos set where its components
// start; empty for a path that has no sound root.
std::wstring RootOf(const std::wstring& path, size_t& pos) {
  if (HasPrefix(path, L'?')) {
    pos = 4;
    const std::wstring first = NextPart(path, pos);
    if (IsDrive(first) || IsVolumeName(first)) return kLongPrefix + first + L'\\';
    if (EqualsNoCase(first, L"UNC")) return ShareRoot(path, pos);
    return std::wstring();
  }
  if (IsDriveAbsolute(path)) {
    pos = 2;
    return kLongPrefix + path.substr(0, 2) + L'\\';
  }
  if (IsUnc(path)) {
    pos = 2;
    return ShareRoot(path, pos);
  }
  return std::wstring();
}

// The path itself when it is absolute, else put after the folder it is
// relative to. Only that base folder comes from the system: its clean-up of
// the whole path would also strip trailing dots and spaces from the names.
std::wstring Absolute(const std::wstring& path, const FullPathOf& fullPathOf) {
  if (HasPrefix(path, L'?') || IsDriveAbsolute(path) || IsUnc(path)) return path;
  if (IsDriveRelative(path)) return fullPathOf(path.substr(0, 2)) + L'\\' + path.substr(2);
  if (IsSeparator(path[0])) return fullPathOf(L"\\") + L'\\' + path;
  return fullPathOf(L".") + L'\\' + path;
}

}  // namespace

bool IsDevicePath(const std::wstring& path) { return HasPrefix(path, L'.'); }

std::wstring PreparedSystemPath(const std::wstring& path, const FullPathOf& fullPathOf) {
  if (path.empty() || IsDevicePath(path)) return path;
  const std::wstring absolute = Absolute(path, fullPathOf);
  size_t pos = 0;
  std::wstring clean = RootOf(absolute, pos);
  if (clean.empty() || absolute.find(L'\0') != std::wstring::npos) return std::wstring();
  std::vector<std::wstring> parts;
  while (pos < absolute.size()) {
    std::wstring part = NextPart(absolute, pos);
    if (part == L"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(std::move(part));
    }
  }
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) clean += L'\\';
    clean += parts[i];
  }
  return clean;
}

std::wstring PreparedNtPath(const std::wstring& path, const FullPathOf& fullPathOf) {
  if (IsDevicePath(path)) return std::wstring();
  const std::wstring system = PreparedSystemPath(path, fullPathOf);
  return system.empty() ? system : L"\\??\\" + system.substr(4);
}

// Written apart from the cleaning above, so that each checks the other.
bool IsSystemForm(const std::wstring& path) {
  if (path.compare(0, 4, kLongPrefix) != 0 || path.find_first_of(std::wstring(L"/\0", 2)) != std::wstring::npos)
    return false;
  std::vector<std::wstring> parts;
  size_t pos = 4;
  for (;;) {
    const size_t end = path.find(L'\\', pos);
    parts.push_back(path.substr(pos, end == std::wstring::npos ? std::wstring::npos : end - pos));
    if (end == std::wstring::npos) break;
    pos = end + 1;
  }
  size_t rootParts;
  if (IsDrive(parts[0]) || IsVolumeName(parts[0]))
    rootParts = 1;
  else if (EqualsNoCase(parts[0], L"UNC"))
    rootParts = 3;
  else
    return false;
  // A root ends with its separator; nothing else does.
  if (parts.size() <= rootParts) return false;
  if (parts.size() == rootParts + 1 && parts.back().empty()) parts.pop_back();
  for (const std::wstring& part : parts)
    if (part.empty() || IsDotName(part)) return false;
  return true;
}

}  // namespace platform

#include "platform/win_path.h"

namespace platform {

wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? wchar_t(c - 32) : c; }
wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c; }

std::wstring AsciiLowerCase(std::wstring text) {
  for (wchar_t& c : text) c = AsciiLower(c);
  return text;
}

static bool EqualRangeNoCase(const wchar_t* a, const wchar_t* b, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && EqualRangeNoCase(a.data(), b.data(), a.size());
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() && EqualRangeNoCase(text.data(), prefix.data(), prefix.size());
}

bool EndsWithNoCase(const std::wstring& text, const std::wstring& suffix) {
  return text.size() >= suffix.size() &&
         EqualRangeNoCase(text.data() + text.size() - suffix.size(), suffix.data(), suffix.size());
}

std::wstring WithTrailingBackslash(const std::wstring& path) {
  if (!path.empty() && IsPathSeparator(path.back())) return path;
  return path + L'\\';
}

std::wstring WithTrailingBackslashUnlessEmpty(const std::wstring& path) {
  return path.empty() ? path : WithTrailingBackslash(path);
}

std::wstring WithoutTrailingBackslash(const std::wstring& path) {
  if (!path.empty() && IsPathSeparator(path.back())) return path.substr(0, path.size() - 1);
  return path;
}

static size_t LastDelimiter(const std::wstring& path) { return path.find_last_of(L"\\:"); }

std::wstring FolderOf(const std::wstring& path) {
  size_t pos = LastDelimiter(path);
  return pos == std::wstring::npos ? std::wstring() : path.substr(0, pos + 1);
}

std::wstring FileNameOf(const std::wstring& path) {
  size_t pos = LastDelimiter(path);
  return pos == std::wstring::npos ? path : path.substr(pos + 1);
}

bool IsFindPattern(const std::wstring& path) {
  return FileNameOf(path).find_first_of(L"*?") != std::wstring::npos;
}

bool IsBareDrive(const std::wstring& path) {
  bool letter = !path.empty() && AsciiUpper(path[0]) >= L'A' && AsciiUpper(path[0]) <= L'Z';
  if (!letter || path.size() < 2 || path[1] != L':') return false;
  return path.size() == 2 || (path.size() == 3 && path[2] == L'\\');
}

}  // namespace platform

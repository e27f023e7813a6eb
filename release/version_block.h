// The version block of an executable as Windows reads it: the fixed numbers and
// the texts of its first translation. For the release tests.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

namespace releasetest {

struct VersionBlock {
  bool found = false;
  VS_FIXEDFILEINFO fixed{};
  std::vector<char> data;

  std::wstring Text(const wchar_t* name) const {
    struct Translation {
      WORD language, codePage;
    }* translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof(Translation))
      return L"(no translation)";
    wchar_t query[96];
    swprintf(query, 96, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language, translations[0].codePage, name);
    wchar_t* text = nullptr;
    if (!VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&text), &size) || !text) return L"(missing)";
    return text;
  }
};

inline VersionBlock ReadVersionBlock(const std::wstring& path) {
  VersionBlock block;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return block;
  block.data.resize(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data.data())) return block;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) return block;
  block.fixed = *fixed;
  block.found = true;
  return block;
}

// The build gives Linux paths; Wine shows "/" as drive Z:.
inline std::wstring WinePath(const std::wstring& linuxPath) {
  std::wstring path = L"Z:" + linuxPath;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

}  // namespace releasetest

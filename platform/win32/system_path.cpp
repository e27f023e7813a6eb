#include "platform/win32/system_path.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/text_codec.h"

namespace platform {
namespace {

std::wstring FullPath(const std::wstring& path) {
  DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return std::wstring();
  std::wstring full(needed, L'\0');
  DWORD written = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
  if (written == 0 || written >= needed) return std::wstring();
  full.resize(written);
  return full;
}

#ifdef PURGELLO_CHECK_SYSTEM_PATHS
// Wine folds what Windows refuses after the prefix, so a test run under Wine
// would pass where Windows fails with ERROR_INVALID_NAME: stop it loudly.
std::wstring Checked(std::wstring path, const std::wstring& given) {
  if (path.empty() || IsSystemForm(path) || (IsDevicePath(given) && path == given)) return path;
  std::fprintf(stderr, "SystemPath made \"%s\" of \"%s\", which Windows refuses\n", ToUtf8(path).c_str(),
               ToUtf8(given).c_str());
  std::fflush(stderr);
  std::abort();
}
#else
std::wstring Checked(std::wstring path, const std::wstring&) { return path; }
#endif

}  // namespace

std::wstring SystemPath(const std::wstring& path) { return Checked(PreparedSystemPath(path, FullPath), path); }

std::wstring NtSystemPath(const std::wstring& path) {
  const std::wstring nt = PreparedNtPath(path, FullPath);
  Checked(nt.empty() ? nt : L"\\\\?\\" + nt.substr(4), path);
  return nt;
}

}  // namespace platform

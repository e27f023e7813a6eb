// The file version from an executable's version resource.
#include "platform/file_version.h"

#include <windows.h>

#include <vector>

#include "platform/file_system.h"
#include "platform/win32/system_path.h"

namespace platform {

std::wstring FileVersionText(const std::wstring& path) {
  if (!WideFileExists(path)) return L"File not found";
  const std::wstring systemPath = SystemPath(path);
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(systemPath.c_str(), &ignored);
  if (size == 0) return std::wstring();
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(systemPath.c_str(), 0, size, data.data())) return std::wstring();
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO))
    return std::wstring();
  return std::to_wstring(HIWORD(info->dwFileVersionMS)) + L'.' + std::to_wstring(LOWORD(info->dwFileVersionMS)) + L'.' +
         std::to_wstring(HIWORD(info->dwFileVersionLS)) + L'.' + std::to_wstring(LOWORD(info->dwFileVersionLS));
}

}  // namespace platform

#include "platform/win32/final_path.h"

#include <vector>

#include "platform/file_identity.h"
#include "platform/win_path.h"

namespace platform {

std::wstring FinalPathOf(HANDLE handle) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    DWORD length = GetFinalPathNameByHandleW(handle, buffer.data(), DWORD(buffer.size()), FILE_NAME_NORMALIZED);
    if (length == 0) return std::wstring();
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

bool HandleHasIdentity(HANDLE handle, const FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return false;
  const uint64_t index = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  if (info.dwVolumeSerialNumber != identity.volume || index != identity.index) return false;
  return EqualsNoCase(FinalPathOf(handle), identity.resolvedPath);
}

}  // namespace platform

// Windows: the volume serial number and file index of the entry (a reparse
// point opened as itself), and the final path of that handle, in which
// junctions and links on the way are resolved.
#include "platform/file_identity.h"

#include <windows.h>

#include "platform/win32/final_path.h"
#include "platform/win32/handle.h"
#include "platform/win32/system_path.h"

namespace platform {

bool QueryFileIdentity(const std::wstring& path, FileIdentity& identity) {
  identity = FileIdentity();
  // Attribute access takes no part in sharing: no other program is disturbed.
  Handle h(CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.Valid()) return false;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h.Get(), &info)) return false;
  std::wstring resolved = FinalPathOf(h.Get());
  if (resolved.empty()) return false;
  identity.volume = info.dwVolumeSerialNumber;
  identity.index = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  identity.linkCount = info.nNumberOfLinks;
  identity.resolvedPath = std::move(resolved);
  return true;
}

}  // namespace platform

#include "platform/recycle_bin_empty.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {

bool EmptyRecycleBin() {
  // No root path: every drive's bin. Only the confirmation is suppressed.
  const HRESULT result = SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION);
  if (SUCCEEDED(result)) return true;
  SetLastError(HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : DWORD(result));
  return false;
}

}  // namespace platform

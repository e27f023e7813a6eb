#include "platform/recycle_bin_empty.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {

bool EmptyRecycleBin() {
  // No root path: every drive's bin. Only the confirmation is suppressed.
  return SUCCEEDED(SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION));
}

}  // namespace platform

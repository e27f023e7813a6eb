#include "platform/delete_at_reboot.h"

#include <windows.h>

#include "platform/win32/system_path.h"

namespace platform {

bool DeleteAtReboot(const std::wstring& path) {
  return MoveFileExW(SystemPath(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

}  // namespace platform

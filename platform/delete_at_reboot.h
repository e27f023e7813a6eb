// Files the system keeps open while it runs are deleted when Windows next
// starts instead.
#pragma once

#include <string>

namespace platform {

// Asks the system to delete the file at the next start (a move with no target,
// delayed until reboot). Recording the request needs administrator rights;
// false when it was not recorded. posix: nothing will ever act on such a
// request, so it is only remembered (platform/posix/memory_stores.h) and the
// answer is false.
bool DeleteAtReboot(const std::wstring& path);

}  // namespace platform

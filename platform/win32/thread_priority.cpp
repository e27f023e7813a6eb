#include "platform/thread_priority.h"

#include <windows.h>

namespace platform {

void SetCurrentThreadLowestPriority() { SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE); }

}  // namespace platform

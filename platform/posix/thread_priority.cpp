#include "platform/thread_priority.h"

#include <sys/resource.h>

namespace platform {

// On Linux the nice value set with 0 as the target is the calling thread's own.
void SetCurrentThreadLowestPriority() { setpriority(PRIO_PROCESS, 0, 19); }

}  // namespace platform

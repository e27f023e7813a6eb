// Workers run at the lowest priority so the window and the machine stay responsive.
#pragma once

namespace platform {

void SetCurrentThreadLowestPriority();

}  // namespace platform

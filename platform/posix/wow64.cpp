// A Linux process is never a 32-bit program on 64-bit Windows: there is no
// redirection to switch.
#include "platform/wow64.h"

namespace platform {

bool IsWow64() { return false; }

bool SetFsRedirectionOff(bool) { return true; }

}  // namespace platform

// The Recycle Bin over all drives (Windows: the shell; posix: the freedesktop
// trash under $XDG_DATA_HOME, as Wine keeps it).
#pragma once

#include <cstdint>

namespace platform {

// Failed queries read as 0.
uint64_t RecycleBinItemCount();
uint64_t RecycleBinSize();

}  // namespace platform

// The Recycle Bin over all drives: its size and item count, and emptying it.
// Windows: the shell, emptying without asking for confirmation (its progress
// display and sound stay). posix: the freedesktop trash under $XDG_DATA_HOME,
// as Wine keeps it.
#pragma once

#include <cstdint>

namespace platform {

// Failed queries read as 0.
uint64_t RecycleBinItemCount();
uint64_t RecycleBinSize();

// True when the system reports the bins emptied (posix: nothing is left in
// the trash). Callers measure the bin instead of trusting this.
bool EmptyRecycleBin();

}  // namespace platform

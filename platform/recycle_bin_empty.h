// Emptying the Recycle Bin of every drive. Windows: the shell, without asking
// for confirmation (its progress display and sound stay). posix: the
// freedesktop trash under $XDG_DATA_HOME, as Wine keeps it.
#pragma once

namespace platform {

// True when the system reports the bins emptied (posix: nothing is left in
// the trash). Callers measure the bin instead of trusting this.
bool EmptyRecycleBin();

}  // namespace platform

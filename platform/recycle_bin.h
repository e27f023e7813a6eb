// The Recycle Bin over all drives: its size and item count, and emptying it.
// Windows: the shell, emptying without asking for confirmation (its progress
// display and sound stay). posix: the freedesktop trash under $XDG_DATA_HOME,
// as Wine keeps it.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Failed queries read as 0.
uint64_t RecycleBinItemCount();
uint64_t RecycleBinSize();

// True when the system reports the bins emptied (posix: nothing is left in
// the trash). Callers measure the bin instead of trusting this.
bool EmptyRecycleBin();

// Moves one file (a link as itself) into the Recycle Bin, from where the user
// can restore it. False, with the system's error as the last, when it stays.
// Windows: the shell, with undo, no confirmation, no progress or error window;
// a path of MAX_PATH characters or more stays (ERROR_FILENAME_EXCED_RANGE).
// The shell deletes for good what it cannot recycle (a drive without a bin,
// a file too large for it): callers that must never lose a file guard against
// that (cleaning/recycle_file.h). posix: into the freedesktop trash, with its
// ".trashinfo"; nothing is ever deleted, and a file on another device than
// the trash stays (ERROR_NOT_SAME_DEVICE).
bool MoveToRecycleBin(const std::wstring& path);

}  // namespace platform

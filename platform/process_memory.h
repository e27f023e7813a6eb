// How the process's allocator treats freed memory.
#pragma once

namespace platform {

// An analysis fills and clears its path lists again and again, tens of
// megabytes each time. Linux's allocator hands freed memory back to the
// kernel at once and pays for it again in page faults on the next listing;
// this keeps it for reuse. Windows heaps already do. Called once by a program
// at start.
void KeepFreedMemoryForReuse();

}  // namespace platform

#include "platform/process_memory.h"

#include <malloc.h>

namespace platform {

void KeepFreedMemoryForReuse() {
#ifdef __GLIBC__
  mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
  mallopt(M_TOP_PAD, 16 * 1024 * 1024);
#endif
}

}  // namespace platform

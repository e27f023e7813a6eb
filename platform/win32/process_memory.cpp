#include "platform/process_memory.h"

namespace platform {

// The Windows heap keeps freed blocks for reuse by itself.
void KeepFreedMemoryForReuse() {}

}  // namespace platform

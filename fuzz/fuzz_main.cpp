// The libFuzzer entry of one harness, chosen when the target is built.
#include "fuzz/harnesses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return PURGELLO_FUZZ_ENTRY(data, size); }

// The calling thread's last error as a Windows code, for the posix file
// functions (errno is mapped once, where the failing call returns, so later
// library calls cannot overwrite it).
#pragma once

#include <cstdint>

#include "platform/errors.h"

namespace platform {

uint32_t WindowsErrorFromErrno(int error);

void SetLastErrorCode(uint32_t code);
// Record code (or errno mapped) as the thread's last error; both return false
// so that a failing path reads `return FailWith(...)`.
bool FailWith(uint32_t code);
bool FailWithErrno();

}  // namespace platform

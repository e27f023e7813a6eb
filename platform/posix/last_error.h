// The calling thread's last error as a Windows code, for the posix file
// functions (errno is mapped once, where the failing call returns, so later
// library calls cannot overwrite it).
#pragma once

#include <cstdint>

namespace platform {

// Windows codes the callers log or compare.
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorDirNotEmpty = 145;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorDirectory = 267;  // ERROR_DIRECTORY: not a folder

uint32_t WindowsErrorFromErrno(int error);

void SetLastErrorCode(uint32_t code);
// Record code (or errno mapped) as the thread's last error; both return false
// so that a failing path reads `return FailWith(...)`.
bool FailWith(uint32_t code);
bool FailWithErrno();

}  // namespace platform

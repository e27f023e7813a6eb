// The Windows error codes the engine compares or reports, on both platforms
// (posix maps errno to them). One list, so no caller or test declares its own.
#pragma once

#include <cstdint>

namespace platform {

constexpr uint32_t kErrorFileNotFound = 2;        // ERROR_FILE_NOT_FOUND
constexpr uint32_t kErrorPathNotFound = 3;        // ERROR_PATH_NOT_FOUND
constexpr uint32_t kErrorAccessDenied = 5;        // ERROR_ACCESS_DENIED
constexpr uint32_t kErrorInvalidHandle = 6;       // ERROR_INVALID_HANDLE
constexpr uint32_t kErrorNotSameDevice = 17;      // ERROR_NOT_SAME_DEVICE
constexpr uint32_t kErrorSharingViolation = 32;   // ERROR_SHARING_VIOLATION
constexpr uint32_t kErrorNotSupported = 50;       // ERROR_NOT_SUPPORTED
constexpr uint32_t kErrorInvalidParameter = 87;   // ERROR_INVALID_PARAMETER
constexpr uint32_t kErrorDiskFull = 112;          // ERROR_DISK_FULL
constexpr uint32_t kErrorDirNotEmpty = 145;       // ERROR_DIR_NOT_EMPTY
constexpr uint32_t kErrorAlreadyExists = 183;     // ERROR_ALREADY_EXISTS
constexpr uint32_t kErrorNoMoreItems = 259;       // ERROR_NO_MORE_ITEMS
constexpr uint32_t kErrorDirectory = 267;         // ERROR_DIRECTORY: not a folder
constexpr uint32_t kErrorNotAllAssigned = 1300;   // ERROR_NOT_ALL_ASSIGNED

}  // namespace platform

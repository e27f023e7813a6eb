#include "platform/posix/last_error.h"

#include <cerrno>

#include "platform/file_system.h"

namespace platform {
namespace {

thread_local uint32_t lastError = 0;

}  // namespace

uint32_t WindowsErrorFromErrno(int error) {
  switch (error) {
    case 0: return 0;
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return kErrorAccessDenied;
    case EMFILE:
    case ENFILE: return 4;     // ERROR_TOO_MANY_OPEN_FILES
    case EBADF: return 6;      // ERROR_INVALID_HANDLE
    case ENOMEM: return 8;     // ERROR_NOT_ENOUGH_MEMORY
    case EXDEV: return 17;     // ERROR_NOT_SAME_DEVICE
    case EROFS: return 19;     // ERROR_WRITE_PROTECT
    case EBUSY:
    case ETXTBSY: return 32;   // ERROR_SHARING_VIOLATION
    case EINVAL: return kErrorInvalidParameter;
    case ENOSPC: return 112;   // ERROR_DISK_FULL
    case ENOTEMPTY: return kErrorDirNotEmpty;
    case EEXIST: return kErrorAlreadyExists;
    case ENAMETOOLONG: return 206;  // ERROR_FILENAME_EXCED_RANGE
    case EFBIG: return 223;    // ERROR_FILE_TOO_LARGE
    case EIO: return 1117;     // ERROR_IO_DEVICE
    case EDQUOT: return 1295;  // ERROR_DISK_QUOTA_EXCEEDED
    case ELOOP: return 1921;   // ERROR_CANT_RESOLVE_FILENAME
    default: return 31;        // ERROR_GEN_FAILURE
  }
}

void SetLastErrorCode(uint32_t code) { lastError = code; }

bool FailWith(uint32_t code) {
  lastError = code;
  return false;
}

bool FailWithErrno() { return FailWith(WindowsErrorFromErrno(errno)); }

uint32_t LastErrorCode() { return lastError; }

}  // namespace platform

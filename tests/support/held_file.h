// A file held against deletion, as another program holding it open would
// (Windows: opened without sharing; Linux: the immutable flag, which stops
// even root). Released when the object goes.
#pragma once

#include <string>

#ifdef _WIN32
#include "platform/win32/handle.h"
#else
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>

#include "platform/posix/descriptor.h"
#endif

#include "tests/support/temp_tree.h"

namespace testsupport {

class HeldFile {
 public:
  explicit HeldFile(const std::wstring& path) {
#ifdef _WIN32
    handle_.Reset(CreateFileW(testsupport::NativePath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    held_ = handle_.Valid();
#else
    native_ = testsupport::NativePath(path);
    held_ = SetImmutable(true);
#endif
  }
#ifndef _WIN32
  ~HeldFile() {
    if (held_) SetImmutable(false);
  }
#endif
  bool Held() const { return held_; }

 private:
#ifdef _WIN32
  platform::Handle handle_;
#else
  bool SetImmutable(bool on) {
    platform::Descriptor fd(open(native_.c_str(), O_RDONLY));
    if (!fd.Valid()) return false;
    int flags = 0;
    bool ok = ioctl(fd.Get(), FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    return ok && ioctl(fd.Get(), FS_IOC_SETFLAGS, &flags) == 0;
  }
  std::string native_;
#endif
  bool held_ = false;
};

}  // namespace testsupport

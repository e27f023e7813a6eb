// Linux paths of any length. The kernel takes at most PATH_MAX bytes in one
// call, but a folder tree can go deeper: such a path is opened a piece at a
// time, each piece relative to the folder before it.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/posix/descriptor.h"

namespace platform {

// The folder to call *at() functions with for path: AT_FDCWD with the path
// itself when it is short enough, else a descriptor of a folder on the way
// and the rest of the path below it. fd is -1 (errno set) when a piece could
// not be opened.
class LongPathBase {
 public:
  explicit LongPathBase(const std::string& path);

  int Fd() const { return fd_.Get(); }
  const char* Rest() const { return rest_; }

 private:
  Descriptor fd_;
  const char* rest_;
};

// lstat for a path of any length.
int LstatAnyLength(const std::string& path, struct stat& status);

}  // namespace platform

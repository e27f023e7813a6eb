// The fixed file version of a Windows executable image held in memory, as
// FileVersionText reads it from a file's first bytes on posix.
#pragma once

#include <string>

namespace platform {

// "major.minor.release.build", or empty when the bytes hold no PE image with
// a version resource that can be read.
std::wstring VersionTextOfImage(std::string bytes);

}  // namespace platform

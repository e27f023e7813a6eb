// Whole-file reads and atomic replacements by Linux path, shared by the posix
// implementations of the whole-file seam and of the registry file.
#pragma once

#include <string>

#include "platform/whole_file.h"

namespace platform {

WholeFileRead ReadNativeFile(const std::string& path, size_t maxBytes, std::string& bytes);

// Writes a temporary file in the same folder, flushes it and renames it over
// path. A file without write permission for its owner is the Windows read-only
// attribute in a Wine tree and is refused (even for root, who could write it).
bool ReplaceNativeFile(const std::string& path, const std::string& bytes);

}  // namespace platform

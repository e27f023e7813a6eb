// The file version of an executable's version resource.
#pragma once

#include <string>

namespace platform {

// "File not found" for a missing file, "" without a version resource, else
// four numbers joined by "." (3.8.6.116).
std::wstring FileVersionText(const std::wstring& path);

}  // namespace platform

// The file version of an executable's version resource.
#pragma once

#include <string>

namespace platform {

// "File not found" when WideFileExists(path) is false (a folder included), ""
// without a version resource, else the fixed file information's file version
// as four numbers joined by "." (3.8.6.116). posix: read from the PE image's
// resource tree (32- and 64-bit images; 16-bit ones give "").
std::wstring FileVersionText(const std::wstring& path);

}  // namespace platform

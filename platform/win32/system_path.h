// The form of a path handed to the wide file calls: absolute, with the
// long-path prefix, so that paths beyond 260 characters work.
#pragma once

#include <string>

namespace platform {

// A path that already carries "\\?\" (or names a device, "\\.\") is used as
// it is. A relative path ("a\b", "C:a", "\a") is first made absolute against
// the process's current folders. Then, because the prefix turns off the
// system's own clean-up, "/" becomes "\", repeated separators fold into one,
// "." and ".." components are resolved and a trailing separator is dropped
// (not at a drive root) before the prefix is added.
std::wstring SystemPath(const std::wstring& path);

}  // namespace platform

// The one form of every path handed to the Windows file calls: absolute,
// cleaned, with the long-path prefix, so that paths beyond 260 characters work
// and a name is taken exactly as it was found.
#pragma once

#include <string>

namespace platform {

// "\\?\C:\dir\name" or "\\?\UNC\server\share\dir\name". A relative path
// ("a\b", "C:a", "\a") is first made absolute against the process's current
// folders. Because the prefix turns off the system's own clean-up, "/" becomes
// "\", repeated separators fold into one, "." and ".." components are resolved
// and a trailing separator is dropped (not at a root); trailing dots and
// spaces stay, since a found name may end with them. A path that already
// carries the prefix is cleaned the same way. Device paths ("\\.\") are passed
// on as they are; a path that cannot be made absolute (a share without its
// name) becomes empty, which every call refuses.
//
// Test builds check every result and end the program with a message when it
// holds what Windows refuses after the prefix (Wine folds it silently).
std::wstring SystemPath(const std::wstring& path);

// The native form ("\??\C:\dir\name") that the rename information takes.
std::wstring NtSystemPath(const std::wstring& path);

// True for the prefixed form with no "/" and no empty, "." or ".." component.
bool IsSystemForm(const std::wstring& path);

}  // namespace platform

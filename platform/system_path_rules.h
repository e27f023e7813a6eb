// The rules of the one form every path takes before a Windows file call,
// apart from the system so that both platforms build, test and fuzz them. The
// Windows layer (win32/system_path.h) calls them with the process's current
// folders.
#pragma once

#include <functional>
#include <string>

namespace platform {

// What a relative path starts from: the full path the system gives for "X:"
// (that drive's current folder), "\" (the current drive's root) or "." (the
// current folder), or empty when it has none. Nothing else is ever asked.
using FullPathOf = std::function<std::wstring(const std::wstring& relative)>;

// "\\?\C:\dir\name", "\\?\UNC\server\share\dir\name" or
// "\\?\Volume{...}\dir\name". A relative path ("a\b", "C:a", "\a") is first
// put after its base folder. Because the prefix turns off the system's own
// clean-up, "/" becomes "\", repeated separators fold into one, "." and ".."
// components are resolved and a trailing separator is dropped (not at a root);
// trailing dots and spaces stay, since a found name may end with them. A path
// that already carries the prefix is cleaned the same way, and "\\?\C:" is the
// drive's root. Device paths ("\\.\") are passed on as they are. A path with
// no sound root ("\\?\C:C:", "\\?\", a share without its server or share
// name, "." or ".." as either) or holding a NUL becomes empty, which every
// call refuses.
std::wstring PreparedSystemPath(const std::wstring& path, const FullPathOf& fullPathOf);

// The native form ("\??\C:\dir\name") of the same, for the calls that take
// it; empty for a device path, whose own form was never cleaned.
std::wstring PreparedNtPath(const std::wstring& path, const FullPathOf& fullPathOf);

// "\\.\name" (or with "/"), handed to the system unchanged.
bool IsDevicePath(const std::wstring& path);

// True for the prefixed form with a drive, share or volume root and no "/",
// NUL, or empty, "." or ".." component: what Windows takes as it stands.
bool IsSystemForm(const std::wstring& path);

}  // namespace platform

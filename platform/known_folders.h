// The shell's known folders, addressed by CSIDL number.
#pragma once

#include <string>

namespace platform {

constexpr int kCsidlWindows = 36;
constexpr int kCsidlCommonAppData = 35;
constexpr int kCsidlLocalAppData = 28;
constexpr int kCsidlAppData = 26;
constexpr int kCsidlProfile = 40;
constexpr int kCsidlProgramFiles = 38;
constexpr int kCsidlProgramFilesX86 = 42;
constexpr int kCsidlRecent = 8;
constexpr int kCsidlCookies = 33;
constexpr int kCsidlInternetCache = 32;
constexpr int kCsidlHistory = 34;

// The folder's path without a trailing backslash, or empty when the platform
// cannot supply it (an id it does not know, a folder that does not exist).
// posix: where Wine puts the folder for the current prefix and user
// (C:\windows, C:\users\<user>\AppData\Roaming, ...), and empty when the
// prefix lacks it, as the shell cannot make an item list for a missing folder.
std::wstring KnownFolderPath(int csidl);

}  // namespace platform

// The known folders the start-up logs, in its order, with their CSIDL numbers
// and where Wine keeps them. The numbers are written out, not taken from
// platform/known_folders.h, so a wrong constant there still fails a test.
#pragma once

#include <string>

namespace testsupport {

struct KnownFolderRow {
  const wchar_t* name;
  int csidl;
  bool inProfile;      // path is relative to the user's profile folder
  const wchar_t* path; // without a trailing backslash
};

constexpr KnownFolderRow kKnownFolderRows[] = {
    {L"CSIDL_WINDOWS", 36, false, L"C:\\windows"},
    {L"CSIDL_COMMON_APPDATA", 35, false, L"C:\\ProgramData"},
    {L"CSIDL_LOCAL_APPDATA", 28, true, L"\\AppData\\Local"},
    {L"CSIDL_APPDATA", 26, true, L"\\AppData\\Roaming"},
    {L"CSIDL_PROFILE", 40, true, L""},
    {L"CSIDL_PROGRAM_FILES", 38, false, L"C:\\Program Files"},
    {L"CSIDL_PROGRAM_FILESX86", 42, false, L"C:\\Program Files (x86)"},
    {L"CSIDL_RECENT", 8, true, L"\\AppData\\Roaming\\Microsoft\\Windows\\Recent"},
    {L"CSIDL_COOKIES", 33, true, L"\\AppData\\Local\\Microsoft\\Windows\\INetCookies"},
    {L"CSIDL_INTERNET_CACHE", 32, true, L"\\AppData\\Local\\Microsoft\\Windows\\INetCache"},
    {L"CSIDL_HISTORY", 34, true, L"\\AppData\\Local\\Microsoft\\Windows\\History"},
};

// The row's folder in a Wine prefix whose profile is `profile` (no trailing backslash).
inline std::wstring WineFolderOf(const KnownFolderRow& row, const std::wstring& profile) {
  return row.inProfile ? profile + row.path : std::wstring(row.path);
}

}  // namespace testsupport

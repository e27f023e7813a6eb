// The shell folders of the current Wine prefix and user, where Wine puts them.
#include "platform/known_folders.h"

#include <sys/stat.h>

#include "platform/posix/linux_names.h"
#include "platform/posix/wine_prefix.h"

namespace platform {
namespace {

struct FolderPlace {
  int csidl;
  const wchar_t* base;  // C:\ or the user's profile folder
  const wchar_t* tail;
};

constexpr const wchar_t* kRoot = L"C:";
constexpr const wchar_t* kProfile = nullptr;  // C:\users\<user>

constexpr FolderPlace kPlaces[] = {
    {kCsidlWindows, kRoot, L"\\windows"},
    {kCsidlCommonAppData, kRoot, L"\\ProgramData"},
    {kCsidlLocalAppData, kProfile, L"\\AppData\\Local"},
    {kCsidlAppData, kProfile, L"\\AppData\\Roaming"},
    {kCsidlProfile, kProfile, L""},
    {kCsidlProgramFiles, kRoot, L"\\Program Files"},
    {kCsidlProgramFilesX86, kRoot, L"\\Program Files (x86)"},
    {kCsidlRecent, kProfile, L"\\AppData\\Roaming\\Microsoft\\Windows\\Recent"},
    {kCsidlCookies, kProfile, L"\\AppData\\Local\\Microsoft\\Windows\\INetCookies"},
    {kCsidlInternetCache, kProfile, L"\\AppData\\Local\\Microsoft\\Windows\\INetCache"},
    {kCsidlHistory, kProfile, L"\\AppData\\Local\\Microsoft\\Windows\\History"},
};

}  // namespace

std::wstring KnownFolderPath(int csidl) {
  for (const FolderPlace& place : kPlaces) {
    if (place.csidl != csidl) continue;
    std::wstring path = place.base ? std::wstring(place.base) : L"C:\\users\\" + WindowsNameOf(CurrentWinePrefix().user);
    path += place.tail;
    // The shell cannot make an item list for a folder that is not there.
    std::string native;
    struct stat st;
    if (!ToNativePath(path, native) || stat(native.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::wstring();
    return path;
  }
  return std::wstring();
}

}  // namespace platform

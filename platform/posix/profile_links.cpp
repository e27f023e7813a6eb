#include "platform/posix/profile_links.h"

#include "platform/posix/ntfs_names.h"
#include "platform/win_path.h"

namespace platform {
namespace {

struct ProfileLink {
  const wchar_t* where;  // the folder holding the link, relative to the profile
  const wchar_t* name;
  const wchar_t* target;  // relative to the profile
};

constexpr ProfileLink kLinks[] = {
    {L"", L"Application Data", L"AppData\\Roaming"},
    {L"", L"Cookies", L"AppData\\Local\\Microsoft\\Windows\\INetCookies"},
    {L"", L"Local Settings", L"AppData\\Local"},
    {L"", L"My Documents", L"Documents"},
    {L"", L"NetHood", L"AppData\\Roaming\\Microsoft\\Windows\\Network Shortcuts"},
    {L"", L"PrintHood", L"AppData\\Roaming\\Microsoft\\Windows\\Printer Shortcuts"},
    {L"", L"Recent", L"AppData\\Roaming\\Microsoft\\Windows\\Recent"},
    {L"", L"SendTo", L"AppData\\Roaming\\Microsoft\\Windows\\SendTo"},
    {L"", L"Start Menu", L"AppData\\Roaming\\Microsoft\\Windows\\Start Menu"},
    {L"", L"Templates", L"AppData\\Roaming\\Microsoft\\Windows\\Templates"},
    {L"AppData\\Local", L"Application Data", L"AppData\\Local"},
    {L"AppData\\Local", L"History", L"AppData\\Local\\Microsoft\\Windows\\History"},
    {L"AppData\\Local", L"Temporary Internet Files", L"AppData\\Local\\Microsoft\\Windows\\INetCache"},
    {L"Documents", L"My Music", L"Music"},
    {L"Documents", L"My Pictures", L"Pictures"},
    {L"Documents", L"My Videos", L"Videos"},
};

std::wstring Wide(const std::string& ascii) {
  std::wstring out;
  for (char c : ascii) out += c == '/' ? L'\\' : wchar_t(static_cast<unsigned char>(c));
  return out;
}

}  // namespace

bool LegacyProfileLink(const std::string& usersFolder, const std::string& folder, const std::wstring& name,
                       std::string& profile, std::wstring& target) {
  if (folder.size() <= usersFolder.size() + 1 || folder.compare(0, usersFolder.size(), usersFolder) != 0 ||
      folder[usersFolder.size()] != '/')
    return false;
  const std::string below = folder.substr(usersFolder.size() + 1);
  const size_t slash = below.find('/');
  const std::string user = below.substr(0, slash);
  // The shared profile has links of its own, none of these.
  if (EqualsNoCase(Wide(user), L"Public")) return false;
  const std::wstring where = slash == std::string::npos ? std::wstring() : Wide(below.substr(slash + 1));
  for (const ProfileLink& link : kLinks) {
    if (!EqualsNoCase(where, link.where) || !EqualsNtfsNoCase(name, link.name)) continue;
    profile = usersFolder + "/" + user;
    target = link.target;
    return true;
  }
  return false;
}

}  // namespace platform

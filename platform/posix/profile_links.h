// The links Windows keeps in every user profile for programs written before
// the profile was reorganised ("Local Settings" leads to "AppData\Local", and
// so on). Wine prefixes lack them, so a path through one would name nothing;
// the posix platform follows them where the profile has no such entry, as
// Windows would. Like Windows, only a path going through one is resolved: the
// link itself is never listed, and a path ending at it names nothing (on
// Windows such a link refuses to be listed as well).
#pragma once

#include <string>

namespace platform {

// When folder (a Linux path) is a user profile below usersFolder, or one of
// its folders that holds such links, and name is one of those links there:
// true, with the profile's Linux path and the link's target relative to it
// (Windows form, "AppData\Local").
bool LegacyProfileLink(const std::string& usersFolder, const std::string& folder, const std::wstring& name,
                       std::string& profile, std::wstring& target);

}  // namespace platform

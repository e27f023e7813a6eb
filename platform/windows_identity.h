// What the system says about itself and about the user's token: version facts,
// the token's groups, privileges, and the request that ends the session.
// Windows: the real calls. posix: the Wine prefix's version values; no token,
// no privilege, and the session is never ended.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/errors.h"

namespace platform {

// Platform identifiers of the version query.
constexpr uint32_t kPlatformWindows9x = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr uint32_t kPlatformWindowsNt = 2;  // VER_PLATFORM_WIN32_NT

struct OsVersion {
  uint32_t platformId = 0;
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  std::wstring servicePack;  // the service-pack text (" A " on Windows 98 SE)
};

// The system's version query. On NT-based systems its numbers may be shimmed
// for compatibility; only the platform and the service-pack text are trusted.
// False when the query fails.
bool QueryOsVersion(OsVersion& version);

// Major and minor version from the workstation information (level 100), which
// compatibility shims leave alone. False when it cannot be read.
bool QueryWorkstationVersion(uint32_t& major, uint32_t& minor);

// A string value of HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\Windows NT\CurrentVersion",
// opened read-only. False when the key or the value is missing or not a string.
bool ReadNtCurrentVersionString(const std::wstring& name, std::wstring& text);

// Group attribute: the group only denies access (a filtered administrator token).
constexpr uint32_t kGroupUseForDenyOnly = 0x10;

struct TokenGroup {
  std::vector<uint8_t> sid;  // the binary security identifier
  uint32_t attributes = 0;
};

enum class TokenGroupsResult { Read, NoToken, Failed };

// The groups of the calling thread's token, opened as the process itself, or of
// the process's token when the thread has none. NoToken when neither opens;
// Failed (with the system error code) when the groups cannot be read.
// posix: NoToken, as a Linux process has no Windows token.
TokenGroupsResult QueryTokenGroups(std::vector<TokenGroup>& groups, uint32_t& error);


// Enables or disables one privilege, by name, in the process's token. Returns
// the thread's last error code afterwards: 0 when done, kErrorNotAllAssigned
// when the token does not hold the privilege, another code when a step failed.
// posix: kErrorNotAllAssigned.
uint32_t AdjustProcessPrivilege(const std::wstring& name, bool enable);

// Exit flags of the session request.
constexpr uint32_t kExitReboot = 0x2;    // EWX_REBOOT
constexpr uint32_t kExitPowerOff = 0x8;  // EWX_POWEROFF

// Lets RequestSessionExit reach the system. Only the program's start-up calls
// it; test programs never do, so no test can end the session by mistake.
void ArmSessionExit();

// Asks the system to end the user's logon session with the given flags and
// reason; true when the system accepted the request. Does nothing and returns
// false until ArmSessionExit has been called. posix: always false.
bool RequestSessionExit(uint32_t flags, uint32_t reason);

}  // namespace platform

// Whether the user is an administrator, privileges of the process's token, and
// the power-off and restart that need one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windows_identity.h"

// The system calls behind the functions below. The default is the running
// system; tests pass fakes (a filtered token, a recorded shut-down request).
class IdentityCalls {
 public:
  virtual ~IdentityCalls() = default;
  virtual bool QueryOsVersion(platform::OsVersion& version) = 0;
  virtual platform::TokenGroupsResult QueryTokenGroups(std::vector<platform::TokenGroup>& groups,
                                                       uint32_t& error) = 0;
  virtual uint32_t AdjustProcessPrivilege(const std::wstring& name, bool enable) = 0;
  virtual bool RequestSessionExit(uint32_t flags, uint32_t reason) = 0;
};

IdentityCalls& SystemIdentityCalls();

// The built-in Administrators group (S-1-5-32-544) in binary form.
std::vector<uint8_t> AdministratorsGroupSid();

// True on systems of the older Windows family. On NT-based systems: true when
// the token (the thread's, else the process's) holds the Administrators group
// and not only for denying, so a token filtered by user account control counts
// as not an administrator. False when no token opens or its groups cannot be read.
bool IsAdministrator(IdentityCalls& calls = SystemIdentityCalls());

// Enables or disables a privilege ("SeShutdownPrivilege") in the process's
// token; false when the token does not hold it or a step failed.
bool EnablePrivilege(const std::wstring& name, bool enable, IdentityCalls& calls = SystemIdentityCalls());

// End the session and switch the machine off, or restart it, without forcing
// programs to close. Nothing happens when the shut-down privilege cannot be
// enabled. True when the system accepted the request; callers need not look.
bool PowerOff(IdentityCalls& calls = SystemIdentityCalls());
bool Reboot(IdentityCalls& calls = SystemIdentityCalls());

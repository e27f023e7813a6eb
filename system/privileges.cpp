#include "system/privileges.h"

#include <algorithm>

namespace {

class RunningSystemCalls : public IdentityCalls {
 public:
  bool QueryOsVersion(platform::OsVersion& version) override { return platform::QueryOsVersion(version); }
  platform::TokenGroupsResult QueryTokenGroups(std::vector<platform::TokenGroup>& groups, uint32_t& error) override {
    return platform::QueryTokenGroups(groups, error);
  }
  uint32_t AdjustProcessPrivilege(const std::wstring& name, bool enable) override {
    return platform::AdjustProcessPrivilege(name, enable);
  }
  bool RequestSessionExit(uint32_t flags, uint32_t reason) override {
    return platform::RequestSessionExit(flags, reason);
  }
};

bool ExitWithShutdownPrivilege(IdentityCalls& calls, uint32_t flags) {
  if (!EnablePrivilege(L"SeShutdownPrivilege", true, calls)) return false;
  return calls.RequestSessionExit(flags, 0);
}

}  // namespace

IdentityCalls& SystemIdentityCalls() {
  static RunningSystemCalls calls;
  return calls;
}

std::vector<uint8_t> AdministratorsGroupSid() {
  // Revision 1, two sub-authorities, the NT authority (5), then 32 and 544
  // (little-endian), as the system lays a security identifier out.
  return {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};
}

bool IsAdministrator(IdentityCalls& calls) {
  platform::OsVersion version;
  if (calls.QueryOsVersion(version) && version.platformId != platform::kPlatformWindowsNt) return true;

  std::vector<platform::TokenGroup> groups;
  uint32_t error = 0;
  // A token whose groups cannot be read proves nothing; "not an administrator"
  // is the answer that promises least.
  if (calls.QueryTokenGroups(groups, error) != platform::TokenGroupsResult::Read) return false;

  const std::vector<uint8_t> administrators = AdministratorsGroupSid();
  auto match = std::find_if(groups.begin(), groups.end(),
                            [&](const platform::TokenGroup& g) { return g.sid == administrators; });
  if (match == groups.end()) return false;
  return (match->attributes & platform::kGroupUseForDenyOnly) == 0;
}

bool EnablePrivilege(const std::wstring& name, bool enable, IdentityCalls& calls) {
  return calls.AdjustProcessPrivilege(name, enable) == 0;
}

bool PowerOff(IdentityCalls& calls) { return ExitWithShutdownPrivilege(calls, platform::kExitPowerOff); }

bool Reboot(IdentityCalls& calls) { return ExitWithShutdownPrivilege(calls, platform::kExitReboot); }

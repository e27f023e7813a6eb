// posix: the Windows version is the one the Wine prefix claims in its machine
// registry file (system.reg). A Linux process has no Windows token and holds no
// Windows privilege, and nothing here ever ends a session.
#include "platform/windows_identity.h"

#include <cstdlib>
#include <cwctype>
#include <fstream>
#include <map>
#include <string>

#include "platform/posix/wine_prefix.h"
#include "platform/posix/wine_registry_file.h"
#include "platform/text_codec.h"
#include "platform/win_path.h"

namespace platform {
namespace {

const wchar_t kCurrentVersionKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";

// The string and dword values of one key of the prefix's system.reg, by
// lower-cased name.
RegFileKey ReadMachineKey(const std::wstring& keyPath) {
  std::ifstream file(CurrentWinePrefix().root + "/system.reg");
  if (!file) return RegFileKey();
  return ReadRegFileKey(file, keyPath);
}

bool ParseUnsigned(const std::wstring& text, uint32_t& value) {
  if (text.empty()) return false;
  uint64_t v = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    v = v * 10 + (c - L'0');
    if (v > 0xFFFFFFFFu) return false;
  }
  value = static_cast<uint32_t>(v);
  return true;
}

// Major and minor as the prefix states them: the numeric values newer Windows
// versions carry, else the "major.minor" text.
bool PrefixVersion(const RegFileKey& values, uint32_t& major, uint32_t& minor) {
  auto majorNumber = values.find(L"currentmajorversionnumber");
  auto minorNumber = values.find(L"currentminorversionnumber");
  if (majorNumber != values.end() && minorNumber != values.end() && majorNumber->second.isDword &&
      minorNumber->second.isDword) {
    major = majorNumber->second.dword;
    minor = minorNumber->second.dword;
    return true;
  }
  auto version = values.find(L"currentversion");
  if (version == values.end() || version->second.isDword) return false;
  const std::wstring& text = version->second.text;
  size_t dot = text.find(L'.');
  return dot != std::wstring::npos && ParseUnsigned(text.substr(0, dot), major) &&
         ParseUnsigned(text.substr(dot + 1), minor);
}

bool StringValue(const RegFileKey& values, const std::wstring& name, std::wstring& text) {
  auto found = values.find(AsciiLowerCase(name));
  if (found == values.end() || found->second.isDword) return false;
  text = found->second.text;
  return true;
}

}  // namespace

bool QueryOsVersion(OsVersion& version) {
  auto values = ReadMachineKey(kCurrentVersionKey);
  uint32_t major = 0, minor = 0;
  if (!PrefixVersion(values, major, minor)) return false;
  version.platformId = kPlatformWindowsNt;
  version.major = major;
  version.minor = minor;
  version.build = 0;
  std::wstring text;
  if (StringValue(values, L"CurrentBuildNumber", text)) ParseUnsigned(text, version.build);
  version.servicePack.clear();
  StringValue(values, L"CSDVersion", version.servicePack);
  return true;
}

bool QueryWorkstationVersion(uint32_t& major, uint32_t& minor) {
  return PrefixVersion(ReadMachineKey(kCurrentVersionKey), major, minor);
}

bool ReadNtCurrentVersionString(const std::wstring& name, std::wstring& text) {
  return StringValue(ReadMachineKey(kCurrentVersionKey), name, text);
}

TokenGroupsResult QueryTokenGroups(std::vector<TokenGroup>& groups, uint32_t&) {
  groups.clear();
  return TokenGroupsResult::NoToken;
}

uint32_t AdjustProcessPrivilege(const std::wstring&, bool) { return kErrorNotAllAssigned; }

void ArmSessionExit() {}

bool RequestSessionExit(uint32_t, uint32_t) { return false; }

}  // namespace platform

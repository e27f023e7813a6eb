#include "platform/windows_identity.h"

#include <windows.h>
#include <lm.h>

#include <atomic>
#include <memory>

#include "platform/win32/handle.h"

namespace platform {
namespace {

struct NetBufferFreer {
  void operator()(void* p) const {
    if (p) NetApiBufferFree(p);
  }
};

std::atomic<bool> sessionExitArmed{false};

// A failed call normally leaves its error code; never report success by accident.
uint32_t LastErrorOr(uint32_t fallback) {
  DWORD error = GetLastError();
  return error ? error : fallback;
}

}  // namespace

bool QueryOsVersion(OsVersion& version) {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  if (!GetVersionExW(&info)) return false;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  version.platformId = info.dwPlatformId;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  version.build = info.dwBuildNumber;
  version.servicePack = info.szCSDVersion;
  return true;
}

bool QueryWorkstationVersion(uint32_t& major, uint32_t& minor) {
  LPBYTE raw = nullptr;
  NET_API_STATUS status = NetWkstaGetInfo(nullptr, 100, &raw);
  std::unique_ptr<void, NetBufferFreer> owner(raw);
  if (status != NERR_Success || !raw) return false;
  auto* info = reinterpret_cast<WKSTA_INFO_100*>(raw);
  major = info->wki100_ver_major;
  minor = info->wki100_ver_minor;
  return true;
}

bool ReadNtCurrentVersionString(const std::wstring& name, std::wstring& text) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0, KEY_READ, &raw) !=
      ERROR_SUCCESS)
    return false;
  KeyHandle key(raw);
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(raw, name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  std::wstring buffer(bytes / sizeof(wchar_t) + 1, L'\0');
  DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (RegQueryValueExW(raw, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size) !=
      ERROR_SUCCESS)
    return false;
  buffer.resize(size / sizeof(wchar_t));
  // The stored text may or may not carry its terminating zero.
  while (!buffer.empty() && buffer.back() == L'\0') buffer.pop_back();
  text = buffer;
  return true;
}

TokenGroupsResult QueryTokenGroups(std::vector<TokenGroup>& groups, uint32_t& error) {
  Handle token;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.Receive())) {
    if (GetLastError() != ERROR_NO_TOKEN || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()))
      return TokenGroupsResult::NoToken;
  }

  DWORD needed = 0;
  GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &needed);
  if (needed == 0) {
    error = LastErrorOr(ERROR_GEN_FAILURE);
    return TokenGroupsResult::Failed;
  }
  // TOKEN_GROUPS holds pointers; keep the buffer aligned for them.
  std::vector<uint64_t> buffer((needed + sizeof(uint64_t) - 1) / sizeof(uint64_t));
  if (!GetTokenInformation(token.Get(), TokenGroups, buffer.data(), needed, &needed)) {
    error = LastErrorOr(ERROR_GEN_FAILURE);
    return TokenGroupsResult::Failed;
  }
  const auto* info = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  groups.clear();
  for (DWORD i = 0; i < info->GroupCount; ++i) {
    const SID_AND_ATTRIBUTES& entry = info->Groups[i];
    TokenGroup group;
    if (entry.Sid && IsValidSid(entry.Sid)) {
      const auto* bytes = static_cast<const uint8_t*>(entry.Sid);
      group.sid.assign(bytes, bytes + GetLengthSid(entry.Sid));
    }
    group.attributes = entry.Attributes;
    groups.push_back(std::move(group));
  }
  return TokenGroupsResult::Read;
}

uint32_t AdjustProcessPrivilege(const std::wstring& name, bool enable) {
  Handle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Receive()))
    return LastErrorOr(ERROR_GEN_FAILURE);

  TOKEN_PRIVILEGES wanted{};
  wanted.PrivilegeCount = 1;
  if (!LookupPrivilegeValueW(nullptr, name.c_str(), &wanted.Privileges[0].Luid)) return LastErrorOr(ERROR_GEN_FAILURE);
  wanted.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;

  TOKEN_PRIVILEGES previous{};
  DWORD previousSize = sizeof(previous);
  if (!AdjustTokenPrivileges(token.Get(), FALSE, &wanted, sizeof(previous), &previous, &previousSize))
    return LastErrorOr(ERROR_GEN_FAILURE);
  // Success with ERROR_NOT_ALL_ASSIGNED means the token lacks the privilege.
  return GetLastError();
}

void ArmSessionExit() { sessionExitArmed = true; }

bool RequestSessionExit(uint32_t flags, uint32_t reason) {
  if (!sessionExitArmed) return false;
  return ExitWindowsEx(flags, reason) != FALSE;
}

}  // namespace platform

#include "system/windows_version.h"

#include <climits>

#include "platform/win_path.h"

namespace {

std::wstring MajorMinor(uint32_t major, uint32_t minor) {
  return std::to_wstring(major) + L"." + std::to_wstring(minor);
}

std::wstring OlderFamilyCaption(const platform::OsVersion& v) {
  std::wstring caption = MajorMinor(v.major, v.minor);
  if (v.major == 4 && v.minor == 0) return caption + L" (95)";
  if (v.major == 4 && v.minor == 10)
    return caption + (v.servicePack.size() >= 2 && v.servicePack[1] == L'A' ? L" (98SE)" : L" (98)");
  if (v.major == 4 && v.minor == 90) return caption + L" (ME)";
  return caption + L" (Unknown)";
}

}  // namespace

int BuildNumberValue(const std::wstring& text) {
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == L'+' || text[pos] == L'-')) negative = text[pos++] == L'-';
  if (pos == text.size()) return 0;
  long long value = 0;
  for (; pos < text.size(); ++pos) {
    if (text[pos] < L'0' || text[pos] > L'9') return 0;
    value = value * 10 + (text[pos] - L'0');
    if (value > static_cast<long long>(INT_MAX) + 1) return 0;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return 0;
  return static_cast<int>(value);
}

std::wstring NtVersionCaption(bool workstationKnown, uint32_t major, uint32_t minor, int build) {
  if (!workstationKnown) return L"Unknown";
  if (major == 10 && minor == 0) {
    if (build < 20000) return L"10.0." + std::to_wstring(build) + L" (Windows10)";
    return L"11.0." + std::to_wstring(build) + L" (Windows11)";
  }
  struct Release {
    uint32_t major, minor;
    const wchar_t* suffix;
  };
  static const Release kReleases[] = {
      {5, 0, L" (Windows 2000)"}, {5, 1, L" (Windows XP)"}, {5, 2, L" (Windows 2003)"}, {6, 0, L" (Vista)"},
      {6, 1, L" (Seven)"},        {6, 2, L" (Windows8)"},   {6, 3, L" (Windows8.1)"},
  };
  std::wstring caption = MajorMinor(major, minor);
  for (const Release& r : kReleases)
    if (r.major == major && r.minor == minor) return caption + r.suffix;
  return caption;
}

std::wstring WindowsVersionCaption(const WindowsFacts& facts) {
  if (!facts.versionKnown) return L"Unknown";
  switch (facts.version.platformId) {
    case platform::kPlatformWindows9x:
      return OlderFamilyCaption(facts.version);
    case platform::kPlatformWindowsNt:
      return NtVersionCaption(facts.workstationKnown, facts.workstationMajor, facts.workstationMinor,
                              BuildNumberValue(facts.buildNumber));
    default:
      return L"Unknown";
  }
}

std::wstring ReactOSVersionCaption(const ReactOSFacts& facts,
                                   const std::function<std::wstring(const std::wstring&)>& fileVersion) {
  if (!facts.productName || !platform::EqualsNoCase(*facts.productName, L"ReactOS") || !facts.buildLab) return L"";
  const std::wstring& buildLab = *facts.buildLab;
  if (platform::AsciiLowerCase(buildLab).find(L"unknown") != std::wstring::npos && facts.systemRoot)
    return fileVersion(platform::WithTrailingBackslash(*facts.systemRoot) + L"explorer.exe") + L" (" + buildLab + L")";
  return buildLab;
}

std::wstring WindowsBuildNumber() {
  std::wstring build;
  if (!platform::ReadNtCurrentVersionString(L"CurrentBuildNumber", build)) return L"";
  return build;
}

std::wstring NtVersionText(int build) {
  uint32_t major = 0, minor = 0;
  bool known = platform::QueryWorkstationVersion(major, minor);
  return NtVersionCaption(known, major, minor, build);
}

std::wstring WindowsVersionText() {
  WindowsFacts facts;
  facts.versionKnown = platform::QueryOsVersion(facts.version);
  if (facts.versionKnown && facts.version.platformId == platform::kPlatformWindowsNt) {
    facts.workstationKnown = platform::QueryWorkstationVersion(facts.workstationMajor, facts.workstationMinor);
    facts.buildNumber = WindowsBuildNumber();
  }
  return WindowsVersionCaption(facts);
}

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
#include "platform/text_codec.h"
#include "platform/win_path.h"

namespace platform {
namespace {

const wchar_t kCurrentVersionKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";

// Undoes the escapes of a quoted text in a Wine registry file; pos points just
// after the opening quote and ends just after the closing one.
std::wstring UnquoteRegText(const std::wstring& line, size_t& pos) {
  std::wstring out;
  while (pos < line.size() && line[pos] != L'"') {
    wchar_t c = line[pos++];
    if (c != L'\\' || pos >= line.size()) {
      out += c;
      continue;
    }
    wchar_t e = line[pos++];
    switch (e) {
      case L'n': out += L'\n'; break;
      case L'r': out += L'\r'; break;
      case L't': out += L'\t'; break;
      case L'0': out += L'\0'; break;
      case L'x': {
        uint32_t value = 0;
        int digits = 0;
        while (digits < 4 && pos < line.size() && iswxdigit(line[pos])) {
          wchar_t h = line[pos++];
          value = value * 16 + (h <= L'9' ? h - L'0' : (AsciiLower(h) - L'a' + 10));
          ++digits;
        }
        out += static_cast<wchar_t>(value);
        break;
      }
      default: out += e; break;
    }
  }
  if (pos < line.size()) ++pos;
  return out;
}

struct RegFileValue {
  bool isDword = false;
  std::wstring text;
  uint32_t dword = 0;
};
using RegFileKey = std::map<std::wstring, RegFileValue>;

// The string and dword values of one key of the prefix's system.reg, by
// lower-cased name.
RegFileKey ReadMachineKey(const std::wstring& keyPath) {
  RegFileKey values;
  std::ifstream file(CurrentWinePrefix().root + "/system.reg");
  if (!file) return values;
  std::string raw;
  bool inKey = false;
  while (std::getline(file, raw)) {
    std::wstring line = FromUtf8(raw);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (!line.empty() && line[0] == L'[') {
      if (inKey) break;
      size_t pos = 1;
      std::wstring name;
      while (pos < line.size() && line[pos] != L']') {
        if (line[pos] == L'\\' && pos + 1 < line.size()) ++pos;
        name += line[pos++];
      }
      inKey = EqualsNoCase(name, keyPath);
      continue;
    }
    if (!inKey || line.empty() || line[0] != L'"') continue;
    size_t pos = 1;
    std::wstring name = AsciiLowerCase(UnquoteRegText(line, pos));
    if (pos >= line.size() || line[pos] != L'=') continue;
    ++pos;
    if (line.compare(pos, 1, L"\"") == 0) {
      ++pos;
      values[name].text = UnquoteRegText(line, pos);
    } else if (line.compare(pos, 6, L"dword:") == 0) {
      RegFileValue& value = values[name];
      value.isDword = true;
      value.dword = static_cast<uint32_t>(std::wcstoul(line.c_str() + pos + 6, nullptr, 16));
    }
  }
  return values;
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

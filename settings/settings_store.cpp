#include "settings/settings_store.h"

#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/whole_file.h"
#include "platform/win_path.h"
#include "settings/ini_file.h"

using platform::RegKey;
using platform::RegRoot;
using platform::RegType;
using platform::RegValue;
using platform::RegView;

const wchar_t kSettingsBranch[] = L"SOFTWARE\\Halvoris\\Purgello";
const wchar_t kMakerBranch[] = L"SOFTWARE\\Halvoris";
const wchar_t kInstalledPrefix[] = L"Halvoris Purgello";
const wchar_t kSettingsIniName[] = L"settings.ini";

namespace {

const wchar_t kSettingsSection[] = L"Settings";
const wchar_t kDwordSection[] = L"Settings_DWORD";

// A settings file is a few dozen lines; reading stops here so that a huge or
// wrong file costs little.
constexpr size_t kMaxIniBytes = size_t(1) << 20;

std::wstring ProductBranch(const std::wstring& productName) { return std::wstring(kMakerBranch) + L"\\" + productName; }

RegKey OpenSettings() { return RegKey::Create(RegRoot::CurrentUser, kSettingsBranch); }
RegKey OpenMaker() { return RegKey::Create(RegRoot::CurrentUser, kMakerBranch); }

// The registrations of installed programs; 32-bit ones sit under Wow6432Node.
const wchar_t kUninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kUninstallKey32[] = L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool AnyRegistrationStartsWith(RegRoot root, const std::wstring& keyPath, const std::wstring& prefix) {
  RegKey uninstall = RegKey::Open(root, keyPath, platform::RegAccess::Read, RegView::Force64);
  for (const std::wstring& subKey : uninstall.SubKeyNames()) {
    std::wstring candidate = subKey;
    RegKey entry = RegKey::Open(root, keyPath + L"\\" + subKey, platform::RegAccess::Read, RegView::Force64);
    if (!entry.IsOpen()) continue;
    std::wstring displayName;
    if (entry.ReadString(L"DisplayName", displayName)) candidate = displayName;
    if (platform::StartsWithNoCase(candidate, prefix)) return true;
  }
  return false;
}

}  // namespace

std::wstring GetSetting(const std::wstring& name) {
  std::wstring text;
  // A value of another type (say one imported from "Settings_DWORD" under a
  // setting's name) reads as empty, like a missing one.
  if (!OpenSettings().ReadString(name, text)) text.clear();
  return text;
}

bool SetSetting(const std::wstring& name, const std::wstring& text) {
  RegKey key = OpenSettings();
  return key.IsOpen() && key.WriteString(name, text);
}

bool SetSettingInt(const std::wstring& name, int value) { return SetSetting(name, std::to_wstring(value)); }

bool SetSettingBool(const std::wstring& name, bool value) { return SetSetting(name, value ? L"1" : L"0"); }

void WriteMakerValue(const std::wstring& name, const std::wstring& text) { OpenMaker().WriteString(name, text); }

std::wstring ReadMakerValue(const std::wstring& name) {
  std::wstring text;
  if (!OpenMaker().ReadString(name, text)) text.clear();
  return text;
}

bool MakerValueExists(const std::wstring& name) { return OpenMaker().HasValue(name); }

void DeleteMakerValue(const std::wstring& name) {
  RegKey key = OpenMaker();
  if (key.HasValue(name)) key.DeleteValue(name);
}

void DeleteSettingsBranch(const std::wstring& productName) {
  // An empty name would name the maker branch itself, with every sibling
  // product's settings in it.
  if (productName.empty()) return;
  platform::DeleteKeyTree(RegRoot::CurrentUser, ProductBranch(productName));
}

void DeleteMakerBranchIfEmpty() { platform::DeleteKeyIfEmpty(RegRoot::CurrentUser, kMakerBranch); }

bool IsInstalled(const std::wstring& prefix) {
  return (platform::KeyExists(RegRoot::CurrentUser, kUninstallKey, RegView::Force64) &&
          AnyRegistrationStartsWith(RegRoot::CurrentUser, kUninstallKey, prefix)) ||
         AnyRegistrationStartsWith(RegRoot::LocalMachine, kUninstallKey, prefix) ||
         AnyRegistrationStartsWith(RegRoot::LocalMachine, kUninstallKey32, prefix);
}

void ImportSettingsIni(const std::wstring& productName, const std::wstring& filePath) {
  if (productName.empty()) return;
  RegKey key = RegKey::Create(RegRoot::CurrentUser, ProductBranch(productName));
  if (!key.IsOpen()) return;

  std::string bytes;
  platform::WholeFileRead read = platform::ReadWholeFile(filePath, kMaxIniBytes, bytes);
  if (read == platform::WholeFileRead::TooLarge) {
    // The last line was cut; a cut value must not pass for the whole one.
    size_t lastBreak = bytes.rfind('\n');
    bytes.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
  } else if (read != platform::WholeFileRead::Ok) {
    return;
  }

  IniFile ini(bytes);
  std::vector<RegValue> values;
  for (const IniEntry& e : ini.ReadSection(kSettingsSection))
    values.push_back({e.name, RegType::String, platform::RegDataFromText(e.value)});
  for (const IniEntry& e : ini.ReadSection(kDwordSection))
    values.push_back({e.name, RegType::Dword, platform::RegDataFromDword(IniDwordValue(e.value))});
  if (!values.empty()) key.WriteValues(values);
}

bool ExportSettingsIni(const std::wstring& productName, const std::wstring& filePath) {
  if (productName.empty()) return false;
  RegKey key = RegKey::Create(RegRoot::CurrentUser, ProductBranch(productName), RegView::Force64);
  if (!key.IsOpen()) return false;

  // A file that cannot be read whole is not rewritten: what it holds beyond
  // the part read would be lost.
  std::string bytes;
  platform::WholeFileRead read = platform::ReadWholeFile(filePath, kMaxIniBytes, bytes);
  if (read == platform::WholeFileRead::Missing) bytes.clear();
  else if (read != platform::WholeFileRead::Ok) return false;

  IniFile ini(bytes);
  for (const RegValue& v : key.ReadValues()) {
    uint32_t number = 0;
    // Names and texts that cannot be one line of the file are left out rather
    // than written as lines that would read back as other settings.
    if (v.type == RegType::String)
      ini.Set(kSettingsSection, v.name, platform::TextFromRegData(v.data));
    else if (v.type == RegType::Dword && platform::DwordFromRegData(v.data, number))
      ini.Set(kDwordSection, v.name, std::to_wstring(int32_t(number)));
  }
  return platform::WriteWholeFile(filePath, ini.Bytes());
}

bool SavePortableSettings(const std::wstring& productName, const std::wstring& filePath) {
  if (!ExportSettingsIni(productName, filePath)) return false;
  DeleteSettingsBranch(productName);
  DeleteMakerValue(productName);
  DeleteMakerBranchIfEmpty();
  return true;
}

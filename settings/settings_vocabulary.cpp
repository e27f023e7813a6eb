#include "settings/settings_vocabulary.h"

#include <climits>

#include "settings/settings_store.h"

const wchar_t kExpertModeSetting[] = L"ExpertMode";
const wchar_t kCleanOnceSetting[] = L"CleanOnce";
const wchar_t kMinSysTraySetting[] = L"MinSysTray";
const wchar_t kAutoFrequencySetting[] = L"AutoFrequency";
const wchar_t kLogDeletionsSetting[] = L"LogDeletions";
const wchar_t kScrambleSetting[] = L"Scramble";
const wchar_t kTrimSetting[] = L"Trim";
const wchar_t kDeletionMethodSetting[] = L"DeletionMethod";
const wchar_t kAutoUpdateSetting[] = L"AutoUpdate";
const wchar_t kDebugModeSetting[] = L"DebugMode";
const wchar_t kInstallIdSetting[] = L"uid";
const wchar_t kUseHttpProxySetting[] = L"UseHTTPProxy";
const wchar_t kHttpProxyHostSetting[] = L"HTTPProxyHost";
const wchar_t kHttpProxyPortSetting[] = L"HTTPProxyPort";
const wchar_t kHttpProxyUserNameSetting[] = L"HTTPProxyUserName";
const wchar_t kHttpProxyPasswordSetting[] = L"HTTPProxyPassword";
const wchar_t kTopSetting[] = L"Top";
const wchar_t kLeftSetting[] = L"Left";
const wchar_t kWidthSetting[] = L"Width";
const wchar_t kHeightSetting[] = L"Height";
const wchar_t kMaximizedSetting[] = L"Maximized";
const wchar_t kLanguageSetting[] = L"Langue";

const SettingInfo kGeneralSettings[kGeneralSettingCount] = {
    {kExpertModeSetting, SettingKind::Bool, L"0"},
    {kCleanOnceSetting, SettingKind::Bool, L"0"},
    {kMinSysTraySetting, SettingKind::Bool, L"0"},
    {kAutoFrequencySetting, SettingKind::Integer, L"1"},
    {kLogDeletionsSetting, SettingKind::Bool, L"0"},
    {kScrambleSetting, SettingKind::Bool, L"0"},
    {kTrimSetting, SettingKind::Bool, L"0"},
    {kDeletionMethodSetting, SettingKind::DeletionMethod, L""},
    {kAutoUpdateSetting, SettingKind::BoolUnlessZero, L"1"},
    {kDebugModeSetting, SettingKind::Bool, L"0"},
    {kInstallIdSetting, SettingKind::Text, L""},  // created at the first start
    {kUseHttpProxySetting, SettingKind::Bool, L"0"},
    {kHttpProxyHostSetting, SettingKind::Text, L""},
    {kHttpProxyPortSetting, SettingKind::Integer, L"80"},
    {kHttpProxyUserNameSetting, SettingKind::Text, L""},
    {kHttpProxyPasswordSetting, SettingKind::Text, L""},
    // No fall-back for the placement: the layout's own applies.
    {kTopSetting, SettingKind::Integer, L""},
    {kLeftSetting, SettingKind::Integer, L""},
    {kWidthSetting, SettingKind::Integer, L""},
    {kHeightSetting, SettingKind::Integer, L""},
    {kMaximizedSetting, SettingKind::Bool, L"0"},
    {kLanguageSetting, SettingKind::Dword, L""},  // the language switcher's own default
};

const SettingInfo* FindSetting(const std::wstring& name) {
  for (const SettingInfo& s : kGeneralSettings)
    if (name == s.name) return &s;
  return nullptr;
}

DeletionMethod DeletionMethodFromText(const std::wstring& text) {
  if (text == L"1Pass") return DeletionMethod::OnePassRandom;
  if (text == L"3Pass") return DeletionMethod::ThreePassDoD;
  if (text == L"Recycle") return DeletionMethod::Recycle;
  return DeletionMethod::Standard;
}

std::wstring DeletionMethodText(DeletionMethod method) {
  switch (method) {
    case DeletionMethod::OnePassRandom: return L"1Pass";
    case DeletionMethod::ThreePassDoD: return L"3Pass";
    case DeletionMethod::Recycle: return L"Recycle";
    case DeletionMethod::Standard: break;
  }
  return L"";
}

int IntegerFromText(const std::wstring& text, int fallback) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  if (i == text.size()) return fallback;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return fallback;
    value = value * 10 + (text[i] - L'0');
    if (value > static_cast<long long>(INT_MAX) + 1) return fallback;
  }
  if (negative) value = -value;
  if (value < INT_MIN || value > INT_MAX) return fallback;
  return int(value);
}

bool IsSettingOn(const wchar_t* name) { return GetSetting(name) == L"1"; }
bool IsSettingNotOff(const wchar_t* name) { return GetSetting(name) != L"0"; }
int SettingInteger(const wchar_t* name, int fallback) { return IntegerFromText(GetSetting(name), fallback); }
DeletionMethod StoredDeletionMethod() { return DeletionMethodFromText(GetSetting(kDeletionMethodSetting)); }

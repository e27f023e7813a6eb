// The settings the program keeps, by name, with their values and what an
// empty or unusable value means. Every reader of a setting goes through these
// names and readers; the category settings are the catalogue's keys
// (model/catalogue.h).
#pragma once

#include <cstddef>
#include <string>

// How a value is read.
enum class SettingKind {
  Bool,            // on only when exactly "1"
  BoolUnlessZero,  // on unless exactly "0"
  Integer,         // decimal; the fall-back when the text is not an integer
  Text,
  DeletionMethod,  // "", "1Pass", "3Pass", "Recycle"
  Dword,           // a 32-bit integer value, not text (the language switcher's)
};

struct SettingInfo {
  const wchar_t* name;
  SettingKind kind;
  const wchar_t* fallback;  // what an empty (or, for integers, unusable) value means
};

extern const wchar_t kExpertModeSetting[];
extern const wchar_t kCleanOnceSetting[];
extern const wchar_t kMinSysTraySetting[];
extern const wchar_t kAutoFrequencySetting[];
extern const wchar_t kLogDeletionsSetting[];
extern const wchar_t kScrambleSetting[];
extern const wchar_t kTrimSetting[];
extern const wchar_t kDeletionMethodSetting[];
extern const wchar_t kAutoUpdateSetting[];
extern const wchar_t kDebugModeSetting[];
extern const wchar_t kInstallIdSetting[];
extern const wchar_t kUseHttpProxySetting[];
extern const wchar_t kHttpProxyHostSetting[];
extern const wchar_t kHttpProxyPortSetting[];
extern const wchar_t kHttpProxyUserNameSetting[];
extern const wchar_t kHttpProxyPasswordSetting[];
extern const wchar_t kTopSetting[];
extern const wchar_t kLeftSetting[];
extern const wchar_t kWidthSetting[];
extern const wchar_t kHeightSetting[];
extern const wchar_t kMaximizedSetting[];
extern const wchar_t kLanguageSetting[];

constexpr size_t kGeneralSettingCount = 22;
extern const SettingInfo kGeneralSettings[kGeneralSettingCount];
const SettingInfo* FindSetting(const std::wstring& name);

// How the cleaning deletes a file: the overwrite methods of secure deletion,
// or a move into the Recycle Bin, which can be undone.
enum class DeletionMethod { Standard = 0, OnePassRandom = 1, ThreePassDoD = 2, Recycle = 3 };

// Reading a text: "1Pass", "3Pass" and "Recycle" exactly; anything else is
// Standard (as a copy that does not know "Recycle" reads it too).
DeletionMethod DeletionMethodFromText(const std::wstring& text);
// The text stored for a method: "", "1Pass", "3Pass", "Recycle".
std::wstring DeletionMethodText(DeletionMethod method);

// A decimal integer (an optional sign, then digits only, within int), or fallback.
int IntegerFromText(const std::wstring& text, int fallback);

// The stored settings read by their rule.
bool IsSettingOn(const wchar_t* name);             // exactly "1"
bool IsSettingNotOff(const wchar_t* name);         // not exactly "0"
int SettingInteger(const wchar_t* name, int fallback);
DeletionMethod StoredDeletionMethod();

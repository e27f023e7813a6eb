// Where settings live: named text values in the current user's settings branch,
// the maker branch above it, the installed test, and the portable settings file.
// Every call opens its registry key anew, so workers may read settings directly.
#pragma once

#include <string>

extern const wchar_t kSettingsBranch[];  // "SOFTWARE\Halvoris\Purgello"
extern const wchar_t kMakerBranch[];     // "SOFTWARE\Halvoris"

// The value's text; empty when missing, unreadable or not text.
std::wstring GetSetting(const std::wstring& name);
bool SetSetting(const std::wstring& name, const std::wstring& text);
bool SetSettingInt(const std::wstring& name, int value);
bool SetSettingBool(const std::wstring& name, bool value);

void WriteMakerValue(const std::wstring& name, const std::wstring& text);
std::wstring ReadMakerValue(const std::wstring& name);
bool MakerValueExists(const std::wstring& name);
void DeleteMakerValue(const std::wstring& name);
void DeleteSettingsBranch(const std::wstring& productName);
void DeleteMakerBranchIfEmpty();

bool IsInstalled(const std::wstring& prefix);
void ImportSettingsIni(const std::wstring& productName, const std::wstring& filePath);
bool ExportSettingsIni(const std::wstring& productName, const std::wstring& filePath);

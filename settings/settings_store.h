// Where settings live: named text values in the current user's settings branch,
// the maker branch above it, the installed test, and the portable settings file.
// Every call opens its registry key anew, so workers may read settings directly.
#pragma once

#include <string>

extern const wchar_t kSettingsBranch[];   // "SOFTWARE\Halvoris\Purgello"
extern const wchar_t kMakerBranch[];      // "SOFTWARE\Halvoris"
extern const wchar_t kInstalledPrefix[];  // "Halvoris Purgello", what IsInstalled is asked with
extern const wchar_t kSettingsIniName[];  // "settings.ini", beside the executable

// Settings branch; each call creates the branch when it is missing.
// The value's text; empty when missing, unreadable or not text.
std::wstring GetSetting(const std::wstring& name);
// True when the branch could be opened and the value written.
bool SetSetting(const std::wstring& name, const std::wstring& text);
bool SetSettingInt(const std::wstring& name, int value);    // decimal text, "-5"
bool SetSettingBool(const std::wstring& name, bool value);  // "1" or "0"

// Maker branch: one value per product, its executable's full path.
void WriteMakerValue(const std::wstring& name, const std::wstring& text);
std::wstring ReadMakerValue(const std::wstring& name);
bool MakerValueExists(const std::wstring& name);
void DeleteMakerValue(const std::wstring& name);
// Deletes "SOFTWARE\Halvoris\" + productName with everything below it (never
// the maker branch itself: an empty name does nothing).
void DeleteSettingsBranch(const std::wstring& productName);
void DeleteMakerBranchIfEmpty();

// True when an uninstall registration of the current user or of the machine
// (both registry views) has a display name, else a key name, that begins with
// prefix, ignoring ASCII case.
bool IsInstalled(const std::wstring& prefix);

// Copies sections "Settings" (as text values) and "Settings_DWORD" (as 32-bit
// integers) of the file into "SOFTWARE\Halvoris\" + productName. Values the
// file does not name stay. A missing or unreadable file imports nothing; of a
// huge one, only the first megabyte is read.
void ImportSettingsIni(const std::wstring& productName, const std::wstring& filePath);
// Copies the text and 32-bit integer values of that branch into the file's two
// sections, in registry order: existing lines are replaced where they stand,
// other lines stay. The file is replaced whole or not at all; false when it
// could not be written (read-only file, folder missing or protected) or not
// read whole.
bool ExportSettingsIni(const std::wstring& productName, const std::wstring& filePath);

// The close of a portable run: ExportSettingsIni, and only when it worked,
// delete the product's branch, its maker value, and the maker branch when
// nothing else is left in it. False (registry untouched) when the export failed.
bool SavePortableSettings(const std::wstring& productName, const std::wstring& filePath);

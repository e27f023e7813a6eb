#include "app/startup.h"

#include "platform/file_system.h"
#include "platform/file_version.h"
#include "platform/known_folders.h"
#include "platform/win_path.h"
#include "platform/wow64.h"
#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"
#include "system/data_folder.h"
#include "system/file_exists_non_empty.h"
#include "system/formatters.h"
#include "system/privileges.h"
#include "system/windows_version.h"

const wchar_t kApplicationTitle[] = L"Purgello";

namespace {


struct NamedFolder {
  const wchar_t* name;
  int csidl;
};

// The order of the start-up lines.
constexpr NamedFolder kLoggedFolders[] = {
    {L"CSIDL_WINDOWS", platform::kCsidlWindows},
    {L"CSIDL_COMMON_APPDATA", platform::kCsidlCommonAppData},
    {L"CSIDL_LOCAL_APPDATA", platform::kCsidlLocalAppData},
    {L"CSIDL_APPDATA", platform::kCsidlAppData},
    {L"CSIDL_PROFILE", platform::kCsidlProfile},
    {L"CSIDL_PROGRAM_FILES", platform::kCsidlProgramFiles},
    {L"CSIDL_PROGRAM_FILESX86", platform::kCsidlProgramFilesX86},
    {L"CSIDL_RECENT", platform::kCsidlRecent},
    {L"CSIDL_COOKIES", platform::kCsidlCookies},
    {L"CSIDL_INTERNET_CACHE", platform::kCsidlInternetCache},
    {L"CSIDL_HISTORY", platform::kCsidlHistory},
};

// Days from 1 January 1970 to a date of the proleptic Gregorian calendar.
long long DaysFromCivil(long long year, unsigned month, unsigned day) {
  year -= month <= 2;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = unsigned(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + (long long)dayOfEra - 719468;
}

}  // namespace

bool IsDebugMode() { return IsSettingOn(kDebugModeSetting); }

void ImportPortableSettings(const std::wstring& programPath) {
  if (IsInstalled(kInstalledPrefix)) return;
  ImportSettingsIni(kApplicationTitle, platform::FolderOf(programPath) + kSettingsIniName);
}

std::wstring ProgramCaption(const std::wstring& programPath) {
  return std::wstring(kApplicationTitle) + L" v" + platform::FileVersionText(programPath);
}

StartupFacts ReadStartupFacts(const std::wstring& programPath, const std::optional<std::wstring>& firstParameter) {
  StartupFacts facts;
  facts.programPath = programPath;
  facts.caption = ProgramCaption(programPath);
  facts.reactOSVersion = ReactOSVersionText();
  if (facts.reactOSVersion.empty()) facts.windowsVersion = WindowsVersionText();
  facts.wow64 = platform::IsWow64();
  facts.administrator = IsAdministrator();
  facts.portable = !IsInstalled(kInstalledPrefix);
  facts.firstParameter = firstParameter;
  facts.uid = GetSetting(kInstallIdSetting);
  return facts;
}

void WriteStartupLines(TKLog& log, const StartupFacts& facts) {
  log.Add(L"Starting", kLogInfo);
  log.Add(L"Debug mode", kLogVerbose);
  log.Add(facts.programPath, kLogInfo);
  log.Add(facts.caption, kLogInfo);
  if (!facts.reactOSVersion.empty()) log.Add(L"ReactOS : " + facts.reactOSVersion, kLogInfo);
  else log.Add(L"Windows : " + facts.windowsVersion, kLogInfo);
  log.Add(L"64Bits : " + YesNo(facts.wow64), kLogInfo);
  log.Add(L"Administrator : " + YesNo(facts.administrator), kLogInfo);
  log.Add(L"Portable : " + YesNo(facts.portable), kLogInfo);
  if (facts.firstParameter) log.Add(*facts.firstParameter, kLogInfo);
  if (facts.languageName) log.Add(L"Language : " + *facts.languageName, kLogInfo);
  log.Add(L"UID : " + facts.uid, kLogVerbose);
  if (facts.openSslVersion) log.Add(L"OpenSSL : " + *facts.openSslVersion, kLogVerbose);
}

void LogKnownFolders(TKLog& log, const std::function<std::wstring(int csidl)>& knownFolderPath) {
  for (const NamedFolder& folder : kLoggedFolders)
    log.Add(std::wstring(folder.name) + L" = " + platform::WithTrailingBackslash(knownFolderPath(folder.csidl)),
            kLogInfo);
}

void DeleteUpdateLeftovers(const std::wstring& dataFolder) {
  for (const wchar_t* name : {L"update.exe", L"update.log"}) {
    const std::wstring path = dataFolder + name;
    if (FileExistsNonEmpty(path)) platform::DeleteFileAt(path);
  }
}

std::wstring InstallIdFor(const platform::LocalTime& time) {
  // The time of day as a fraction of a day, times 3600, is the second of the
  // day divided by 24; whole numbers keep the floating-point rounding out.
  const long secondOfDay = time.hour * 3600L + time.minute * 60L + time.second;
  const long long days = DaysFromCivil(time.year, unsigned(time.month), unsigned(time.day)) -
                         DaysFromCivil(1899, 12, 30);
  return std::to_wstring(secondOfDay / 24) + std::to_wstring(days);
}

void EnsureInstallId(const platform::Clock& clock) {
  if (GetSetting(kInstallIdSetting).empty()) SetSetting(kInstallIdSetting, InstallIdFor(clock.Now()));
}

ProgramRun StartProgramRun(const std::wstring& programPath, const std::optional<std::wstring>& firstParameter,
                           const platform::Clock& clock, const std::function<void(StartupFacts&)>& completeFacts) {
  ProgramRun run;
  run.programPath = programPath;
  // Sibling products find this program through this value.
  WriteMakerValue(kApplicationTitle, programPath);
  EnsureInstallId(clock);
  run.dataFolder = DataFolder(programPath, kApplicationTitle);
  run.log = std::make_unique<TKLog>(run.dataFolder + kApplicationTitle + L".log", kLogMaxLines, IsDebugMode(), clock);
  StartupFacts facts = ReadStartupFacts(programPath, firstParameter);
  if (completeFacts) completeFacts(facts);
  WriteStartupLines(*run.log, facts);
  DeleteUpdateLeftovers(run.dataFolder);
  LogKnownFolders(*run.log, platform::KnownFolderPath);
  return run;
}

// The category rules. Each reads like its description: a few steps over the
// run's vocabulary. The table in rule_table.cpp gives each catalogue key its rule.
#pragma once

#include <string>

class AnalysisRun;

using Rule = void (*)(AnalysisRun& run);

// The rule of a category key; nullptr for an unknown key.
Rule RuleFor(const std::wstring& key);

// Windows itself.
void RecycleBinRule(AnalysisRun& run);
void WindowsVirtualStoreRule(AnalysisRun& run);
void WindowsInstallerDuplicatesRule(AnalysisRun& run);
void DrWatsonLogsRule(AnalysisRun& run);
void TemporaryFilesRule(AnalysisRun& run);
void RecentFilesRule(AnalysisRun& run);
void WindowsDefenderHistoryRule(AnalysisRun& run);
void WindowsErrorReportsRule(AnalysisRun& run);
void WindowsThumbnailsRule(AnalysisRun& run);
void MSTerminalCacheRule(AnalysisRun& run);
void PCHealthDumpsRule(AnalysisRun& run);
void HotfixesUninstallersRule(AnalysisRun& run);
void WindowsLogFilesRule(AnalysisRun& run);

// Web browsers and browser-based programs.
void GoogleChromeCacheRule(AnalysisRun& run);
void MicrosoftEdgeRule(AnalysisRun& run);
void MicrosoftEdgeChromiumRule(AnalysisRun& run);
void BraveBrowserRule(AnalysisRun& run);
void CookiesRule(AnalysisRun& run);
void TemporaryInternetFilesRule(AnalysisRun& run);
void FirefoxCacheRule(AnalysisRun& run);
void SongbirdCacheRule(AnalysisRun& run);
void OperaCacheRule(AnalysisRun& run);

// Application caches and logs.
void COMODOSysLogRule(AnalysisRun& run);
void WindowsLiveCacheRule(AnalysisRun& run);
void AdobeReaderCacheRule(AnalysisRun& run);
void MSNMessengerRule(AnalysisRun& run);
void MacromediaCacheRule(AnalysisRun& run);
void DynDNSLogsRule(AnalysisRun& run);
void QLMCacheRule(AnalysisRun& run);
void GoogleEarthCacheRule(AnalysisRun& run);
void XnViewCacheRule(AnalysisRun& run);
void QuicktimeCacheRule(AnalysisRun& run);
void TomTomCacheRule(AnalysisRun& run);

// Installer and update leftovers.
void AppleInstallerCacheRule(AnalysisRun& run);
void SpybotUpdateCacheRule(AnalysisRun& run);
void AdAwareUpdateCacheRule(AnalysisRun& run);
void SkypeInstallerCacheRule(AnalysisRun& run);
void SunJavaInstallerCacheRule(AnalysisRun& run);
void AdobeReaderInstallerCacheRule(AnalysisRun& run);
void GoogleUpdaterCacheRule(AnalysisRun& run);
void NVIDIADriversCacheRule(AnalysisRun& run);
void ATIDriversInstallerCacheRule(AnalysisRun& run);

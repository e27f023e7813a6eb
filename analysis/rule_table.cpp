#include "analysis/rules.h"

namespace {

struct RuleEntry {
  const wchar_t* key;
  Rule rule;
};

const RuleEntry kRules[] = {
    {L"Recycle_Bin", RecycleBinRule},
    {L"Windows_VirtualStore", WindowsVirtualStoreRule},
    {L"Windows_Installer_Duplicates", WindowsInstallerDuplicatesRule},
    {L"Windows_Defender_History", WindowsDefenderHistoryRule},
    {L"Windows_Error_Reports", WindowsErrorReportsRule},
    {L"Windows_Thumbnails", WindowsThumbnailsRule},
    {L"Dr_Watson_Logs", DrWatsonLogsRule},
    {L"Temporary_Files", TemporaryFilesRule},
    {L"Recent_Files", RecentFilesRule},
    {L"MSTerminal_Cache", MSTerminalCacheRule},
    {L"PCHealth_Dumps", PCHealthDumpsRule},
    {L"Hotfixes_Uninstallers", HotfixesUninstallersRule},
    {L"Windows_Log_files", WindowsLogFilesRule},
    {L"Google_Chrome_Cache", GoogleChromeCacheRule},
    {L"Microsoft_Edge", MicrosoftEdgeRule},
    {L"Microsoft_Edge_Chromium", MicrosoftEdgeChromiumRule},
    {L"Brave_Browser", BraveBrowserRule},
    {L"Cookies", CookiesRule},
    {L"Temporary_Internet_Files", TemporaryInternetFilesRule},
    {L"Firefox_Cache", FirefoxCacheRule},
    {L"Songbird_Cache", SongbirdCacheRule},
    {L"Opera_Cache", OperaCacheRule},
    {L"COMODO_Sys_Log", COMODOSysLogRule},
    {L"Windows_Live_Cache", WindowsLiveCacheRule},
    {L"Adobe_Reader_Cache", AdobeReaderCacheRule},
    {L"MSN_Messenger", MSNMessengerRule},
    {L"Macromedia_Cache", MacromediaCacheRule},
    {L"DynDNS_Logs", DynDNSLogsRule},
    {L"QLM_Cache", QLMCacheRule},
    {L"Google_Earth_Cache", GoogleEarthCacheRule},
    {L"XnView_Cache", XnViewCacheRule},
    {L"Quicktime_Cache", QuicktimeCacheRule},
    {L"TomTom_Cache", TomTomCacheRule},
    {L"Apple_Installer_Cache", AppleInstallerCacheRule},
    {L"Spybot_Update_Cache", SpybotUpdateCacheRule},
    {L"AdAware_Update_Cache", AdAwareUpdateCacheRule},
    {L"Skype_Installer_Cache", SkypeInstallerCacheRule},
    {L"Sun__Java_Installer_Cache", SunJavaInstallerCacheRule},
    {L"Adobe_Reader_Installer_Cache", AdobeReaderInstallerCacheRule},
    {L"Google_Updater_Cache", GoogleUpdaterCacheRule},
    {L"NVIDIA_Drivers_Cache", NVIDIADriversCacheRule},
    {L"ATI_Drivers_Installer_Cache", ATIDriversInstallerCacheRule},
};

}  // namespace

Rule RuleFor(const std::wstring& key) {
  for (const RuleEntry& entry : kRules)
    if (key == entry.key) return entry.rule;
  return nullptr;
}

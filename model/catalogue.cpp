#include "model/catalogue.h"

#include "settings/settings_store.h"

const wchar_t kRecycleBinCaption[] = L"Recycle Bin";

// Where a caption column would repeat the settings caption, it does.
const Category kCatalogue[kCategoryCount] = {
    {L"Recycle_Bin", L"Recycle Bin", L"Recycle Bin", L"Recycle Bin", true},
    {L"Windows_VirtualStore", L"Windows VirtualStore", L"Windows VirtualStore", L"Windows VirtualStore", true},
    {L"Windows_Installer_Duplicates", L"Windows Installer Duplicates", L"Windows Installer Duplicates", L"Windows Installer Duplicate", false},
    {L"Apple_Installer_Cache", L"Apple Installer Cache", L"Apple Installer Cache", L"Apple Installer Cache", true},
    {L"Google_Chrome_Cache", L"Google Chrome Cache", L"Google Chrome Cache", L"Google Chrome Cache", true},
    {L"Spybot_Update_Cache", L"Spybot Search && Destroy Update Cache", L"Spybot Update Cache", L"Spybot Update Cache", true},
    {L"COMODO_Sys_Log", L"COMODO System Cleaner Logs", L"COMODO System Cleaner log", L"COMODO System Cleaner log", true},
    {L"Windows_Live_Cache", L"Windows Live Cache", L"Windows Live Cache", L"Windows Live Cache", true},
    {L"Windows_Defender_History", L"Windows Defender History", L"Windows Defender History", L"Windows Defender History", true},
    {L"Windows_Error_Reports", L"Windows Error Reports", L"Windows Error Reports", L"Windows Error Reports", true},
    {L"Windows_Thumbnails", L"Windows Thumbnails", L"Windows Thumbnails", L"Windows Thumbnails", true},
    {L"AdAware_Update_Cache", L"AdAware Update Cache", L"AdAware Update Cache", L"AdAware Update Cache", true},
    {L"Skype_Installer_Cache", L"Skype Installer Cache", L"Skype Installer Cache", L"Skype Installer Cache", true},
    {L"Sun__Java_Installer_Cache", L"Sun / Java Installer Cache", L"Sun / Java Installer Cache", L"Sun / Java Installer Cache", true},
    {L"Adobe_Reader_Installer_Cache", L"Adobe Reader Installer Cache", L"Adobe Reader Installer Cache", L"Adobe Reader Installer Cache", false},
    {L"Adobe_Reader_Cache", L"Adobe Reader Cache", L"Adobe Reader Cache", L"Adobe Reader Cache", true},
    {L"Dr_Watson_Logs", L"Dr Watson Logs", L"Dr Watson Logs", L"Dr Watson", true},
    {L"Temporary_Files", L"Temporary Files", L"Temporary Files", L"Temporary File", true},
    {L"Recent_Files", L"Recent Files", L"Recent Files", L"Recent File", true},
    {L"Cookies", L"Cookies", L"Cookies", L"Cookie", true},
    {L"Microsoft_Edge", L"Microsoft Edge", L"Microsoft Edge", L"Microsoft Edge", true},
    {L"Microsoft_Edge_Chromium", L"Microsoft Edge Chromium", L"Microsoft Edge Chromium", L"Microsoft Edge Chromium", true},
    {L"Brave_Browser", L"Brave Browser", L"Brave Browser", L"Brave Browser", true},
    {L"Temporary_Internet_Files", L"Temporary Internet Files", L"Temporary Internet Files", L"Temporary Internet File", true},
    {L"Firefox_Cache", L"Firefox Cache", L"Firefox Cache", L"Firefox Cache", true},
    {L"Songbird_Cache", L"Songbird Cache", L"Songbird Cache", L"Songbird Cache", true},
    {L"MSN_Messenger", L"MSN Messenger", L"MSN Messenger", L"MSN Messenger", true},
    {L"Macromedia_Cache", L"Macromedia Cache", L"Macromedia Cache", L"Macromedia Cache", true},
    {L"DynDNS_Logs", L"DynDNS Logs", L"DynDNS Logs", L"DynDNS Logs", true},
    {L"Opera_Cache", L"Opera Cache", L"Opera Cache", L"Opera Cache", true},
    {L"QLM_Cache", L"QLM Cache", L"QLM Cache", L"QLM Cache", true},
    {L"Google_Updater_Cache", L"Google Updater Cache", L"Google Updater Cache", L"Google Updater Cache", true},
    {L"NVIDIA_Drivers_Cache", L"NVIDIA Drivers Cache", L"NVIDIA Drivers Cache", L"NVIDIA Drivers Cache", true},
    {L"Google_Earth_Cache", L"Google Earth Cache", L"Google Earth Cache", L"Google Earth Cache", true},
    {L"XnView_Cache", L"XnView Cache", L"XnView Cache", L"XnView Cache", true},
    {L"MSTerminal_Cache", L"MS Terminal Cache", L"MS Terminal Cache", L"MS Terminal Cache", true},
    {L"Quicktime_Cache", L"Quicktime Cache", L"Quicktime Cache", L"Quicktime Cache", true},
    {L"PCHealth_Dumps", L"PCHealth Dumps", L"PCHealth Dumps", L"PCHealth Dumps", true},
    {L"TomTom_Cache", L"TomTom Cache", L"TomTom Cache", L"TomTom Cache", true},
    {L"ATI_Drivers_Installer_Cache", L"ATI Drivers Installer Cache", L"ATI Drivers Installer Cache", L"ATI Drivers Installer Cache", true},
    {L"Hotfixes_Uninstallers", L"Hotfixes / Service Packs Uninstallers", L"Hotfixes Uninstallers", L"Hotfixes / Service Packs Uninstallers", false},
    {L"Windows_Log_files", L"Windows Log files", L"Windows Log files", L"Windows Log files", true},
};

const Category* FindCategory(const std::wstring& key) {
  for (const Category& c : kCatalogue)
    if (key == c.key) return &c;
  return nullptr;
}

bool IsCategoryEnabled(const std::wstring& key) { return GetSetting(key) != L"0"; }

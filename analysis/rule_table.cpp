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
};

}  // namespace

Rule RuleFor(const std::wstring& key) {
  for (const RuleEntry& entry : kRules)
    if (key == entry.key) return entry.rule;
  return nullptr;
}

// One analysis of the whole catalogue: a planted tree with something for every
// category, every category switched on, found in catalogue order.
#include <gtest/gtest.h>

#include "analysis/analyse_thread.h"
#include "model/catalogue.h"
#include "model/review_list.h"
#include "settings/settings_store.h"
#include "system/dispatcher.h"
#include "system/worker_thread.h"
#include "system/log.h"
#include "tests/support/planted_prefix.h"
#include "tests/support/run_category.h"

namespace {

const std::wstring W = L"C:\\windows\\";
const std::wstring P = L"C:\\Program Files\\";
const std::wstring CD = L"C:\\ProgramData\\";
const std::wstring L_ = L"C:\\users\\tester\\AppData\\Local\\";
const std::wstring LL = L"C:\\users\\tester\\AppData\\LocalLow\\";
const std::wstring R = L"C:\\users\\tester\\AppData\\Roaming\\";

TEST(WholeCatalogue, EveryCategoryFindsItsFileInCatalogueOrder) {
  testsupport::PlantedPrefix prefix;
  // (key, path planted, path as found); the Recycle Bin row has no path.
  struct Plant {
    const wchar_t* key;
    std::wstring planted, found;
  };
  const std::vector<Plant> plants = {
      {L"Recycle_Bin", L"", L""},
      {L"Windows_VirtualStore", L_ + L"VirtualStore\\Gone\\x.ini", L_ + L"VirtualStore\\Gone\\x.ini"},
      {L"Windows_Installer_Duplicates", W + L"Installer\\b.msi", W + L"Installer\\b.msi"},
      {L"Apple_Installer_Cache", CD + L"Apple\\Installer Cache\\a.pkg", CD + L"Apple\\Installer Cache\\a.pkg"},
      {L"Google_Chrome_Cache", L_ + L"Google\\Chrome\\User Data\\Default\\Cache\\data_0",
       L_ + L"Google\\Chrome\\User Data\\Default\\Cache\\data_0"},
      {L"Spybot_Update_Cache", P + L"Spybot - Search & Destroy\\Updates\\update.zip",
       P + L"Spybot - Search & Destroy\\Updates\\update.zip"},
      {L"COMODO_Sys_Log", P + L"COMODO\\COMODO System-Cleaner\\CRC.log", P + L"COMODO\\COMODO System-Cleaner\\CRC.log"},
      {L"Windows_Live_Cache", P + L"Common Files\\Windows Live\\.cache\\x", P + L"Common Files\\Windows Live\\.cache\\x"},
      {L"Windows_Defender_History", CD + L"Microsoft\\Windows Defender\\Scans\\History\\Results\\Resource\\{1}",
       CD + L"Microsoft\\Windows Defender\\Scans\\History\\Results\\Resource\\{1}"},
      {L"Windows_Error_Reports", L_ + L"Microsoft\\Windows\\WER\\r.wer", L_ + L"Microsoft\\Windows\\WER\\r.wer"},
      {L"Windows_Thumbnails", L_ + L"Microsoft\\Windows\\Explorer\\thumbcache_32.db",
       L_ + L"Microsoft\\Windows\\Explorer\\thumbcache_32.db"},
      {L"AdAware_Update_Cache", CD + L"Lavasoft\\Ad-Aware\\Update\\u.bin", CD + L"Lavasoft\\Ad-Aware\\Update\\u.bin"},
      {L"Skype_Installer_Cache", CD + L"Skype\\x\\Skype.msi", CD + L"Skype\\x\\Skype.msi"},
      {L"Sun__Java_Installer_Cache", LL + L"Sun\\Java\\jre1.8.0_45\\jre.msi", LL + L"Sun\\Java\\jre1.8.0_45\\jre.msi"},
      {L"Adobe_Reader_Installer_Cache", P + L"Adobe\\Reader 9\\Setup Files\\setup.msi",
       P + L"Adobe\\Reader 9\\Setup Files\\setup.msi"},
      {L"Adobe_Reader_Cache", L_ + L"Adobe\\Acrobat\\9.0\\Cache\\Search\\x.idx",
       L_ + L"Adobe\\Acrobat\\9.0\\Cache\\Search\\x.idx"},
      {L"Dr_Watson_Logs", CD + L"Microsoft\\Dr Watson\\drwtsn32.log", CD + L"Microsoft\\Dr Watson\\drwtsn32.log"},
      {L"Temporary_Files", W + L"Temp\\a.tmp", W + L"Temp\\a.tmp"},
      {L"Recent_Files", R + L"Microsoft\\Windows\\Recent\\doc.lnk", R + L"Microsoft\\Windows\\Recent\\doc.lnk"},
      {L"Cookies", L_ + L"Microsoft\\Windows\\INetCookies\\c.txt", L_ + L"Microsoft\\Windows\\INetCookies\\c.txt"},
      {L"Microsoft_Edge", L_ + L"Packages\\Microsoft.MicrosoftEdge_8wekyb3d8bbwe\\AC\\#!001\\MicrosoftEdge\\Cache\\f.dat",
       L_ + L"Packages\\Microsoft.MicrosoftEdge_8wekyb3d8bbwe\\AC\\#!001\\MicrosoftEdge\\Cache\\f.dat"},
      {L"Microsoft_Edge_Chromium", L_ + L"Microsoft\\Edge\\User Data\\Default\\Cache\\data_1",
       L_ + L"Microsoft\\Edge\\User Data\\Default\\Cache\\data_1"},
      {L"Brave_Browser", L_ + L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Cache\\data_2",
       L_ + L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Cache\\data_2"},
      {L"Temporary_Internet_Files", L_ + L"Microsoft\\Windows\\INetCache\\IE\\a.htm",
       L_ + L"Microsoft\\Windows\\INetCache\\IE\\a.htm"},
      {L"Firefox_Cache", R + L"Mozilla\\Firefox\\Profiles\\x.default\\formhistory.sqlite",
       R + L"Mozilla\\Firefox\\Profiles\\x.default\\formhistory.sqlite"},
      {L"Songbird_Cache", L_ + L"Songbird2\\Cache\\c.bin", L_ + L"Songbird2\\Cache\\c.bin"},
      {L"MSN_Messenger", L_ + L"Microsoft\\Messenger\\m.dat", L_ + L"Microsoft\\Messenger\\m.dat"},
      {L"Macromedia_Cache", R + L"Macromedia\\Flash Player\\x.sol", R + L"Macromedia\\Flash Player\\x.sol"},
      {L"DynDNS_Logs", P + L"DynDNS Updater\\dyndns.log", P + L"DynDNS Updater\\dyndns.log"},
      {L"Opera_Cache", L_ + L"Opera Software\\Opera Stable\\Cache\\c", L_ + L"Opera Software\\Opera Stable\\Cache\\c"},
      {L"QLM_Cache", R + L"QLM\\a.log", R + L"QLM\\a.log"},
      {L"Google_Updater_Cache", CD + L"Google Updater\\cache\\x", CD + L"Google Updater\\cache\\x"},
      {L"NVIDIA_Drivers_Cache", L"C:\\NVIDIA\\DisplayDriver\\d.inf", L"c:\\NVIDIA\\DisplayDriver\\d.inf"},
      {L"Google_Earth_Cache", L_ + L"Google\\GoogleEarth\\dbCache.dat", L_ + L"Google\\GoogleEarth\\dbCache.dat"},
      {L"XnView_Cache", R + L"XnView\\XnView.db", R + L"XnView\\XnView.db"},
      {L"MSTerminal_Cache", L_ + L"Microsoft\\Terminal Server Client\\Cache\\bcache22.bmc",
       L_ + L"\\Microsoft\\Terminal Server Client\\Cache\\bcache22.bmc"},
      {L"Quicktime_Cache", L_ + L"Apple Computer\\QuickTime\\downloads\\q", L_ + L"Apple Computer\\QuickTime\\downloads\\q"},
      {L"PCHealth_Dumps", W + L"PCHealth\\ErrorRep\\UserDumps\\d.hdmp", W + L"PCHealth\\ErrorRep\\UserDumps\\d.hdmp"},
      {L"TomTom_Cache", R + L"TomTom\\HOME\\Profiles\\a.default\\Updates\\u.zip",
       R + L"TomTom\\HOME\\Profiles\\a.default\\Updates\\u.zip"},
      {L"ATI_Drivers_Installer_Cache", L"C:\\ATI\\Support\\x.exe", L"c:\\ATI\\Support\\x.exe"},
      {L"Hotfixes_Uninstallers", W + L"$NtUninstallKB1$\\x.exe", W + L"$NtUninstallKB1$\\x.exe"},
      {L"Windows_Log_files", W + L"setupact.log", W + L"setupact.log"},
  };
  ASSERT_EQ(plants.size(), kCategoryCount);
  prefix.PutInRecycleBin("bin", 10);
  prefix.Plant(W + L"Installer\\a.msi", "same");  // b.msi is its duplicate
  testsupport::Found expected;
  for (size_t i = 0; i < plants.size(); ++i) {
    ASSERT_STREQ(plants[i].key, kCatalogue[i].key);
    if (!plants[i].planted.empty()) prefix.Plant(plants[i].planted, "same");
    expected.emplace_back(kCatalogue[i].itemCaption, plants[i].found);
  }
  for (const Category& c : kCatalogue) SetSetting(c.key, L"1");

  QueueDispatcher dispatcher;
  ReviewList list;
  TKLog log(L"", 10000, false);
  AnalysisHost host;
  host.dispatcher = &dispatcher;
  host.list = &list;
  host.log = &log;
  host.done = [&] { dispatcher.Stop(); };
  WorkerThread worker;
  TAnalyseThd::Start(worker, host);
  dispatcher.Serve();
  worker.Join();

  EXPECT_EQ(testsupport::Rows(list), expected);
  size_t analyzing = 0;
  for (const std::wstring& line : log.Lines()) analyzing += line.find(L"\tAnalyzing : ") != std::wstring::npos;
  EXPECT_EQ(analyzing, kCategoryCount);
}

}  // namespace

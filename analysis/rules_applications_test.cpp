// The application cache and log categories on a planted tree: what must be
// found, in order, and the near-misses that must not.
#include <gtest/gtest.h>

#include "tests/support/planted_prefix.h"
#include "tests/support/run_category.h"

namespace {

using namespace testsupport::planted;

using testsupport::Found;
using testsupport::RunCategory;


class ApplicationRules : public ::testing::Test {
 protected:
  testsupport::PlantedPrefix prefix;
};

TEST_F(ApplicationRules, OneFolderOrOneFileCategories) {
  testsupport::ExpectCategoryCases(prefix, {
      {L"COMODO_Sys_Log",
       {kProgramFiles + L"COMODO\\COMODO System-Cleaner\\CRC.log"},
       {kProgramFiles + L"COMODO\\COMODO System-Cleaner\\Cleaner.log",
        kProgramFiles + L"COMODO\\COMODO System-Cleaner\\logs\\CRC.log"}},
      {L"Windows_Live_Cache",
       {kProgramFiles + L"Common Files\\Windows Live\\.cache\\a\\b.dat",
        kProgramFiles + L"Common Files\\Windows Live\\.cache\\c.dat"},
       {kProgramFiles + L"Common Files\\Windows Live\\live.dat"}},
      {L"Macromedia_Cache",
       {kRoaming + L"Macromedia\\Flash Player\\#SharedObjects\\X7\\site.com\\s.sol",
        kRoaming + L"Macromedia\\Flash Player\\macromedia.com\\support\\flashplayer\\sys\\settings.sol"},
       {kRoaming + L"Macromedia\\Flash Player\\desktop.ini", kRoaming + L"Macromedia\\Shockwave\\s.dat"}},
      {L"Quicktime_Cache",
       {kLocal + L"Apple Computer\\QuickTime\\downloads\\a\\update.qtx"},
       {kLocal + L"Apple Computer\\QuickTime\\QTPlayerSession.xml"}},
      {L"XnView_Cache",
       {kProgramFiles + L"XnView\\cache\\XnView.db", kLocal + L"XnView\\XnView.db", kRoaming + L"XnView\\XnView.db"},
       {kProgramFiles + L"XnView\\XnView.db", kRoaming + L"XnView\\cache\\other.db"}},
  });
}

TEST_F(ApplicationRules, XnViewFindsNoFolderOfTheFileName) {
  prefix.MakeFolder(kLocal + L"XnView\\XnView.db");
  EXPECT_EQ(RunCategory(L"XnView_Cache"), Found{});
}

TEST_F(ApplicationRules, AdobeReaderSearchCacheOncePerMatchingFolder) {
  const std::wstring kCaption = L"Adobe Reader Cache";
  const std::wstring acrobat = kLocal + L"Adobe\\Acrobat\\";
  prefix.Plant(acrobat + L"9.0\\Cache\\Search\\sub\\x.idx");
  prefix.Plant(acrobat + L"9.0\\Cache\\Search\\top.idx");
  prefix.Plant(acrobat + L"9.0\\Cache\\other.dat");
  prefix.Plant(acrobat + L"10.0\\cache\\search\\lower.idx");  // the test is case-sensitive
  EXPECT_EQ(RunCategory(L"Adobe_Reader_Cache"), (Found{{kCaption, acrobat + L"9.0\\Cache\\Search\\sub\\x.idx"},
                                                       {kCaption, acrobat + L"9.0\\Cache\\Search\\top.idx"},
                                                       {kCaption, acrobat + L"9.0\\Cache\\Search\\sub\\x.idx"}}));
}

TEST_F(ApplicationRules, MSNMessengerStepsInOrder) {
  const std::wstring kCaption = L"MSN Messenger";
  prefix.Plant(kRoaming + L"Microsoft\\MSN Messenger\\data.sqm");
  prefix.Plant(kRoaming + L"Microsoft\\MSN Messenger\\1234\\contacts.SQM");  // the extension test is case-sensitive
  prefix.Plant(kRoaming + L"Microsoft\\MSN Messenger\\old.sqm.bak");
  prefix.Plant(kRoaming + L"Microsoft\\MSN Messenger\\1234\\deep.sqm");
  prefix.Plant(kLocal + L"Microsoft\\Windows Live Contacts\\{id}\\DBStore\\contacts.edb");
  prefix.Plant(kProfile + L"Contacts\\me.contact");
  prefix.Plant(kLocal + L"Microsoft\\Messenger\\user\\ObjectStore\\a.dat");
  EXPECT_EQ(RunCategory(L"MSN_Messenger"),
            (Found{{kCaption, kLocal + L"Microsoft\\Messenger\\user\\ObjectStore\\a.dat"},
                   {kCaption, kProfile + L"Contacts\\me.contact"},
                   {kCaption, kLocal + L"Microsoft\\Windows Live Contacts\\{id}\\DBStore\\contacts.edb"},
                   {kCaption, kRoaming + L"Microsoft\\MSN Messenger\\1234\\deep.sqm"},
                   {kCaption, kRoaming + L"Microsoft\\MSN Messenger\\data.sqm"}}));
}

TEST_F(ApplicationRules, DynDNSLogsByMask) {
  const std::wstring kCaption = L"DynDNS Logs";
  const std::wstring folder = kProgramFiles + L"DynDNS Updater\\";
  for (const wchar_t* name : {L"DynDNS-Updater.log", L"dyndns.log", L"DynDNS.txt", L"logs\\dyndns-2010.LOG",
                              L"Updater.log", L"dyndns.log.old"})
    prefix.Plant(folder + name);
  EXPECT_EQ(RunCategory(L"DynDNS_Logs"), (Found{{kCaption, folder + L"DynDNS-Updater.log"},
                                                {kCaption, folder + L"dyndns.log"},
                                                {kCaption, folder + L"logs\\dyndns-2010.LOG"}}));
}

TEST_F(ApplicationRules, QLMByExtensionOverBothRootsThenTheCaches) {
  const std::wstring kCaption = L"QLM Cache";
  const std::wstring roaming = kRoaming + L"QLM\\";
  const std::wstring local = kLocal + L"QLM\\";
  for (const std::wstring& path : {roaming + L"a.log", roaming + L"b.tmp", roaming + L"c.ctc", roaming + L"d.fl",
                                   roaming + L"e.txt", roaming + L"sub\\f.log", local + L"g.LOG", local + L"h.tmp",
                                   roaming + L"Cache\\x\\y.bin", local + L"Cache\\z.dat"})
    prefix.Plant(path);
  EXPECT_EQ(RunCategory(L"QLM_Cache"), (Found{{kCaption, roaming + L"a.log"},
                                              {kCaption, local + L"g.LOG"},
                                              {kCaption, roaming + L"d.fl"},
                                              {kCaption, roaming + L"c.ctc"},
                                              {kCaption, roaming + L"b.tmp"},
                                              {kCaption, local + L"h.tmp"},
                                              {kCaption, roaming + L"Cache\\x\\y.bin"},
                                              {kCaption, local + L"Cache\\z.dat"}}));
}

TEST_F(ApplicationRules, GoogleEarthFourRootsAndNoLocalLow) {
  const std::wstring kCaption = L"Google Earth Cache";
  const std::wstring local = kLocal + L"Google\\GoogleEarth\\";
  const std::wstring low = kLocalLow + L"Google\\GoogleEarth\\";
  for (const std::wstring& path :
       {local + L"dbCache.dat", local + L"dbCache.dat.index", local + L"unified_cache_leveldb_leveldb2\\000003.ldb",
        local + L"Cache\\dbCache.dat", low + L"dbCache.dat.index",
        low + L"Cache\\unified_cache_leveldb_leveldb2\\CURRENT", local + L"myplaces.kml", local + L"dbCache.dat.bak",
        local + L"Cache\\sub\\dbCache.dat"})
    prefix.Plant(path);
  const Found localOnly{{kCaption, local + L"dbCache.dat"},
                        {kCaption, local + L"dbCache.dat.index"},
                        {kCaption, local + L"unified_cache_leveldb_leveldb2\\000003.ldb"},
                        {kCaption, local + L"Cache\\dbCache.dat"}};
  Found all = localOnly;
  all.emplace_back(kCaption, low + L"dbCache.dat.index");
  all.emplace_back(kCaption, low + L"Cache\\unified_cache_leveldb_leveldb2\\CURRENT");
  EXPECT_EQ(RunCategory(L"Google_Earth_Cache"), all);

  KnownFolders noLocalLow = ResolveKnownFolders();
  noLocalLow.localLow.clear();
  EXPECT_EQ(testsupport::RunCategoryWith(L"Google_Earth_Cache", noLocalLow), localOnly);
}

TEST_F(ApplicationRules, TomTomOnlyTheProfilesUpdates) {
  const std::wstring kCaption = L"TomTom Cache";
  const std::wstring profiles = kRoaming + L"TomTom\\HOME\\Profiles\\";
  prefix.Plant(profiles + L"a.default\\Updates\\u.zip");
  prefix.Plant(profiles + L"a.default\\Updates\\sub\\w.zip");
  prefix.Plant(profiles + L"a.default\\Maps\\m.dat");
  prefix.Plant(profiles + L"b.default\\updates\\v.zip");  // the test is case-sensitive
  prefix.Plant(profiles + L"c.backup\\Updates\\x.zip");
  prefix.Plant(kRoaming + L"TomTom\\HOME\\Download\\x.default\\Updates\\d.zip");
  EXPECT_EQ(RunCategory(L"TomTom_Cache"), (Found{{kCaption, profiles + L"a.default\\Updates\\sub\\w.zip"},
                                                 {kCaption, profiles + L"a.default\\Updates\\u.zip"}}));
}

}  // namespace

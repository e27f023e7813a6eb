// The browser categories on a planted tree: what must be found, in order, and
// the near-misses planted beside it that must not.
#include <gtest/gtest.h>

#include <vector>

#include "platform/posix/memory_stores.h"
#include "system/log.h"
#include "tests/support/fake_clock.h"
#include "tests/support/planted_prefix.h"
#include "tests/support/run_category.h"

namespace {

using namespace testsupport::planted;

using testsupport::Found;
using testsupport::RunCategory;


// Rows of one caption, for the paths in the order given.
Found Rows(const std::wstring& caption, const std::wstring& base, std::initializer_list<const wchar_t*> paths) {
  Found found;
  for (const wchar_t* path : paths) found.emplace_back(caption, base + path);
  return found;
}

Found operator+(Found a, const Found& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class BrowserRules : public ::testing::Test {
 protected:
  void PlantAll(const std::wstring& base, std::initializer_list<const wchar_t*> paths) {
    for (const wchar_t* path : paths) prefix.Plant(base + path);
  }

  testsupport::PlantedPrefix prefix;
};

TEST_F(BrowserRules, ChromeCachesJournalsBesideDatabasesAndFixedFiles) {
  const std::wstring data = kLocal + L"Google\\Chrome\\User Data\\";
  PlantAll(data, {L"Default\\Cache\\data_0", L"Default\\Cache\\sub\\f_000001", L"Default\\GPUCache\\data_1",
                  L"ShaderCache\\GPUCache\\index", L"Default\\Service Worker\\CacheStorage\\abc\\x",
                  L"Default\\Storage\\ext\\e\\y", L"Default\\Service Worker\\Database\\MANIFEST",
                  L"Default\\Service Worker\\ScriptCache\\s", L"Default\\IndexedDB\\i.leveldb\\LOG",
                  L"Local State-Journal", L"Default\\Cookies-journal", L"Default\\databases\\Databases.db-journal",
                  L"Default\\Visited Links", L"Default\\Top Sites", L"Default\\DownloadMetadata"});
  // Near-misses: the databases themselves, journals in other subfolders or
  // deeper than the databases folder, caches of other profiles, a folder named
  // like a fixed file.
  PlantAll(data, {L"Default\\Cookies", L"Default\\Extension State\\000003-journal",
                  L"Default\\databases\\sub\\deep-journal", L"Default\\Code Cache\\js\\x", L"Profile 1\\Cache\\y",
                  L"Default\\Preferences"});
  prefix.MakeFolder(data + L"Default\\Last Tabs");
  EXPECT_EQ(RunCategory(L"Google_Chrome_Cache"),
            Rows(L"Google Chrome Cache", data,
                 {L"Default\\Cache\\data_0", L"Default\\Cache\\sub\\f_000001", L"Default\\GPUCache\\data_1",
                  L"ShaderCache\\GPUCache\\index", L"Default\\Service Worker\\CacheStorage\\abc\\x",
                  L"Default\\Storage\\ext\\e\\y", L"Default\\Service Worker\\Database\\MANIFEST",
                  L"Default\\Service Worker\\ScriptCache\\s", L"Default\\IndexedDB\\i.leveldb\\LOG",
                  L"Local State-Journal", L"Default\\Cookies-journal", L"Default\\databases\\Databases.db-journal",
                  L"Default\\Visited Links", L"Default\\Top Sites", L"Default\\DownloadMetadata"}));
}

TEST_F(BrowserRules, EdgeChromiumHasNoUserDataJournalsNorDownloadMetadata) {
  const std::wstring data = kLocal + L"Microsoft\\Edge\\User Data\\";
  PlantAll(data, {L"Default\\Cache\\Cache_Data\\f_1", L"Default\\GpuCache\\d", L"ShaderCache\\GPUCache\\s",
                  L"Default\\Service Worker\\ScriptCache\\sc", L"Default\\IndexedDB\\db\\x",
                  L"Default\\History-journal", L"Default\\databases\\d-journal", L"Default\\Visited Links"});
  PlantAll(data, {L"Local State-journal", L"Default\\DownloadMetadata", L"Default\\History"});
  EXPECT_EQ(RunCategory(L"Microsoft_Edge_Chromium"),
            Rows(L"Microsoft Edge Chromium", data,
                 {L"Default\\Cache\\Cache_Data\\f_1", L"Default\\GpuCache\\d",
                  L"Default\\Service Worker\\ScriptCache\\sc", L"ShaderCache\\GPUCache\\s",
                  L"Default\\IndexedDB\\db\\x", L"Default\\History-journal", L"Default\\databases\\d-journal",
                  L"Default\\Visited Links"}));
}

TEST_F(BrowserRules, BraveJournalsAnywhereTmpOnlyAtTheTop) {
  const std::wstring data = kLocal + L"BraveSoftware\\Brave-Browser\\User Data\\";
  PlantAll(data, {L"Default\\Cache\\c", L"Default\\File System\\000\\p\\f", L"ShaderCache\\GPUCache\\g",
                  L"Default\\IndexedDB\\i", L"Default\\Extension Rules\\x-journal", L"Profile 1\\History-Journal",
                  L"Local State-journal", L"abc.tmp", L"Default\\Session Storage\\000003.log",
                  L"Default\\Extension State\\LOG", L"Default\\Current Session", L"Default\\Last Session",
                  L"Default\\Top Sites", L"Default\\DownloadMetadata"});
  PlantAll(data, {L"Default\\x.TMP", L"Default\\Preferences", L"Profile 1\\Cache\\c", L"tmp.dat"});
  EXPECT_EQ(RunCategory(L"Brave_Browser"),
            Rows(L"Brave Browser", data,
                 {L"Default\\Cache\\c", L"Default\\File System\\000\\p\\f", L"ShaderCache\\GPUCache\\g",
                  L"Default\\IndexedDB\\i", L"Default\\Extension Rules\\x-journal", L"Local State-journal",
                  L"Profile 1\\History-Journal", L"abc.tmp", L"Default\\Session Storage\\000003.log",
                  L"Default\\Extension State\\LOG", L"Default\\Current Session", L"Default\\Last Session",
                  L"Default\\Top Sites", L"Default\\DownloadMetadata"}));
}

TEST_F(BrowserRules, LegacyEdgeAndCortanaByPathParts) {
  const std::wstring edge = kLocal + L"Packages\\Microsoft.MicrosoftEdge_8wekyb3d8bbwe\\AC\\";
  PlantAll(edge, {L"#!001\\MicrosoftEdge\\Cache\\ABC\\page.htm", L"MicrosoftEdge\\User\\Default\\DOMStore\\x.xml",
                  L"MicrosoftEdge\\User\\Default\\Recovery\\Active\\r.dat", L"Temp\\t.tmp"});
  PlantAll(edge, {L"direct.dat", L"MicrosoftEdge\\cachestuff\\n.dat",
                  L"MicrosoftEdge\\User\\Default\\Recovery\\Backup\\b.dat", L"INetCache\\i.dat"});
  const std::wstring cortana = kLocal + L"Packages\\Microsoft.Windows.Cortana_cw5n1h2txyewy\\AC\\";
  PlantAll(cortana, {L"AppCache\\a\\m.dat", L"INetCache\\x\\c.dat", L"INetCookies\\k.txt"});
  PlantAll(cortana, {L"Temp\\t.tmp", L"LocalState\\s.dat"});
  EXPECT_EQ(RunCategory(L"Microsoft_Edge"),
            Rows(L"Microsoft Edge", edge,
                 {L"#!001\\MicrosoftEdge\\Cache\\ABC\\page.htm", L"MicrosoftEdge\\User\\Default\\DOMStore\\x.xml",
                  L"MicrosoftEdge\\User\\Default\\Recovery\\Active\\r.dat", L"Temp\\t.tmp"}) +
                Rows(L"Microsoft Edge", cortana,
                     {L"AppCache\\a\\m.dat", L"INetCache\\x\\c.dat", L"INetCookies\\k.txt"}));
}

TEST_F(BrowserRules, CookiesAtAnyDepth) {
  const std::wstring cookies = kLocal + L"Microsoft\\Windows\\INetCookies\\";
  PlantAll(cookies, {L"a.txt", L"desktop.ini", L"Low\\b.txt"});
  EXPECT_EQ(RunCategory(L"Cookies"), Rows(L"Cookie", cookies, {L"a.txt", L"Low\\b.txt"}));
}

TEST_F(BrowserRules, FirefoxFirstCacheFolderOnlyAndCrashReportsPendingOrSubmitted) {
  const std::wstring roaming = kRoaming + L"Mozilla\\Firefox\\";
  const std::wstring local = kLocal + L"Mozilla\\Firefox\\";
  PlantAll(roaming, {L"Profiles\\aaaa.default\\formhistory.sqlite", L"Profiles\\bbbb.default-release\\downloads.sqlite",
                     L"Profiles\\aaaa.default\\sessionCheckpoints.json",
                     L"Profiles\\bbbb.default-release\\FormHistory.sqlite",
                     L"Profiles\\aaaa.default\\storage\\default\\https+++x\\ls\\data.sqlite",
                     L"Crash Reports\\pending\\p.dmp", L"Crash Reports\\submitted\\bp-1.txt"});
  PlantAll(roaming, {L"Profiles\\bbbb.default-release\\storage\\default\\https+++y\\idb\\a.sqlite",
                     L"Profiles\\aaaa.default\\storage\\permanent\\chrome\\p.sqlite",
                     L"Profiles\\aaaa.default\\places.sqlite", L"Profiles\\aaaa.default\\urlclassifier3.sqlite",
                     L"Crash Reports\\events\\e1", L"Crash Reports\\InstallTime2024"});
  PlantAll(local, {L"Profiles\\aaaa.default\\cache2\\entries\\E1", L"Profiles\\aaaa.default\\cache2\\doomed\\D",
                   L"Profiles\\bbbb.default-release\\Cache\\old\\o", L"Profiles\\aaaa.default\\jumpListCache\\j.ico",
                   L"Profiles\\aaaa.default\\startupCache\\startupCache.8.little",
                   L"Profiles\\aaaa.default\\urlclassifier3.sqlite",
                   L"Profiles\\bbbb.default-release\\urlclassifier.sqlite"});
  // The second profile's cache2 is not the first one found.
  PlantAll(local, {L"Profiles\\bbbb.default-release\\cache2\\entries\\E2", L"Profiles\\aaaa.default\\times.json"});
  EXPECT_EQ(RunCategory(L"Firefox_Cache"),
            Rows(L"Firefox Cache", roaming,
                 {L"Profiles\\bbbb.default-release\\downloads.sqlite", L"Profiles\\aaaa.default\\formhistory.sqlite",
                  L"Profiles\\bbbb.default-release\\FormHistory.sqlite",
                  L"Profiles\\aaaa.default\\sessionCheckpoints.json",
                  L"Profiles\\aaaa.default\\storage\\default\\https+++x\\ls\\data.sqlite"}) +
                Rows(L"Firefox Cache", local,
                     {L"Profiles\\bbbb.default-release\\Cache\\old\\o", L"Profiles\\aaaa.default\\cache2\\doomed\\D",
                      L"Profiles\\aaaa.default\\cache2\\entries\\E1", L"Profiles\\aaaa.default\\jumpListCache\\j.ico",
                      L"Profiles\\aaaa.default\\startupCache\\startupCache.8.little"}) +
                Rows(L"Firefox Cache", roaming,
                     {L"Crash Reports\\pending\\p.dmp", L"Crash Reports\\submitted\\bp-1.txt"}) +
                Rows(L"Firefox Cache", local,
                     {L"Profiles\\bbbb.default-release\\urlclassifier.sqlite",
                      L"Profiles\\aaaa.default\\urlclassifier3.sqlite"}));
}

TEST_F(BrowserRules, SongbirdFirstCacheFolderOnly) {
  const std::wstring songbird = kLocal + L"Songbird2\\Profiles\\";
  PlantAll(songbird, {L"x.default\\Cache\\a", L"x.default\\Cache\\sub\\b", L"y.default\\Cache\\c", L"x.default\\d.db"});
  EXPECT_EQ(RunCategory(L"Songbird_Cache"),
            Rows(L"Songbird Cache", songbird, {L"x.default\\Cache\\a", L"x.default\\Cache\\sub\\b"}));
}

TEST_F(BrowserRules, OperaCurrentAndLegacyLayouts) {
  const std::wstring stable = kRoaming + L"Opera Software\\Opera Stable\\";
  prefix.Plant(kLocal + L"Opera Software\\Opera Stable\\Cache\\Cache_Data\\f_1");
  PlantAll(stable, {L"Archived History", L"Cookies", L"Cookies-journal", L"foo.db-journal", L"History Provider Cache",
                    L"History-journal", L"Session.old", L"Visited Links"});
  PlantAll(stable, {L"Current Session", L"History", L"Login Data", L"Local Storage\\leveldb\\LOG"});
  prefix.Plant(kLocal + L"Opera\\Opera\\Cache\\g_0000\\opr00001.tmp");
  prefix.Plant(kLocal + L"Opera\\Opera\\opcache\\x");
  const std::wstring legacy = kRoaming + L"Opera\\Opera\\";
  PlantAll(legacy, {L"profile\\vlink4.dat", L"profile\\global.dat", L"profile\\sessions\\autosave.win",
                    L"profile\\cache\\c1", L"profile\\cache\\sub\\c2", L"zz\\cache4\\d1"});
  PlantAll(legacy, {L"profile\\opera6.ini", L"profile\\sessions\\other.win", L"zz\\store\\s"});
  // NameWithoutExt takes "profile.bak" for a profile; the names are compared exactly.
  prefix.Plant(kProgramFiles + L"Opera\\profile.bak\\global.dat");
  prefix.Plant(kProgramFiles + L"Opera\\Profile\\vlink4.dat");
  EXPECT_EQ(RunCategory(L"Opera_Cache"),
            Rows(L"Opera Cache", kLocal, {L"Opera Software\\Opera Stable\\Cache\\Cache_Data\\f_1"}) +
                Rows(L"Opera Cache", stable,
                     {L"Archived History", L"Cookies", L"Cookies-journal", L"foo.db-journal", L"History Provider Cache",
                      L"History-journal", L"Session.old", L"Visited Links"}) +
                Rows(L"Opera Cache", kLocal,
                     {L"Opera\\Opera\\Cache\\g_0000\\opr00001.tmp", L"Opera\\Opera\\opcache\\x"}) +
                Rows(L"Opera Cache", legacy,
                     {L"profile\\vlink4.dat", L"profile\\global.dat", L"profile\\sessions\\autosave.win",
                      L"profile\\cache\\c1", L"profile\\cache\\sub\\c2", L"zz\\cache4\\d1"}) +
                Rows(L"Opera Cache", kProgramFiles, {L"Opera\\profile.bak\\global.dat"}));
}

// The legacy browser's stores, handed to the run; each test starts with both
// empty and reachable.
class TemporaryInternetFiles : public BrowserRules {
 protected:

  // The rule with the cache or history folder left out, as when the platform
  // cannot supply it.
  Found Run(bool withCache, bool withHistory, bool* failed = nullptr) {
    ReviewList list;
    InlineDispatcher dispatcher;
    AnalysisHost host;
    host.dispatcher = &dispatcher;
    host.list = &list;
    host.log = &log;
    host.stores = &stores;
    KnownFolders folders = ResolveKnownFolders();
    if (!withCache) folders.internetCache.clear();
    if (!withHistory) folders.history.clear();
    AnalysisRun run(host, folders);
    run.SetCaption(L"Temporary Internet File");
    RuleFor(L"Temporary_Internet_Files")(run);
    if (failed) *failed = run.Failed();
    return testsupport::Rows(list);
  }

  void PlantStoreFolders() {
    PlantAll(cache, {L"Content.IE5\\ABCD1234\\page[1].htm", L"Content.IE5\\index.dat"});
    PlantAll(history, {L"History.IE5\\index.dat"});
    // Only the files directly in History.IE5 belong to the history store.
    PlantAll(history, {L"History.IE5\\MSHist012024\\index.dat", L"History.IE5\\desktop.ini", L"other.dat"});
  }

  const std::wstring cache = kLocal + L"Microsoft\\Windows\\INetCache\\";
  const std::wstring history = kLocal + L"Microsoft\\Windows\\History\\";
  testsupport::FakeClock clock;
  TKLog log{L"C:\\no-such-folder\\test.log", 100, false, clock};
  platform::MemoryUrlCache urlCache;
  platform::MemoryUrlHistory urlHistory;
  const IEStores stores{urlCache, urlHistory, [](const std::wstring&) { return true; }};
};

TEST_F(TemporaryInternetFiles, IndexFilesOnlyWhileTheirStoreHoldsEntries) {
  PlantStoreFolders();
  const std::wstring caption = L"Temporary Internet File";
  const Found page{{caption, cache + L"Content.IE5\\ABCD1234\\page[1].htm"}};
  const Found cacheIndex{{caption, cache + L"Content.IE5\\index.dat"}};
  const Found historyIndex{{caption, history + L"History.IE5\\index.dat"}};
  struct Case {
    const char* what;
    std::vector<std::wstring> cacheUrls, historyUrls;
    Found expected;
  };
  const Case cases[] = {
      {"both stores empty", {}, {}, page},
      {"both hold entries", {L"http://a/x.gif"}, {L"http://a/"}, page + cacheIndex + historyIndex},
      {"a history of https addresses only counts as empty", {L"Cookie:tester@a/"}, {L"https://a/"},
       page + cacheIndex},
      {"cache empty, history not", {}, {L"https://a/", L"HTTP://b/"}, page + historyIndex},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    urlCache.Reset();
    urlHistory.Reset();
    for (const std::wstring& url : c.cacheUrls) urlCache.Add(url);
    for (const std::wstring& url : c.historyUrls) urlHistory.Add(url);
    bool failed = true;
    EXPECT_EQ(Run(true, true, &failed), c.expected);
    EXPECT_FALSE(failed);
  }
  EXPECT_TRUE(log.Lines().empty());
}

TEST_F(TemporaryInternetFiles, UnreachableHistoryEndsTheRunAfterTheCache) {
  PlantStoreFolders();
  urlCache.Add(L"http://a/x.gif");
  urlHistory.Add(L"http://a/");
  urlHistory.SetAvailable(false);
  bool failed = false;
  EXPECT_EQ(Run(true, true, &failed),
            Rows(L"Temporary Internet File", cache,
                 {L"Content.IE5\\ABCD1234\\page[1].htm", L"Content.IE5\\index.dat"}));
  EXPECT_TRUE(failed);
}

TEST_F(TemporaryInternetFiles, MissingKnownFoldersAreLoggedAndSkipped) {
  PlantStoreFolders();
  urlCache.Add(L"http://a/x.gif");
  urlHistory.Add(L"http://a/");
  const std::wstring stamp = L"[26-03-14 09:05:07]";
  const std::wstring noCache = L"Error\t" + stamp + L"\tEmpty CSIDL_INTERNET_CACHE";
  const std::wstring noHistory = L"Error\t" + stamp + L"\tEmpty CSIDL_HISTORY";

  EXPECT_EQ(Run(false, true), Rows(L"Temporary Internet File", history, {L"History.IE5\\index.dat"}));
  EXPECT_EQ(log.Lines(), std::vector<std::wstring>{noCache});

  log.Clear();
  EXPECT_EQ(Run(true, false),
            Rows(L"Temporary Internet File", cache,
                 {L"Content.IE5\\ABCD1234\\page[1].htm", L"Content.IE5\\index.dat"}));
  EXPECT_EQ(log.Lines(), std::vector<std::wstring>{noHistory});

  log.Clear();
  bool failed = true;
  EXPECT_EQ(Run(false, false, &failed), Found{});
  EXPECT_EQ(log.Lines(), (std::vector<std::wstring>{noHistory, noCache}));
  EXPECT_FALSE(failed);
}

}  // namespace

// Rules of the categories that concern web browsers and browser-based programs.
#include <initializer_list>
#include <optional>

#include "analysis/analysis_run.h"
#include "analysis/name_tests.h"
#include "analysis/rules.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "system/ie_stores.h"
#include "system/log.h"

namespace {

// Every file below each folder, one listing after the other into the main list.
const PathList& FilesOfEach(AnalysisRun& run, const std::wstring& knownFolder,
                            std::initializer_list<const wchar_t*> folders) {
  run.mainList.clear();
  for (const wchar_t* folder : folders) ListFiles(AnalysisRun::Under(knownFolder, folder), run.mainList);
  return run.mainList;
}

// The files directly in each folder, one listing after the other.
const PathList& FlatFilesOfEach(AnalysisRun& run, const std::wstring& knownFolder,
                                std::initializer_list<const wchar_t*> folders) {
  run.mainList.clear();
  for (const wchar_t* folder : folders) ListFilesFlat(AnalysisRun::Under(knownFolder, folder), run.mainList);
  return run.mainList;
}

// Fixed files, offered untested: the gate drops those that are missing.
void OfferEach(AnalysisRun& run, const std::wstring& knownFolder, std::initializer_list<const wchar_t*> files) {
  if (knownFolder.empty()) return;
  for (const wchar_t* file : files) run.Offer(knownFolder + file);
}

// Transaction journals that sit beside a browser's databases.
bool IsJournal(const std::wstring& path) { return ContainsText(platform::FileNameOf(path), L"-journal"); }

bool PathContainsAny(const std::wstring& path, std::initializer_list<const wchar_t*> parts) {
  for (const wchar_t* part : parts)
    if (ContainsText(path, part)) return true;
  return false;
}

// Only the first folder of the name is listed, even when several profiles
// each have one.
void OfferFilesOfFirstFolderNamed(AnalysisRun& run, const std::wstring& root, const std::wstring& name,
                                  const std::function<bool(const std::wstring&)>& keep) {
  run.mainList.clear();
  FindFoldersNamed(root, name, run.mainList);
  if (run.mainList.empty()) return;
  const std::wstring first = run.mainList.front();
  run.OfferIf(run.Files(first), keep);
}

bool Always(const std::wstring&) { return true; }

}  // namespace

void GoogleChromeCacheRule(AnalysisRun& run) {
  const std::wstring& local = run.kf().localAppData;
  run.OfferAll(FilesOfEach(run, local,
                           {L"Google\\Chrome\\User Data\\Default\\Cache",
                            L"Google\\Chrome\\User Data\\Default\\GPUCache",
                            L"Google\\Chrome\\User Data\\ShaderCache\\GPUCache",
                            L"Google\\Chrome\\User Data\\Default\\Service Worker\\CacheStorage",
                            L"Google\\Chrome\\User Data\\Default\\Storage\\ext",
                            L"Google\\Chrome\\User Data\\Default\\Service Worker\\Database",
                            L"Google\\Chrome\\User Data\\Default\\Service Worker\\ScriptCache",
                            L"Google\\Chrome\\User Data\\Default\\IndexedDB"}));
  run.OfferIf(FlatFilesOfEach(run, local,
                              {L"Google\\Chrome\\User Data\\", L"Google\\Chrome\\User Data\\Default\\",
                               L"Google\\Chrome\\User Data\\Default\\databases"}),
              IsJournal);
  OfferEach(run, local,
            {L"Google\\Chrome\\User Data\\Default\\Visited Links", L"Google\\Chrome\\User Data\\Default\\Current Tabs",
             L"Google\\Chrome\\User Data\\Default\\Last Tabs", L"Google\\Chrome\\User Data\\Default\\Top Sites",
             L"Google\\Chrome\\User Data\\Default\\History Provider Cache",
             L"Google\\Chrome\\User Data\\Default\\Network Action Predictor",
             L"Google\\Chrome\\User Data\\Default\\DownloadMetadata"});
}

void MicrosoftEdgeRule(AnalysisRun& run) {
  const std::wstring& local = run.kf().localAppData;
  run.OfferIf(run.Files(AnalysisRun::Under(local, L"Packages\\Microsoft.MicrosoftEdge_8wekyb3d8bbwe\\AC\\")),
              [](const std::wstring& f) {
                return PathContainsAny(f, {L"\\DownloadHistory\\", L"\\Recovery\\active\\", L"\\cookies\\",
                                           L"\\history\\", L"\\cache\\", L"\\appcache\\", L"\\temp\\",
                                           L"\\domstore\\"});
              });
  run.OfferIf(run.Files(AnalysisRun::Under(local, L"Packages\\Microsoft.Windows.Cortana_cw5n1h2txyewy\\AC\\")),
              [](const std::wstring& f) {
                return PathContainsAny(f, {L"\\appcache\\", L"\\inetcache\\", L"\\inetcookies\\", L"\\domstore\\"});
              });
}

void MicrosoftEdgeChromiumRule(AnalysisRun& run) {
  const std::wstring& local = run.kf().localAppData;
  run.OfferAll(FilesOfEach(run, local,
                           {L"Microsoft\\Edge\\User Data\\Default\\Cache",
                            L"Microsoft\\Edge\\User Data\\Default\\GpuCache",
                            L"Microsoft\\Edge\\User Data\\Default\\Service Worker\\CacheStorage",
                            L"Microsoft\\Edge\\User Data\\Default\\Storage\\ext",
                            L"Microsoft\\Edge\\User Data\\Default\\Service Worker\\Database",
                            L"Microsoft\\Edge\\User Data\\Default\\Service Worker\\ScriptCache",
                            L"Microsoft\\Edge\\User Data\\ShaderCache\\GPUCache",
                            L"Microsoft\\Edge\\User Data\\Default\\IndexedDB"}));
  // Unlike Chrome, no journals of the User Data folder itself.
  run.OfferIf(FlatFilesOfEach(run, local,
                              {L"Microsoft\\Edge\\User Data\\Default\\",
                               L"Microsoft\\Edge\\User Data\\Default\\databases"}),
              IsJournal);
  OfferEach(run, local,
            {L"Microsoft\\Edge\\User Data\\Default\\Visited Links",
             L"Microsoft\\Edge\\User Data\\Default\\Current Tabs",
             L"Microsoft\\Edge\\User Data\\Default\\Last Tabs", L"Microsoft\\Edge\\User Data\\Default\\Top Sites",
             L"Microsoft\\Edge\\User Data\\Default\\History Provider Cache",
             L"Microsoft\\Edge\\User Data\\Default\\Network Action Predictor"});
}

void BraveBrowserRule(AnalysisRun& run) {
  const std::wstring& local = run.kf().localAppData;
  run.OfferAll(FilesOfEach(run, local,
                           {L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Cache",
                            L"BraveSoftware\\Brave-Browser\\User Data\\Default\\File System",
                            L"BraveSoftware\\Brave-Browser\\User Data\\Default\\GpuCache",
                            L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Service Worker\\CacheStorage",
                            L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Storage\\ext",
                            L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Service Worker\\Database",
                            L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Service Worker\\ScriptCache",
                            L"BraveSoftware\\Brave-Browser\\User Data\\ShaderCache\\GPUCache",
                            L"BraveSoftware\\Brave-Browser\\User Data\\Default\\IndexedDB"}));
  const std::wstring userData = AnalysisRun::Under(local, L"BraveSoftware\\Brave-Browser\\User Data\\");
  run.OfferIf(run.Files(userData), IsJournal);
  run.OfferIf(FlatFilesOfEach(run, local, {L"BraveSoftware\\Brave-Browser\\User Data\\"}),
              [](const std::wstring& f) { return platform::EndsWithNoCase(platform::FileNameOf(f), L".TMP"); });
  run.OfferAll(FilesOfEach(run, local,
                           {L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Session Storage",
                            L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Extension State"}));
  OfferEach(run, local,
            {L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Current Session",
             L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Last Session",
             L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Visited Links",
             L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Current Tabs",
             L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Last Tabs",
             L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Top Sites",
             L"BraveSoftware\\Brave-Browser\\User Data\\Default\\History Provider Cache",
             L"BraveSoftware\\Brave-Browser\\User Data\\Default\\Network Action Predictor",
             L"BraveSoftware\\Brave-Browser\\User Data\\Default\\DownloadMetadata"});
}

void CookiesRule(AnalysisRun& run) { run.OfferAll(run.Files(run.kf().cookies)); }

namespace {

// The index.dat files stand for the cache and history stores as a whole: they
// are found only while their store holds entries, and the cleaning empties the
// store instead of deleting them.
bool IsIndexFile(const std::wstring& path) { return platform::EqualsNoCase(platform::FileNameOf(path), L"index.dat"); }

}  // namespace

void TemporaryInternetFilesRule(AnalysisRun& run) {
  const KnownFolders& kf = run.kf();
  if (kf.internetCache.empty()) {
    run.Log(L"Empty CSIDL_INTERNET_CACHE", kLogError);
  } else {
    run.Files(kf.internetCache);
    const bool cacheEmpty = UrlCacheIsEmpty(run.Stores().urlCache);
    run.OfferIf(run.mainList, [cacheEmpty](const std::wstring& f) { return !(cacheEmpty && IsIndexFile(f)); });
  }

  run.mainList.clear();
  if (kf.history.empty()) {
    run.Log(L"Empty CSIDL_HISTORY", kLogError);
    return;
  }
  ListFilesFlat(kf.history + L"History.IE5\\", run.mainList);
  const std::optional<bool> historyEmpty = IEHistoryIsEmpty(run.Stores().urlHistory);
  if (!historyEmpty) {
    // Without the history object nothing is known about the history.
    run.Fail();
    return;
  }
  run.OfferIf(run.mainList, [&](const std::wstring& f) { return !(*historyEmpty && IsIndexFile(f)); });
}

void FirefoxCacheRule(AnalysisRun& run) {
  const std::wstring roaming = AnalysisRun::Under(run.kf().appData, L"Mozilla\\Firefox\\");
  const std::wstring local = AnalysisRun::Under(run.kf().localAppData, L"Mozilla\\Firefox\\");

  run.mainList.clear();
  for (const wchar_t* name : {L"downloads.sqlite", L"formhistory.sqlite", L"sessionCheckpoints.json"})
    FindFilesNamed(roaming, name, run.mainList);
  run.OfferAll(run.mainList);

  // Per-site storage, only of profiles whose folder name ends in .default.
  run.OfferIf(run.Files(roaming),
              [](const std::wstring& f) { return ContainsText(f, L".default\\storage\\default\\"); });

  for (const wchar_t* name : {L"Cache", L"Cache2", L"jumpListCache", L"startupCache"})
    OfferFilesOfFirstFolderNamed(run, local, name, Always);

  OfferFilesOfFirstFolderNamed(run, roaming, L"Crash Reports", [](const std::wstring& f) {
    return PathContainsAny(f, {L"\\pending\\", L"\\submitted\\"});
  });

  run.mainList.clear();
  for (const wchar_t* name : {L"urlclassifier.sqlite", L"urlclassifier2.sqlite", L"urlclassifier3.sqlite"})
    FindFilesNamed(local, name, run.mainList);
  run.OfferAll(run.mainList);
}

void SongbirdCacheRule(AnalysisRun& run) {
  OfferFilesOfFirstFolderNamed(run, AnalysisRun::Under(run.kf().localAppData, L"Songbird2\\"), L"Cache", Always);
}

namespace {

// The current profile's histories, visited links, cookies, session and their
// journals.
bool IsOperaProfileTrace(const std::wstring& path) {
  const std::wstring name = NameWithoutExt(path);
  return platform::EndsWithNoCase(name, L"-journal") || platform::StartsWithNoCase(name, L"history index") ||
         platform::StartsWithNoCase(name, L"archived history") || platform::StartsWithNoCase(name, L"visited links") ||
         platform::StartsWithNoCase(name, L"history provider cache") ||
         platform::EqualsNoCase(name, L"Cookies") || platform::EqualsNoCase(name, L"session") ||
         platform::EndsWithNoCase(ExtensionOf(path), L"-journal");
}

void OfferFilesIfFolderExists(AnalysisRun& run, const std::wstring& folder) {
  if (AnalysisRun::FolderExists(folder)) run.OfferAll(run.Files(folder));
}

// The legacy layout keeps "profile" folders and "cache4" folders anywhere
// below its roots. Folder names are compared exactly, as the browser writes them.
void OfferLegacyOperaProfiles(AnalysisRun& run, const std::wstring& root) {
  if (!AnalysisRun::FolderExists(root)) return;
  run.mainList.clear();
  ListFolders(root, run.mainList);
  for (const std::wstring& folder : run.mainList) {
    const std::wstring name = NameWithoutExt(folder);
    if (name == L"profile") {
      for (const wchar_t* file :
           {L"vlink4.dat", L"download.dat", L"opera.dir", L"global.dat", L"sessions\\autosave.win"})
        run.Offer(folder + L"\\" + file);
      const std::wstring cache = folder + L"\\cache\\";
      if (AnalysisRun::FolderExists(cache)) {
        run.innerList.clear();
        ListFiles(cache, run.innerList);
        run.OfferAll(run.innerList);
      }
    } else if (name == L"cache4") {
      run.innerList.clear();
      ListFiles(folder, run.innerList);
      run.OfferAll(run.innerList);
    }
  }
}

}  // namespace

void OperaCacheRule(AnalysisRun& run) {
  const KnownFolders& kf = run.kf();
  OfferFilesIfFolderExists(run, AnalysisRun::Under(kf.localAppData, L"Opera Software\\Opera Stable\\Cache\\"));
  run.OfferIf(run.Files(AnalysisRun::Under(kf.appData, L"Opera Software\\Opera Stable\\")), IsOperaProfileTrace);
  OfferFilesIfFolderExists(run, AnalysisRun::Under(kf.localAppData, L"Opera\\Opera\\Cache\\"));
  OfferFilesIfFolderExists(run, AnalysisRun::Under(kf.localAppData, L"Opera\\Opera\\opcache\\"));
  for (const std::wstring* knownFolder : {&kf.localAppData, &kf.appData, &kf.programFiles})
    OfferLegacyOperaProfiles(run, AnalysisRun::Under(*knownFolder, L"Opera\\"));
}

// Rules of the categories that concern the caches, databases and logs of
// individual desktop applications.
#include "analysis/analysis_run.h"
#include "analysis/name_tests.h"
#include "analysis/rules.h"
#include "platform/file_system.h"
#include "platform/win_path.h"

namespace {

bool ContainsCaseSensitive(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

}  // namespace

void COMODOSysLogRule(AnalysisRun& run) {
  run.Offer(AnalysisRun::Under(run.kf().programFiles, L"COMODO\\COMODO System-Cleaner\\CRC.log"));
}

void WindowsLiveCacheRule(AnalysisRun& run) {
  run.OfferAll(run.Files(AnalysisRun::Under(run.kf().programFiles, L"Common Files\\Windows Live\\.cache")));
}

void AdobeReaderCacheRule(AnalysisRun& run) {
  const std::wstring acrobat = AnalysisRun::Under(run.kf().localAppData, L"Adobe\\Acrobat\\");
  if (!AnalysisRun::FolderExists(acrobat)) return;
  run.mainList.clear();
  ListFolders(acrobat, run.mainList);
  // Case-sensitive on purpose, and a folder below a search cache matches as
  // well, so its files come once per matching folder above them.
  for (const std::wstring& folder : run.mainList) {
    if (!ContainsCaseSensitive(folder, L"Cache\\Search")) continue;
    run.innerList.clear();
    ListFiles(folder, run.innerList);
    run.OfferAll(run.innerList);
  }
}

void MSNMessengerRule(AnalysisRun& run) {
  const KnownFolders& kf = run.kf();
  run.OfferAll(run.Files(AnalysisRun::Under(kf.localAppData, L"Microsoft\\Messenger\\")));
  run.OfferAll(run.Files(AnalysisRun::Under(kf.profile, L"Contacts\\")));
  run.OfferAll(run.Files(AnalysisRun::Under(kf.localAppData, L"Microsoft\\Windows Live Contacts\\")));
  run.OfferIf(run.Files(AnalysisRun::Under(kf.appData, L"Microsoft\\MSN Messenger\\")),
              [](const std::wstring& f) { return ExtensionOf(f) == L".sqm"; });
}

void MacromediaCacheRule(AnalysisRun& run) {
  run.OfferAll(run.Files(AnalysisRun::Under(run.kf().appData, L"Macromedia\\Flash Player\\")));
}

void DynDNSLogsRule(AnalysisRun& run) {
  run.OfferIf(run.Files(AnalysisRun::Under(run.kf().programFiles, L"DynDNS Updater\\")),
              [](const std::wstring& f) { return MatchesMask(platform::FileNameOf(f), L"DYNDNS*.LOG"); });
}

void QLMCacheRule(AnalysisRun& run) {
  const KnownFolders& kf = run.kf();
  run.rootList.clear();
  run.rootList.push_back(AnalysisRun::Under(kf.appData, L"QLM\\"));
  run.rootList.push_back(AnalysisRun::Under(kf.localAppData, L"QLM\\"));
  for (const wchar_t* ext : {L".log", L".fl", L".CTC", L".tmp"}) {
    run.mainList.clear();
    ListFilesByExt(run.rootList, ext, run.mainList);
    run.OfferAll(run.mainList);
  }
  run.mainList.clear();
  run.rootList.clear();
  run.rootList.push_back(AnalysisRun::Under(kf.appData, L"QLM\\Cache\\"));
  run.rootList.push_back(AnalysisRun::Under(kf.localAppData, L"QLM\\Cache\\"));
  ListFiles(run.rootList, run.mainList);
  run.OfferAll(run.mainList);
}

void GoogleEarthCacheRule(AnalysisRun& run) {
  const KnownFolders& kf = run.kf();
  // Under() leaves the LocalLow roots empty when there is no LocalLow folder.
  const std::wstring roots[] = {
      AnalysisRun::Under(kf.localAppData, L"Google\\GoogleEarth\\"),
      AnalysisRun::Under(kf.localAppData, L"Google\\GoogleEarth\\Cache\\"),
      AnalysisRun::Under(kf.localLow, L"Google\\GoogleEarth\\"),
      AnalysisRun::Under(kf.localLow, L"Google\\GoogleEarth\\Cache\\"),
  };
  for (const std::wstring& root : roots) {
    if (root.empty()) continue;
    run.Offer(root + L"dbCache.dat");
    run.Offer(root + L"dbCache.dat.index");
    run.OfferAll(run.Files(root + L"unified_cache_leveldb_leveldb2\\"));
  }
}

void XnViewCacheRule(AnalysisRun& run) {
  const KnownFolders& kf = run.kf();
  run.Offer(AnalysisRun::Under(kf.programFiles, L"XnView\\cache\\XnView.db"));
  run.Offer(AnalysisRun::Under(kf.localAppData, L"XnView\\XnView.db"));
  run.Offer(AnalysisRun::Under(kf.appData, L"XnView\\XnView.db"));
}

void QuicktimeCacheRule(AnalysisRun& run) {
  run.OfferAll(run.Files(AnalysisRun::Under(run.kf().localAppData, L"Apple Computer\\QuickTime\\downloads")));
}

void TomTomCacheRule(AnalysisRun& run) {
  const std::wstring profiles = AnalysisRun::Under(run.kf().appData, L"TomTom\\HOME\\Profiles\\");
  if (!AnalysisRun::FolderExists(profiles)) return;
  // The update downloads kept in each device profile; the test is case-sensitive.
  run.OfferIf(run.Files(profiles),
              [](const std::wstring& f) { return ContainsCaseSensitive(f, L".default\\Updates\\"); });
}

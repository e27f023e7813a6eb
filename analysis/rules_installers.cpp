// Rules of the categories that find what installers, updaters and driver
// packages leave behind.
#include "analysis/analysis_run.h"
#include "analysis/name_tests.h"
#include "analysis/rules.h"
#include "platform/file_system.h"
#include "platform/win_path.h"
#include "system/log.h"

void AppleInstallerCacheRule(AnalysisRun& run) {
  const std::wstring& common = run.kf().commonAppData;
  run.OfferAll(run.Files(AnalysisRun::Under(common, L"Apple\\Installer Cache")));
  run.OfferAll(run.Files(AnalysisRun::Under(common, L"Apple Computer\\Installer Cache")));
}

void SpybotUpdateCacheRule(AnalysisRun& run) {
  run.mainList.clear();
  ListFilesFlat(AnalysisRun::Under(run.kf().programFiles, L"Spybot - Search & Destroy\\Updates\\"), run.mainList);
  // These two record the update state and stay. The first test is
  // case-sensitive and also spares online.ini.bak and the like.
  run.OfferIf(run.mainList, [](const std::wstring& f) {
    const std::wstring name = platform::FileNameOf(f);
    return name.compare(0, 10, L"online.ini") != 0 && !platform::EqualsNoCase(name, L"downloaded.ini");
  });
}

void AdAwareUpdateCacheRule(AnalysisRun& run) {
  run.OfferAll(run.Files(AnalysisRun::Under(run.kf().commonAppData, L"Lavasoft\\Ad-Aware\\Update\\")));
}

void SkypeInstallerCacheRule(AnalysisRun& run) {
  run.mainList.clear();
  FindFilesNamed(AnalysisRun::Under(run.kf().commonAppData, L"Skype\\"), L"Skype.msi", run.mainList);
  run.OfferAll(run.mainList);
}

namespace {

// Every file below each JRE installer folder under the two Java roots of base.
// A JRE folder nested in another is listed again for itself, so its files come
// once per matching folder.
void OfferJreInstallerFolders(AnalysisRun& run, const std::wstring& base, const std::wstring& sunJava,
                              const std::wstring& oracleJava) {
  run.innerList.clear();
  run.Log(L"Recursively listing folders in " + base, kLogVerbose);
  ListFolders(base + sunJava, run.innerList);
  ListFolders(base + oracleJava, run.innerList);
  run.Log(L"Analysing list (1/2)", kLogVerbose);
  for (std::wstring& folder : run.innerList)
    if (!MatchesMask(NameWithoutExt(folder), L"JRE*")) folder.clear();
  run.Log(L"Analysing list (2/2)", kLogVerbose);
  for (const std::wstring& folder : run.innerList) {
    if (folder.empty()) continue;
    run.OfferAll(run.Files(folder));
  }
}

}  // namespace

void SunJavaInstallerCacheRule(AnalysisRun& run) {
  const KnownFolders& kf = run.kf();
  if (AnalysisRun::FolderExists(kf.localLow)) OfferJreInstallerFolders(run, kf.localLow, L"Sun\\Java\\", L"Oracle\\Java\\");
  run.mainList.clear();
  if (AnalysisRun::FolderExists(kf.localAppData)) OfferJreInstallerFolders(run, kf.localAppData, L"Sun\\Java", L"Oracle\\Java");
  if (AnalysisRun::FolderExists(kf.localLow)) {
    run.Log(L"Recursively listing folders in " + kf.localLow, kLogVerbose);
    // The relative paths start with a separator: the items keep the doubled one.
    run.mainList.clear();
    ListFiles(kf.localLow + L"\\Sun\\Java\\Deployment\\cache\\", run.mainList);
    ListFiles(kf.localLow + L"\\Sun\\Java\\Deployment\\SystemCache\\", run.mainList);
    run.OfferAll(run.mainList);
  }
  run.Log(L"Done", kLogVerbose);
}

void AdobeReaderInstallerCacheRule(AnalysisRun& run) {
  const KnownFolders& kf = run.kf();
  const std::wstring adobe = AnalysisRun::Under(kf.programFiles, L"Adobe\\");
  if (AnalysisRun::FolderExists(adobe)) {
    run.mainList.clear();
    ListFolders(adobe, run.mainList);
    for (const std::wstring& folder : run.mainList) {
      if (!platform::EqualsNoCase(NameWithoutExt(folder), L"Setup Files")) continue;
      run.innerList.clear();
      ListFiles(folder, run.innerList);
      run.OfferAll(run.innerList);
    }
  }
  // The updater's downloaded packages.
  const std::wstring updater = AnalysisRun::Under(kf.commonAppData, L"Adobe\\ARM\\");
  if (AnalysisRun::FolderExists(updater)) run.OfferAll(run.Files(updater));
}

void GoogleUpdaterCacheRule(AnalysisRun& run) {
  run.OfferAll(run.Files(AnalysisRun::Under(run.kf().commonAppData, L"Google Updater\\cache")));
}

void NVIDIADriversCacheRule(AnalysisRun& run) {
  const KnownFolders& kf = run.kf();
  // A 32-bit program on 64-bit Windows gets the 32-bit folder for both known
  // folders, and the fixed path is what reaches the 64-bit one. Elsewhere the
  // fixed path names the program-files folder again and its files come twice.
  // The relative paths start with a separator: the items keep the doubled one.
  run.mainList.clear();
  ListFiles(L"c:\\NVIDIA\\DisplayDriver", run.mainList);
  if (!kf.programFilesX86.empty()) ListFiles(kf.programFilesX86 + L"\\NVIDIA Corporation\\Installer2", run.mainList);
  if (!kf.programFiles.empty() && kf.programFiles != kf.programFilesX86)
    ListFiles(kf.programFiles + L"\\NVIDIA Corporation\\Installer2", run.mainList);
  ListFiles(L"c:\\Program files\\NVIDIA Corporation\\Installer2", run.mainList);
  run.OfferAll(run.mainList);
}

void ATIDriversInstallerCacheRule(AnalysisRun& run) {
  const std::wstring support = L"c:\\ATI\\Support\\";
  if (AnalysisRun::FolderExists(support)) run.OfferAll(run.Files(support));
}

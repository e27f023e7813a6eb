// Rules of the categories that concern Windows itself.
#include <cstdint>

#include "analysis/analysis_run.h"
#include "analysis/name_tests.h"
#include "analysis/rules.h"
#include "analysis/same_content.h"
#include "platform/file_system.h"
#include "platform/recycle_bin.h"
#include "platform/win_path.h"
#include "system/file_exists_non_empty.h"
#include "system/log.h"

void RecycleBinRule(AnalysisRun& run) {
  if (platform::RecycleBinItemCount() > 0) run.Offer(L"");
}

void WindowsVirtualStoreRule(AnalysisRun& run) {
  const KnownFolders& kf = run.kf();
  if (kf.localAppData.size() < 3 || kf.windows.size() < 3) return;
  if (!platform::EqualsNoCase(kf.localAppData.substr(0, 3), kf.windows.substr(0, 3))) return;
  const std::wstring store = kf.localAppData + L"VirtualStore\\";
  const std::wstring drive = kf.windows.substr(0, 3);
  // Only copies whose shadowed folder is gone are orphans.
  run.OfferIf(run.Files(store), [&](const std::wstring& file) {
    std::wstring shadowed = drive + StripPrefix(file, store);
    return !AnalysisRun::FolderExists(platform::FolderOf(shadowed));
  });
}

// A package that cannot be compared (locked, unreadable, or not a regular
// file at all) is no duplicate and no reference: it is logged and left, and
// the analysis goes on.
void WindowsInstallerDuplicatesRule(AnalysisRun& run) {
  const std::wstring folder = AnalysisRun::Under(run.kf().windows, L"Installer\\");
  if (folder.empty()) return;
  PathList reference;
  platform::DirectoryReader reader(folder + L"*.ms*");
  while (reader.Next()) {
    const std::wstring& name = reader.Name();
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + name;
    const uint64_t size = platform::FileSize64(path);
    bool duplicate = false, comparable = true;
    for (auto earlier = reference.begin(); earlier != reference.end();) {
      if (platform::FileSize64(*earlier) != size) {
        ++earlier;
        continue;
      }
      std::wstring unreadable;
      const int same = SameContent(*earlier, path, &unreadable);
      if (!unreadable.empty()) run.Log(L"[SKIPPED] - Cannot be compared : " + unreadable, kLogError);
      if (unreadable == path) {
        comparable = false;
        break;
      }
      if (!unreadable.empty()) {
        earlier = reference.erase(earlier);
        continue;
      }
      if (same == 0) {
        duplicate = true;
        break;
      }
      ++earlier;
    }
    if (duplicate)
      run.Offer(path);
    else if (comparable)
      reference.push_back(path);
  }
}

void DrWatsonLogsRule(AnalysisRun& run) {
  run.OfferIf(run.Files(AnalysisRun::Under(run.kf().commonAppData, L"Microsoft\\Dr Watson")), [](const std::wstring& f) {
    std::wstring ext = platform::AsciiLowerCase(ExtensionOf(f));
    return ext == L".log" || ext == L".dmp";
  });
}

void TemporaryFilesRule(AnalysisRun& run) {
  const KnownFolders& kf = run.kf();
  run.OfferAll(run.Files(AnalysisRun::Under(kf.windows, L"Temp\\")));
  run.OfferAll(run.Files(AnalysisRun::Under(kf.profile, L"Local Settings\\Temp\\")));
  run.OfferAll(run.Files(AnalysisRun::Under(kf.localAppData, L"CrashDumps")));
  run.OfferAll(run.FilesByExtDeep(AnalysisRun::Under(kf.windows, L"Logs\\"), L".log"));
  run.OfferAll(run.FilesByExtDeep(AnalysisRun::Under(kf.windows, L"Microsoft.NET\\Framework\\"), L".log"));
  const std::wstring bootLog = AnalysisRun::Under(kf.windows, L"ntbtlog.txt");
  if (!bootLog.empty() && FileExistsNonEmpty(bootLog)) run.Offer(bootLog);
}

void RecentFilesRule(AnalysisRun& run) {
  if (run.kf().recent.size() <= 5) return;
  run.OfferAll(run.FilesByExtDeep(run.kf().recent, L".lnk"));
}

void WindowsDefenderHistoryRule(AnalysisRun& run) {
  run.OfferAll(run.Files(AnalysisRun::Under(
      run.kf().commonAppData, L"Microsoft\\Windows Defender\\Scans\\History\\Results\\Resource")));
}

void WindowsErrorReportsRule(AnalysisRun& run) {
  run.OfferAll(run.Files(AnalysisRun::Under(run.kf().localAppData, L"Microsoft\\Windows\\WER")));
}

void WindowsThumbnailsRule(AnalysisRun& run) {
  run.OfferIf(run.Files(AnalysisRun::Under(run.kf().localAppData, L"Microsoft\\Windows\\Explorer")),
              [](const std::wstring& f) { return platform::StartsWithNoCase(NameWithoutExt(f), L"thumbcache"); });
}

void MSTerminalCacheRule(AnalysisRun& run) {
  // The relative path starts with a separator: the item keeps the doubled one.
  const std::wstring cache =
      AnalysisRun::Under(run.kf().localAppData, L"\\Microsoft\\Terminal Server Client\\Cache\\bcache22.bmc");
  if (!cache.empty()) run.Offer(cache);
}

void PCHealthDumpsRule(AnalysisRun& run) {
  const std::wstring dumps = AnalysisRun::Under(run.kf().windows, L"PCHealth\\ErrorRep\\UserDumps\\");
  if (!AnalysisRun::FolderExists(dumps)) return;
  run.OfferAll(run.Files(dumps));
}

namespace {

// Every file below each folder of the main list whose name passes the test.
void OfferFilesBelowFolders(AnalysisRun& run, const std::function<bool(const std::wstring& name)>& wanted) {
  for (const std::wstring& folder : run.mainList) {
    if (!wanted(NameWithoutExt(folder))) continue;
    run.innerList.clear();
    ListFiles(folder + L"\\", run.innerList);
    run.OfferAll(run.innerList);
  }
}

}  // namespace

void HotfixesUninstallersRule(AnalysisRun& run) {
  const std::wstring& windows = run.kf().windows;
  if (AnalysisRun::FolderExists(windows)) {
    run.FoldersFlat(windows);
    OfferFilesBelowFolders(run, [](const std::wstring& name) {
      return platform::StartsWithNoCase(name, L"$NtUninstallKB") ||
             platform::StartsWithNoCase(name, L"$NtServicePackUninstall$");
    });
  }
  const std::wstring ie7 = AnalysisRun::Under(windows, L"\\ie7updates");
  if (AnalysisRun::FolderExists(ie7)) {
    run.FoldersFlat(ie7);
    OfferFilesBelowFolders(run, [](const std::wstring& name) { return platform::StartsWithNoCase(name, L"KB"); });
  }
  const std::wstring downloads = AnalysisRun::Under(windows, L"SoftwareDistribution\\Download");
  if (AnalysisRun::FolderExists(downloads)) {
    run.innerList.clear();
    ListFiles(downloads + L"\\", run.innerList);
    run.OfferAll(run.innerList);
  }
}

void WindowsLogFilesRule(AnalysisRun& run) {
  const std::wstring& windows = run.kf().windows;
  if (!AnalysisRun::FolderExists(windows)) return;
  run.OfferIf(run.FilesByExt(windows, L".log"), [](const std::wstring& f) {
    std::wstring name = NameWithoutExt(f);
    return !platform::EqualsNoCase(name, L"WindowsUpdate") && !platform::EqualsNoCase(name, L"Sti_Trace") &&
           !platform::StartsWithNoCase(name, L"wia");
  });
  run.OfferIf(run.FilesByExt(windows + L"Debug\\", L".log"),
              [](const std::wstring& f) { return !platform::EqualsNoCase(NameWithoutExt(f), L"PASSWD"); });
  run.OfferAll(run.Files(windows + L"system32\\wbem\\Logs\\"));
  run.OfferIf(run.FilesByExt(windows + L"inf\\", L".log"),
              [](const std::wstring& f) { return platform::StartsWithNoCase(NameWithoutExt(f), L"setupapi."); });
  run.OfferAll(run.FilesByExt(windows, L".bak"));
}

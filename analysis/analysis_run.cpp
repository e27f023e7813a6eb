#include "analysis/analysis_run.h"

#include "model/catalogue.h"
#include "model/format_size.h"
#include "model/review_list.h"
#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/recycle_bin.h"
#include "platform/win_path.h"
#include "platform/wow64.h"
#include "system/dispatcher.h"
#include "system/log.h"
#include "system/worker_thread.h"

AnalysisRun::AnalysisRun(AnalysisHost& host, KnownFolders folders)
    : host_(host),
      folders_(std::move(folders)),
      runningStores_(host.stores ? nullptr : new IEStores(RunningIEStores())) {}

void AnalysisRun::AddFoundItem(const std::wstring& caption, const std::wstring& path) {
  // Asked to stop (the window closes): no further row, even within a category
  // that lists thousands of files.
  if (StopRequested(host_.stop)) return;
  if (platform::EqualsNoCase(platform::FileNameOf(path), L"desktop.ini")) return;
  const bool recycleBin = caption == kRecycleBinCaption;
  int64_t size = 0;
  platform::FileIdentity identity;
  if (recycleBin) {
    size = static_cast<int64_t>(platform::RecycleBinSize());
  } else {
    // Listings see the disk with redirection off; the test and the size must
    // see the same file on 64-bit Windows.
    platform::FsRedirectionOff redirectionOff;
    platform::FileStatus status;
    if (!platform::QueryFileStatus(path, status) || !status.IsRegularFile()) return;
    size = static_cast<int64_t>(status.size);
    // Where the system offers none, the cleaning goes by the path alone.
    platform::QueryFileIdentity(path, identity);
  }
  host_.dispatcher->Invoke([&] {
    host_.list->Add(caption, path, FormatSize(size), std::move(identity));
    if (host_.itemAdded) host_.itemAdded(host_.list->Count() - 1, size);
  });
}

void AnalysisRun::OfferAll(const PathList& paths) {
  for (const std::wstring& path : paths) Offer(path);
}

void AnalysisRun::OfferIf(const PathList& paths, const std::function<bool(const std::wstring&)>& keep) {
  for (const std::wstring& path : paths)
    if (keep(path)) Offer(path);
}

std::wstring AnalysisRun::Under(const std::wstring& knownFolder, const std::wstring& relative) {
  return knownFolder.empty() ? std::wstring() : knownFolder + relative;
}

bool AnalysisRun::FolderExists(const std::wstring& path) {
  return !path.empty() && platform::WideFolderExists(platform::WithoutTrailingBackslash(path));
}

const PathList& AnalysisRun::Files(const std::wstring& root) {
  mainList.clear();
  ListFiles(root, mainList);
  return mainList;
}

const PathList& AnalysisRun::FilesByExt(const std::wstring& root, const std::wstring& ext) {
  mainList.clear();
  ListFilesByExt(root, ext, mainList);
  return mainList;
}

const PathList& AnalysisRun::FilesByExtDeep(const std::wstring& root, const std::wstring& ext) {
  mainList.clear();
  ListFilesByExtDeep(root, ext, mainList);
  return mainList;
}

const PathList& AnalysisRun::FoldersFlat(const std::wstring& root) {
  mainList.clear();
  ListFoldersFlat(root, mainList);
  return mainList;
}

void AnalysisRun::Log(const std::wstring& text, LogLevel level) {
  if (host_.log) host_.log->Add(text, level);
}

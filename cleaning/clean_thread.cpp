#include "cleaning/clean_thread.h"

#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "cleaning/amnesia.h"
#include "model/catalogue.h"
#include "model/review_list.h"
#include "platform/errors.h"
#include "platform/file_system.h"
#include "platform/file_time.h"
#include "platform/known_folders.h"
#include "platform/thread_priority.h"
#include "platform/wow64.h"
#include "system/dispatcher.h"
#include "system/exception_barrier.h"
#include "system/log.h"
#include "system/worker_thread.h"

namespace {

constexpr int64_t kYoungFileSeconds = 3600;

bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

// One cleaning run: the pass loop of the worker.
class CleaningRun {
 public:
  CleaningRun(const CleanHost& host, const CleanOptions& options)
      : host_(host),
        options_(options),
        list_(*host.list),
        runningStores_(host.stores ? nullptr : new IEStores(RunningIEStores())),
        stores_(host.stores ? *host.stores : *runningStores_),
        indexFiles_(IEIndexFilePaths(platform::KnownFolderPath(platform::kCsidlHistory),
                                     platform::KnownFolderPath(platform::kCsidlInternetCache))) {}

  // The freed bytes so far, also after an exception ended the run.
  uint64_t Freed() const { return freed_; }

  uint64_t Run() {
    int pass = 0;
    size_t checkedNow = 0, checkedBefore = 0;
    for (;;) {
      // After ten passes, go on only while the checked rows keep getting fewer.
      if (pass >= 10 && !(checkedNow < checkedBefore)) break;
      ++pass;
      checkedBefore = checkedNow;
      checkedNow = CountChecked();
      LogAdd(host_.log, L"Pass " + std::to_wstring(pass) + L" : " + std::to_wstring(checkedNow) + L" items to be deleted",
             kLogInfo);
      if (host_.passStarted) host_.dispatcher->Invoke([&] { host_.passStarted(pass, checkedNow); });
      deleted_ = false;
      const size_t rows = list_.Count();
      removedNow_.assign(rows, false);
      for (size_t i : PassOrder(rows)) {
        if (StopRequested(host_.stop)) {
          LogFlush(host_.log);
          return freed_;
        }
        const FoundItem& row = list_.At(i);
        if (list_.Checked(i) && !HandleRow(i, row)) {
          LogFlush(host_.log);
          return freed_;
        }
        ShowProgress(i, row);
      }
      LogFlush(host_.log);  // the pass's lines reach the file now
      if (!Sweep() || !deleted_) break;
    }
    return freed_;
  }

 private:
  // Rows in list order; with the Recycle method the Recycle Bin rows come
  // first wherever the list was sorted, so that emptying the bin never takes
  // the files this cleaning put into it.
  std::vector<size_t> PassOrder(size_t rows) const {
    std::vector<size_t> order;
    order.reserve(rows);
    const bool binFirst = options_.method == DeletionMethod::Recycle;
    if (binFirst)
      for (size_t i = 0; i < rows; ++i)
        if (list_.At(i).caption == kRecycleBinCaption) order.push_back(i);
    for (size_t i = 0; i < rows; ++i)
      if (!binFirst || list_.At(i).caption != kRecycleBinCaption) order.push_back(i);
    return order;
  }

  size_t CountChecked() const {
    size_t count = 0;
    for (size_t i = 0; i < list_.Count(); ++i) count += list_.Checked(i) ? 1 : 0;
    return count;
  }

  void ShowProgress(size_t index, const FoundItem& row) {
    if (!host_.progress) return;
    const std::wstring label = row.path.empty() ? row.caption : row.path;
    const std::wstring status = host_.cleaningText + L" (" + label + L")";
    host_.dispatcher->Invoke([&] { host_.progress(index, status); });
  }

  void Report(size_t index, const std::wstring& label, RowOutcome outcome) {
    if (host_.rowHandled) host_.dispatcher->Invoke([&] { host_.rowHandled(index, label, outcome); });
  }

  void LogDeletion(const std::wstring& path, bool stillThere, uint32_t errorCode) {
    if (!options_.logDeletions) return;
    const std::wstring outcome = stillThere ? L"[FAILED] - Error " + std::to_wstring(errorCode) : L"[SUCCESS]";
    LogAdd(host_.log, L"Deletion of : " + path + L" " + outcome, kLogInfo);
  }

  // What a path names now. Only "no such file" and "not a folder" on the way
  // mean gone; any other error leaves the question open (a folder that cannot
  // be searched may well hold the file).
  enum class PathState { Gone, File, Folder, Unknown };
  static PathState StateOf(const std::wstring& path, platform::FileStatus& status, uint32_t& error) {
    if (platform::QueryFileStatus(path, status)) return status.IsFolder() ? PathState::Folder : PathState::File;
    error = platform::LastErrorCode();
    return error == platform::kErrorFileNotFound || error == platform::kErrorPathNotFound ? PathState::Gone : PathState::Unknown;
  }

  // A file, or anything that may be one, is still at the path.
  static bool FileMayBeThere(const std::wstring& path) {
    platform::FileStatus status;
    uint32_t error = 0;
    const PathState state = StateOf(path, status, error);
    return state == PathState::File || state == PathState::Unknown;
  }

  bool IsYoung(const std::wstring& path) const {
    int64_t modified = 0;
    if (!platform::FileLastWriteTime(path, modified)) return false;
    return platform::UnixTimeNow() - modified <= kYoungFileSeconds;
  }

  // A row whose file is not the one found is never touched.
  void SkipChanged(size_t index, const std::wstring& path) {
    LogAdd(host_.log, L"[SKIPPED] - Changed since analysis : " + path, kLogInfo);
    Report(index, path, RowOutcome::Skipped);
  }

  // False when an error ends the run.
  bool HandleRow(size_t index, const FoundItem& row) {
    const std::wstring& caption = row.caption;
    const std::wstring& path = row.path;
    if ((options_.firefoxRunning && Contains(caption, L"Firefox")) ||
        (options_.songbirdRunning && Contains(caption, L"Songbird"))) {
      Report(index, path, RowOutcome::Skipped);
      return true;
    }
    if (caption == kRecycleBinCaption) {
      const RecycleBinEmptying emptying = EmptyRecycleBinMeasured();
      freed_ += emptying.freedBytes;
      // What stays in the bin says why, whether deletions are logged or not.
      if (!emptying.emptied)
        LogAdd(host_.log, L"Deletion of : " + caption + L" [FAILED] - Error " + std::to_wstring(emptying.errorCode),
               kLogError);
      Report(index, caption, emptying.emptied ? RowOutcome::Deleted : RowOutcome::Failed);
      return true;
    }
    platform::FileStatus status;
    uint32_t error = 0;
    switch (StateOf(path, status, error)) {
      case PathState::Gone:
        return true;
      case PathState::Unknown:
        LogDeletion(path, true, error);
        Report(index, path, RowOutcome::Failed);
        return true;
      case PathState::File:
        return HandleFile(index, row, status.size);
      case PathState::Folder:
        break;
    }
    // A folder where a file was found is not that file.
    if (row.identity.Known()) {
      SkipChanged(index, path);
      return true;
    }
    // Without an identity, only an empty folder goes.
    const bool removed = platform::RemoveEmptyFolder(path);
    if (removed) MarkRemoved(index);
    platform::FileStatus after;
    const bool stillThere = !removed && platform::QueryFileStatus(path, after) && after.IsFolder();
    LogDeletion(path, stillThere, platform::LastErrorCode());
    Report(index, path, stillThere ? RowOutcome::Failed : RowOutcome::Deleted);
    return true;
  }

  // A file, or a link found where a file was (removed as a link).
  bool HandleFile(size_t index, const FoundItem& row, uint64_t size) {
    const std::wstring& path = row.path;
    if (options_.automaticRun && Contains(row.caption, L"Temp") && IsYoung(path)) {
      Report(index, path, RowOutcome::Skipped);
      return true;
    }
    switch (CleanIndexFile(path, indexFiles_, stores_)) {
      case IndexFileCleaning::HistoryUnavailable:
        return false;
      case IndexFileCleaning::Scheduled: {
        // The file stays until the next restart: it frees nothing now.
        const bool stillThere = FileMayBeThere(path);
        LogDeletion(path, stillThere, platform::LastErrorCode());
        Report(index, path, RowOutcome::Scheduled);
        return true;
      }
      case IndexFileCleaning::NotAnIndexFile:
        break;
    }
    if (options_.method == DeletionMethod::Recycle) return RecycleFile(index, row);
    const ShredResult result = host_.amnesia->ShredFile(path, options_.method, options_.trim, row.identity);
    if (result.outcome == ShredOutcome::Changed) {
      SkipChanged(index, path);
      return true;
    }
    if (result.Deleted()) MarkRemoved(index);
    // A deleted name is gone: asking the disk again could only meet a file
    // created since, which was never found. A failed overwrite (a full disk)
    // leaves the file, and the run goes on with the next row.
    const bool stillThere = !result.Deleted() && FileMayBeThere(path);
    const uint32_t lastError = platform::LastErrorCode();
    // Bytes come free only when the file's last name goes.
    if (result.Deleted() && result.lastName) freed_ += size;
    LogDeletion(path, stillThere, result.errorCode != 0 ? result.errorCode : lastError);
    Report(index, path, stillThere ? RowOutcome::Failed : RowOutcome::Deleted);
    return true;
  }

  // Into the Recycle Bin as the file is: no new name, no overwrite, no trim.
  // A file in the bin still takes its room, so nothing counts as freed.
  bool RecycleFile(size_t index, const FoundItem& row) {
    const RecycleResult result = RecycleFoundFile(row.path, row.identity, host_.recycleMove);
    if (result.outcome == RecycleOutcome::Changed) {
      SkipChanged(index, row.path);
      return true;
    }
    const bool recycled = result.outcome == RecycleOutcome::Recycled;
    if (recycled) MarkRemoved(index);
    LogDeletion(row.path, !recycled, result.errorCode);
    Report(index, row.path, recycled ? RowOutcome::Recycled : RowOutcome::Failed);
    return true;
  }

  void MarkRemoved(size_t index) {
    deleted_ = true;
    removedNow_[index] = true;
  }

  // Removes every row whose path names nothing any more, and the history index
  // row once the history is empty. False when the history cannot be asked.
  // Rows this pass deleted go without asking the disk: a file that appeared
  // under such a name since was never found, and must not be taken for the row
  // and deleted by the next pass.
  bool Sweep() {
    std::vector<size_t> gone;
    bool historyAnswered = true;
    for (size_t i = 0; i < list_.Count(); ++i) {
      const std::wstring& path = list_.At(i).path;
      platform::FileStatus status;
      uint32_t error = 0;
      if ((i < removedNow_.size() && removedNow_[i]) || StateOf(path, status, error) == PathState::Gone) {
        gone.push_back(i);
      } else if (path == indexFiles_.history) {
        std::optional<bool> empty = IEHistoryIsEmpty(stores_.urlHistory);
        if (!empty) {
          historyAnswered = false;
          break;
        }
        if (*empty) gone.push_back(i);
      }
    }
    if (!gone.empty()) {
      // One hand-over for the whole sweep: the list is updated as one batch.
      host_.dispatcher->Invoke([&] {
        list_.DeleteRows(gone);
        if (host_.rowsRemoved) host_.rowsRemoved(gone);
      });
    }
    return historyAnswered;
  }

  const CleanHost& host_;
  const CleanOptions options_;
  ReviewList& list_;
  std::unique_ptr<IEStores> runningStores_;
  const IEStores& stores_;
  const IEIndexFiles indexFiles_;
  uint64_t freed_ = 0;
  bool deleted_ = false;
  std::vector<bool> removedNow_;  // by row: deleted in this pass
};

}  // namespace

uint64_t TCleanThd::Execute(const CleanHost& host, const CleanOptions& options) {
  // Files were found with redirection off; on 64-bit Windows the same names
  // must reach the same files here.
  platform::FsRedirectionOff redirectionOff;
  // An exception ends the run as a write error does.
  std::unique_ptr<CleaningRun> run;
  RunGuarded(host.log, L"the cleaning", [&] {
    run = std::make_unique<CleaningRun>(host, options);
    run->Run();
  });
  return run ? run->Freed() : 0;
}

void TCleanThd::Start(WorkerThread& worker, const CleanHost& host, const CleanOptions& options) {
  CleanHost owned = host;
  owned.stop = worker.StopFlag();
  worker.Start([host = std::move(owned), options]() {
    RunGuarded(host.log, L"the cleaning worker", [&] {
      platform::SetCurrentThreadLowestPriority();
      const uint64_t freed = Execute(host, options);
      if (host.done) host.dispatcher->Invoke([&] { host.done(freed); });
    });
  });
}

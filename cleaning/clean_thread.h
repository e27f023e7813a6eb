// The cleaning worker: deletes the checked rows of the review list in passes
// until a pass deletes nothing, hands each file to the secure deletion (or,
// with the Recycle method, moves it into the Recycle Bin) and the Recycle Bin
// and index-file rows to their stores, and removes the rows whose file is gone
// after every pass.
//
// The worker reads rows directly while the window keeps the list and every
// command that could change it disabled; every change it makes to the list or
// the displays is handed to the GUI thread (system/dispatcher.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cleaning/recycle_file.h"
#include "cleaning/system_stores.h"
#include "settings/settings_vocabulary.h"

class Dispatcher;
class ReviewList;
class TAmnesia;
class TKLog;
class WorkerThread;

struct CleanOptions {
  bool automaticRun = false;  // the one-hour rule for young temporary files
  bool firefoxRunning = false;
  bool songbirdRunning = false;
  bool logDeletions = false;
  DeletionMethod method = DeletionMethod::Standard;
  bool trim = false;
};

// What happened to one handled row (for front ends that report per row).
enum class RowOutcome { Deleted, Failed, Skipped, Scheduled, Recycled };

struct CleanHost {
  Dispatcher* dispatcher = nullptr;
  TKLog* log = nullptr;
  ReviewList* list = nullptr;
  TAmnesia* amnesia = nullptr;
  // The window's translated "Cleaning..." text.
  std::wstring cleaningText = L"Cleaning...";
  // The Internet Explorer stores; the running system's when not set.
  const IEStores* stores = nullptr;
  // The move into the Recycle Bin; the platform's when empty.
  RecycleMove recycleMove;
  // Set by the run's owner to end it before the next row, never in the middle
  // of a file's passes; may be null.
  const std::atomic<bool>* stop = nullptr;

  // GUI thread, each may be empty. progress: after every row of a pass, with
  // the row's index and the status text. rowsRemoved: after a sweep removed
  // rows (ascending indices, as they were before the removal). rowHandled:
  // after a checked row was handled. done: the end notification, also after
  // a run that an error ended. passStarted: at the start of every pass, with
  // its number (from 1) and the checked rows; rowHandled gets the row's index
  // in the list as it stands during the pass.
  std::function<void(int pass, size_t checkedRows)> passStarted;
  std::function<void(size_t row, const std::wstring& status)> progress;
  std::function<void(const std::vector<size_t>& removed)> rowsRemoved;
  std::function<void(size_t row, const std::wstring& label, RowOutcome outcome)> rowHandled;
  std::function<void(uint64_t freedBytes)> done;
};

class TCleanThd {
 public:
  // Starts one cleaning on worker's thread at the lowest priority; the end
  // notification is its last hand-over.
  static void Start(WorkerThread& worker, const CleanHost& host, const CleanOptions& options);
  // The run on the calling thread; returns the freed bytes. No end notification.
  static uint64_t Execute(const CleanHost& host, const CleanOptions& options);
};

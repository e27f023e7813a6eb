// The analysis worker: visits the catalogue in order, applies the rules of
// every enabled category, and hands each found item to the GUI thread.
#pragma once

#include "analysis/analysis_run.h"

class WorkerThread;

class TAnalyseThd {
 public:
  // Starts one run on worker's thread at the lowest priority; the end
  // notification is its last hand-over. A stop request ends the run before
  // the next category.
  static void Start(WorkerThread& worker, const AnalysisHost& host);

  // The run body on the calling thread; the end notification is not sent.
  static void Execute(AnalysisHost& host);
};

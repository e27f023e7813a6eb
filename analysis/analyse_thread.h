// The analysis worker: visits the catalogue in order, applies the rules of
// every enabled category, and hands each found item to the GUI thread.
#pragma once

#include "analysis/analysis_run.h"

class TAnalyseThd {
 public:
  // Starts one run on a new thread at the lowest priority. The thread frees
  // everything it owns after the end notification has run on the GUI thread.
  static void Start(const AnalysisHost& host);

  // The run body on the calling thread; the end notification is not sent.
  static void Execute(AnalysisHost& host);
};

// What every front end does around a cleaning, written once: the options the
// settings give the worker, which browsers run now, and the log lines that
// frame a cleaning.
#pragma once

#include <string>
#include <vector>

#include "cleaning/clean_thread.h"
#include "settings/settings_vocabulary.h"

class TKLog;

struct RunningBrowsers {
  bool firefox = false;
  bool songbird = false;
};
RunningBrowsers RunningBrowsersIn(const std::vector<std::wstring>& titles);

// The worker's parameters: LogDeletions and Trim exactly "1", DeletionMethod
// "1Pass", "3Pass" or "Recycle" (letter case counts), the browsers' rows left alone when
// they run.
CleanOptions CleanOptionsFromSettings(bool automaticRun, const RunningBrowsers& browsers);

// "Start of cleaning", then the method's line when it overwrites or recycles.
void LogStartOfCleaning(TKLog* log, DeletionMethod method);
void LogEndOfCleaning(TKLog* log);

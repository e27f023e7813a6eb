#include "app/cleaning_session.h"

#include "app/running_browsers.h"
#include "system/log.h"

RunningBrowsers RunningBrowsersIn(const std::vector<std::wstring>& titles) {
  return RunningBrowsers{TitlesShowFirefox(titles), TitlesShowSongbird(titles)};
}

CleanOptions CleanOptionsFromSettings(bool automaticRun, const RunningBrowsers& browsers) {
  CleanOptions options;
  options.automaticRun = automaticRun;
  options.firefoxRunning = browsers.firefox;
  options.songbirdRunning = browsers.songbird;
  options.logDeletions = IsSettingOn(kLogDeletionsSetting);
  options.method = StoredDeletionMethod();
  options.trim = IsSettingOn(kTrimSetting);
  return options;
}

void LogStartOfCleaning(TKLog* log, DeletionMethod method) {
  LogAdd(log, L"Start of cleaning", kLogInfo);
  if (method == DeletionMethod::OnePassRandom) LogAdd(log, L"Method : 1 pass random", kLogInfo);
  if (method == DeletionMethod::ThreePassDoD) LogAdd(log, L"Method : 3 pass random (DoD)", kLogInfo);
  if (method == DeletionMethod::Recycle) LogAdd(log, L"Method : Recycle Bin", kLogInfo);
}

void LogEndOfCleaning(TKLog* log) { LogAdd(log, L"End of cleaning", kLogInfo); }

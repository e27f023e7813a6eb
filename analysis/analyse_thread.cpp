#include "analysis/analyse_thread.h"

#include <thread>

#include "analysis/listing.h"
#include "analysis/rules.h"
#include "model/catalogue.h"
#include "system/dispatcher.h"
#include "platform/thread_priority.h"
#include "system/exception_barrier.h"
#include "system/log.h"
#include "system/worker_thread.h"

void TAnalyseThd::Execute(AnalysisHost& host) {
  // An exception ends the run as a failing rule does: the rows found stay.
  RunGuarded(host.log, L"the analysis", [&] {
    UnreadableFolderHandler unreadable([&host](const std::wstring& folder) {
      if (host.folderUnreadable) host.dispatcher->Invoke([&] { host.folderUnreadable(folder); });
    });
    AnalysisRun run(host, ResolveKnownFolders());
    for (const Category& category : kCatalogue) {
      const bool enabled = host.isEnabled ? host.isEnabled(category.key) : IsCategoryEnabled(category.key);
      if (!enabled) continue;
      if (StopRequested(host.stop)) break;
      const std::wstring status = category.statusCaption;
      if (host.showStatus) host.dispatcher->Invoke([&] { host.showStatus(status); });
      run.Log(L"Analyzing : " + status, kLogInfo);
      run.SetCaption(category.itemCaption);
      if (Rule rule = RuleFor(category.key)) rule(run);
      if (run.Failed()) break;
    }
  });
  LogFlush(host.log);
}

void TAnalyseThd::Start(WorkerThread& worker, const AnalysisHost& host) {
  AnalysisHost owned = host;
  owned.stop = worker.StopFlag();
  worker.Start([host = std::move(owned)]() mutable {
    RunGuarded(host.log, L"the analysis worker", [&] {
      platform::SetCurrentThreadLowestPriority();
      Execute(host);
      if (host.done) host.dispatcher->Invoke(host.done);
    });
  });
}

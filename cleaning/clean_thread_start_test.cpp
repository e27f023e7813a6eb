// The worker on its own thread, with the GUI side served by this thread.
#include <gtest/gtest.h>

#include "cleaning/amnesia.h"
#include "cleaning/clean_thread.h"
#include "model/review_list.h"
#include "platform/recycle_bin.h"
#include "system/dispatcher.h"
#include "system/worker_thread.h"
#include "system/log.h"
#include "tests/support/planted_prefix.h"
#include "tests/support/temp_tree.h"

namespace {

TEST(CleanThreadStart, RecycleBinOnlyCleaningTakesOnePassAndNotifiesLast) {
  testsupport::PlantedPrefix prefix;
  testsupport::TempTree tree;
  prefix.PutInRecycleBin("one", 1000);
  prefix.PutInRecycleBin("two", 24);
  ReviewList list;
  list.Add(L"Recycle Bin", L"", L"1 Kb.");
  list.Add(L"Temporary File", tree.WriteFile(L"unchecked.tmp", "x"), L"1    b.");
  list.SetChecked(1, false);

  QueueDispatcher dispatcher;
  TKLog log(L"", 10000, false);
  TAmnesia amnesia;
  std::vector<std::wstring> statuses;
  std::vector<size_t> removed;
  uint64_t freed = 0;
  int doneCount = 0;
  CleanHost host;
  host.dispatcher = &dispatcher;
  host.log = &log;
  host.list = &list;
  host.amnesia = &amnesia;
  host.progress = [&](size_t row, const std::wstring& status) {
    EXPECT_EQ(row, statuses.size());
    statuses.push_back(status);
  };
  host.rowsRemoved = [&](const std::vector<size_t>& rows) { removed = rows; };
  host.done = [&](uint64_t bytes) {
    freed = bytes;
    ++doneCount;
    dispatcher.Stop();
  };
  WorkerThread worker;
  TCleanThd::Start(worker, host, CleanOptions());
  dispatcher.Serve();
  worker.Join();

  EXPECT_EQ(doneCount, 1);
  EXPECT_EQ(freed, 1024u);
  EXPECT_EQ(platform::RecycleBinItemCount(), 0u);
  EXPECT_EQ(statuses, (std::vector<std::wstring>{L"Cleaning... (Recycle Bin)",
                                                 L"Cleaning... (" + tree.Path(L"unchecked.tmp") + L")"}));
  EXPECT_EQ(removed, std::vector<size_t>{0});
  ASSERT_EQ(list.Count(), 1u);
  const std::vector<std::wstring> lines = log.Lines();
  ASSERT_EQ(lines.size(), 1u);  // emptying the bin sets no deleted flag: one pass
  EXPECT_NE(lines[0].find(L"\tPass 1 : 1 items to be deleted"), std::wstring::npos);
}

}  // namespace

// The cleaning passes over real files: what is deleted, what stays, the log
// lines, the freed bytes, and the rows left in the list.
#include "cleaning/clean_thread.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdio.h>
#include <unistd.h>
#endif

#include "cleaning/amnesia.h"
#include "model/review_list.h"
#include "platform/errors.h"
#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/file_time.h"
#include "platform/known_folders.h"
#include "platform/win_path.h"
#include "system/dispatcher.h"
#include "system/log.h"
#include "tests/support/held_file.h"
#include "tests/support/planted_prefix.h"
#include "tests/support/temp_tree.h"

namespace {

class CleanThread : public ::testing::Test {
 protected:
  std::wstring Plant(const std::wstring& name, size_t bytes, const std::wstring& caption = L"Temporary File") {
    std::wstring path = tree.WriteFile(name, std::string(bytes, 'x'));
    list.Add(caption, path, L"");
    return path;
  }

  uint64_t Clean(CleanOptions options) {
    host.dispatcher = &dispatcher;
    host.log = &log;
    host.list = &list;
    if (!host.amnesia) host.amnesia = &amnesia;
    host.rowHandled = [&](size_t row, const std::wstring& label, RowOutcome outcome) {
      outcomes.emplace_back(label, outcome);
      handledRows.push_back(row);
      if (afterRow) afterRow(label, outcome);
    };
    host.passStarted = [&](int pass, size_t checkedRows) { passes.emplace_back(pass, checkedRows); };
    return TCleanThd::Execute(host, options);
  }

  // Log lines without level and time stamp, oldest first.
  std::vector<std::wstring> Messages() const {
    std::vector<std::wstring> out;
    const std::vector<std::wstring> lines = log.Lines();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) out.push_back(it->substr(it->rfind(L'\t') + 1));
    return out;
  }

  std::vector<std::wstring> Paths() const {
    std::vector<std::wstring> out;
    for (size_t i = 0; i < list.Count(); ++i) out.push_back(list.At(i).path);
    return out;
  }

  testsupport::TempTree tree;
  InlineDispatcher dispatcher;
  TKLog log{L"", 10000, false};
  ReviewList list;
  TAmnesia amnesia;
  CleanHost host;
  std::vector<std::pair<std::wstring, RowOutcome>> outcomes;
  std::vector<size_t> handledRows;  // as the list stood when each was handled
  std::vector<std::pair<int, size_t>> passes;
  std::function<void(const std::wstring&, RowOutcome)> afterRow;  // runs as each row is reported
};

TEST_F(CleanThread, DeletesCheckedFilesAndLogsEachPass) {
  const std::wstring a = Plant(L"a.tmp", 100);
  const std::wstring b = Plant(L"sub\\b.tmp", 20);
  const std::wstring kept = Plant(L"kept.tmp", 7);
  list.SetChecked(2, false);
  CleanOptions options;
  options.logDeletions = true;
  options.method = DeletionMethod::ThreePassDoD;
  options.trim = true;
  EXPECT_EQ(Clean(options), 120u);
  EXPECT_EQ(Messages(), (std::vector<std::wstring>{L"Pass 1 : 2 items to be deleted", L"Deletion of : " + a + L" [SUCCESS]",
                                                   L"Deletion of : " + b + L" [SUCCESS]",
                                                   L"Pass 2 : 0 items to be deleted"}));
  EXPECT_FALSE(tree.Exists(L"a.tmp"));
  EXPECT_FALSE(tree.Exists(L"sub\\b.tmp"));
  EXPECT_EQ(tree.ReadFile(L"kept.tmp"), std::string(7, 'x'));
  EXPECT_EQ(Paths(), std::vector<std::wstring>{kept});  // unchecked rows stay
}

// Another program may write a file under a name just deleted. It was never
// found, so the sweep must not take it for the row and the next pass must not
// delete it.
TEST_F(CleanThread, AFileWrittenUnderADeletedNameIsNotTakenForItsRow) {
  const std::wstring a = Plant(L"a.tmp", 4);
  Plant(L"b.tmp", 6);
  afterRow = [&](const std::wstring& path, RowOutcome outcome) {
    if (path == a && outcome == RowOutcome::Deleted) tree.WriteFile(L"a.tmp", "new");
  };
  CleanOptions options;
  options.logDeletions = true;
  EXPECT_EQ(Clean(options), 10u);
  EXPECT_EQ(tree.ReadFile(L"a.tmp"), "new");
  EXPECT_TRUE(Paths().empty());
  EXPECT_EQ(passes, (std::vector<std::pair<int, size_t>>{{1, 2}, {2, 0}}));
}

// An exception out of a hand-over ends the run as a write error does: what
// was freed so far is reported, the rest stays, and the log says why.
TEST_F(CleanThread, AnExceptionEndsTheRunWithTheBytesFreedSoFar) {
  Plant(L"a.tmp", 4);
  Plant(L"b.tmp", 6);
  afterRow = [](const std::wstring&, RowOutcome) { throw std::runtime_error("view gone"); };
  EXPECT_EQ(Clean(CleanOptions()), 4u);
  EXPECT_TRUE(tree.Exists(L"b.tmp"));
  EXPECT_EQ(Messages().back(), L"Unexpected error in the cleaning: view gone");
}

TEST_F(CleanThread, AFileInUseIsRetriedWhileOthersGoAndReportedFailed) {
  const std::wstring a = Plant(L"a.tmp", 1);
  const std::wstring held = Plant(L"held.tmp", 5);
  const std::wstring c = Plant(L"c.tmp", 3);
  testsupport::HeldFile hold(held);
  if (!hold.Held()) GTEST_SKIP() << "this file system cannot hold a file against deletion";
  CleanOptions options;
  options.logDeletions = true;
  EXPECT_EQ(Clean(options), 4u);
  const std::vector<std::wstring> messages = Messages();
  ASSERT_EQ(messages.size(), 6u);
  EXPECT_EQ(messages[0], L"Pass 1 : 3 items to be deleted");
  EXPECT_EQ(messages[1], L"Deletion of : " + a + L" [SUCCESS]");
  EXPECT_EQ(messages[2].rfind(L"Deletion of : " + held + L" [FAILED] - Error ", 0), 0u) << messages[2];
  EXPECT_NE(messages[2].back(), L' ');  // an error code follows
  EXPECT_EQ(messages[4], L"Pass 2 : 1 items to be deleted");
  EXPECT_EQ(messages[5].rfind(L"Deletion of : " + held + L" [FAILED] - Error ", 0), 0u);
  EXPECT_EQ(Paths(), std::vector<std::wstring>{held});
  EXPECT_TRUE(list.Checked(0));
  // The sweep after pass 1 moved the held row to the top.
  EXPECT_EQ(handledRows, (std::vector<size_t>{0, 1, 2, 0}));
  EXPECT_EQ(passes, (std::vector<std::pair<int, size_t>>{{1, 3}, {2, 1}}));
}

TEST_F(CleanThread, YoungTemporaryFilesStayInAutomaticRunsOnly) {
  const int64_t now = platform::UnixTimeNow();
  const std::wstring young = Plant(L"young.tmp", 1);
  const std::wstring old = Plant(L"old.tmp", 1);
  const std::wstring youngCookie = Plant(L"cookie.txt", 1, L"Cookie");
  ASSERT_TRUE(platform::SetFileLastWriteTime(young, now - 59 * 60));
  ASSERT_TRUE(platform::SetFileLastWriteTime(old, now - 61 * 60));
  ASSERT_TRUE(platform::SetFileLastWriteTime(youngCookie, now - 60));
  CleanOptions automatic;
  automatic.automaticRun = true;
  Clean(automatic);
  EXPECT_EQ(Paths(), std::vector<std::wstring>{young});
  EXPECT_TRUE(tree.Exists(L"young.tmp"));

  Clean(CleanOptions());  // a manual cleaning takes it too
  EXPECT_TRUE(Paths().empty());
  EXPECT_FALSE(tree.Exists(L"young.tmp"));
}

TEST_F(CleanThread, RunningBrowsersKeepTheirRowsAndLogDeletionsOffLogsOnlyPasses) {
  const std::wstring firefox = Plant(L"ff\\cache2.bin", 1, L"Firefox Cache");
  const std::wstring songbird = Plant(L"sb\\cache.bin", 1, L"Songbird Cache");
  const std::wstring other = Plant(L"x.tmp", 1);
  CleanOptions options;
  options.firefoxRunning = true;
  Clean(options);
  EXPECT_EQ(Paths(), std::vector<std::wstring>{firefox});
  EXPECT_TRUE(list.Checked(0));
  EXPECT_TRUE(tree.Exists(L"ff\\cache2.bin"));
  EXPECT_FALSE(tree.Exists(L"sb\\cache.bin"));
  EXPECT_EQ(Messages(), (std::vector<std::wstring>{L"Pass 1 : 3 items to be deleted", L"Pass 2 : 1 items to be deleted"}));
  EXPECT_EQ(outcomes.front(), std::make_pair(firefox, RowOutcome::Skipped));
  (void)songbird;
  (void)other;
}

TEST_F(CleanThread, FilesOverFourGiBCountInFull) {
  const uint64_t size = (uint64_t(5) << 30) + 3;
  ASSERT_TRUE(tree.WriteSparseFile(L"big.tmp", size));
  const std::wstring big = tree.Path(L"big.tmp");
  list.Add(L"Temporary File", big, L"");
  EXPECT_EQ(Clean(CleanOptions()), size);
  EXPECT_FALSE(tree.Exists(L"big.tmp"));
}

TEST_F(CleanThread, AFolderInAFilesPlaceGoesOnlyWhenEmpty) {
  tree.MakeFolder(L"was-a-file");
  tree.WriteFile(L"full\\inside.txt", "x");
  list.Add(L"Temporary File", tree.Path(L"was-a-file"), L"");
  list.Add(L"Temporary File", tree.Path(L"full"), L"");
  CleanOptions options;
  options.logDeletions = true;
  EXPECT_EQ(Clean(options), 0u);  // folders free nothing
  EXPECT_FALSE(tree.Exists(L"was-a-file"));
  EXPECT_TRUE(tree.Exists(L"full\\inside.txt"));
  EXPECT_EQ(Paths(), std::vector<std::wstring>{tree.Path(L"full")});
  EXPECT_EQ(Messages()[1], L"Deletion of : " + tree.Path(L"was-a-file") + L" [SUCCESS]");
}

TEST_F(CleanThread, ScrambledFileThatCannotBeDeletedGetsItsNameBack) {
  const std::wstring held = Plant(L"held.tmp", 4);
  testsupport::HeldFile hold(held);
  if (!hold.Held()) GTEST_SKIP() << "this file system cannot hold a file against deletion";
  amnesia.scrambleNames = true;
  CleanOptions options;
  options.logDeletions = true;
  EXPECT_EQ(Clean(options), 0u);
  EXPECT_EQ(Paths(), std::vector<std::wstring>{held});  // the row stays, the file keeps its name
  EXPECT_TRUE(tree.Exists(L"held.tmp"));
  EXPECT_EQ(Messages()[1].rfind(L"Deletion of : " + held + L" [FAILED] - Error ", 0), 0u);
}

// A row as the analysis adds it: with the identity of the file it found.
void AddFound(ReviewList& list, const std::wstring& path) {
  platform::FileIdentity identity;
  ASSERT_TRUE(platform::QueryFileIdentity(path, identity));
  list.Add(L"Temporary File", path, L"", identity);
}

bool MakeHardLink(const std::wstring& existing, const std::wstring& link) {
#ifdef _WIN32
  return CreateHardLinkW(testsupport::NativePath(link).c_str(), testsupport::NativePath(existing).c_str(), nullptr);
#else
  return ::link(testsupport::NativePath(existing).c_str(), testsupport::NativePath(link).c_str()) == 0;
#endif
}

// Between the analysis and the deletion of its row, the file's place is taken
// over; whatever is there now was never found and must stay as it is.
TEST_F(CleanThread, ARowWhoseFileChangedSinceTheAnalysisIsLeftAlone) {
  struct Case {
    const char* name;
    std::function<void(testsupport::TempTree&)> change;  // after the first row went
    std::string victimAfter;  // what found\victim.tmp holds at the end
  };
#ifndef _WIN32
  auto swapFoundForLink = [](testsupport::TempTree& t) {
    ASSERT_EQ(rename(testsupport::NativePath(t.Path(L"found")).c_str(), testsupport::NativePath(t.Path(L"moved")).c_str()),
              0);
    ASSERT_EQ(symlink("outside", testsupport::NativePath(t.Path(L"found")).c_str()), 0);
  };
#endif
  const std::vector<Case> cases = {
      {"the file is replaced by another of the same name",
       [](testsupport::TempTree& t) {
         // Moved aside rather than deleted: a freed inode number is often
         // given straight to the next file, which would then be the same file.
         ASSERT_TRUE(platform::MoveFileTo(t.Path(L"found\\victim.tmp"), t.Path(L"replaced.tmp")));
         t.WriteFile(L"found\\victim.tmp", "newcomer");
       },
       "newcomer"},
#ifndef _WIN32
      {"its folder is swapped for a link to a folder outside with a same-named file",
       [&](testsupport::TempTree& t) {
         t.WriteFile(L"outside\\victim.tmp", "newcomer");
         swapFoundForLink(t);
       },
       "newcomer"},
      // The same inode under another name outside: only a walk that follows
      // no link keeps that name from going.
      {"its folder is swapped for a link to a folder holding another name of the file",
       [&](testsupport::TempTree& t) {
         t.MakeFolder(L"outside");
         ASSERT_TRUE(MakeHardLink(t.Path(L"found\\victim.tmp"), t.Path(L"outside\\victim.tmp")));
         swapFoundForLink(t);
       },
       std::string(16, 'v')},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::TempTree local;
    list.Clear();
    log.Clear();
    outcomes.clear();
    const std::wstring first = local.WriteFile(L"found\\first.tmp", "first");
    const std::wstring victim = local.WriteFile(L"found\\victim.tmp", std::string(16, 'v'));
    AddFound(list, first);
    AddFound(list, victim);
    afterRow = [&](const std::wstring& path, RowOutcome) {
      if (path == first) c.change(local);
    };
    CleanOptions options;
    options.method = DeletionMethod::ThreePassDoD;
    options.trim = true;
    options.logDeletions = true;
    EXPECT_EQ(Clean(options), 5u);
    EXPECT_EQ(local.ReadFile(L"found\\victim.tmp"), c.victimAfter);
    const std::vector<std::wstring> messages = Messages();
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(messages[1], L"Deletion of : " + first + L" [SUCCESS]");
    EXPECT_EQ(messages[2], L"[SKIPPED] - Changed since analysis : " + victim);
    EXPECT_EQ(outcomes.back(), std::make_pair(victim, RowOutcome::Skipped));
    EXPECT_EQ(Paths(), std::vector<std::wstring>{victim});
  }
}

// Some rules build paths with a doubled separator and the row keeps it as
// built: every step of every method reaches the file through that path.
TEST_F(CleanThread, APathWithADoubledSeparatorIsCleanedByEveryMethod) {
  const struct {
    const char* name;
    DeletionMethod method;
    bool trim;
    bool scramble;
  } methods[] = {
      {"standard", DeletionMethod::Standard, false, false},
      {"one pass", DeletionMethod::OnePassRandom, false, false},
      {"three passes", DeletionMethod::ThreePassDoD, false, false},
      {"trim", DeletionMethod::Standard, true, false},
      {"scramble", DeletionMethod::Standard, false, true},
  };
  const std::wstring path = tree.Root() + L"\\\\found\\\\old.tmp";
  for (const auto& m : methods) {
    SCOPED_TRACE(m.name);
    list.Clear();
    outcomes.clear();
    tree.WriteFile(L"found\\old.tmp", "content");
    // Old enough for an automatic run, which reads the age through the path.
    const int64_t old = platform::UnixTimeNow() - 7200;
    ASSERT_TRUE(platform::SetFileLastWriteTime(path, old));
    int64_t modified = 0;
    ASSERT_TRUE(platform::FileLastWriteTime(path, modified));
    EXPECT_EQ(modified, old);
    AddFound(list, path);
    amnesia.scrambleNames = m.scramble;
    CleanOptions options;
    options.method = m.method;
    options.trim = m.trim;
    options.automaticRun = true;
    EXPECT_EQ(Clean(options), 7u);
    EXPECT_EQ(outcomes, (std::vector<std::pair<std::wstring, RowOutcome>>{{path, RowOutcome::Deleted}}));
    EXPECT_FALSE(tree.Exists(L"found\\old.tmp"));
    EXPECT_TRUE(Paths().empty());
  }
}

// Only the file's last name frees its bytes: another name keeps them on disk.
TEST_F(CleanThread, FreedBytesCountOnlyFilesWhoseLastNameWent) {
  const std::wstring alone = tree.WriteFile(L"alone.tmp", std::string(100, 'a'));
  const std::wstring linked = tree.WriteFile(L"linked.tmp", std::string(30, 'l'));
  tree.MakeFolder(L"elsewhere");
  ASSERT_TRUE(MakeHardLink(linked, tree.Path(L"elsewhere\\other-name.dat")));
  AddFound(list, alone);
  AddFound(list, linked);
  for (int method : {0, 2}) {
    SCOPED_TRACE("method " + std::to_string(method));
    CleanOptions options;
    options.method = DeletionMethod(method);
    EXPECT_EQ(Clean(options), method == 0 ? 100u : 0u);
    if (method == 0) {
      // Again with the other name as the found one and a second name left.
      ASSERT_TRUE(MakeHardLink(tree.Path(L"elsewhere\\other-name.dat"), linked));
      AddFound(list, linked);
    }
  }
  EXPECT_FALSE(tree.Exists(L"linked.tmp"));
  EXPECT_EQ(tree.ReadFile(L"elsewhere\\other-name.dat"), std::string(30, 'l'));
}

// A per-file failure is that file's outcome: the run goes on with the rest.
TEST_F(CleanThread, AnOverwriteThatFailsIsReportedWithItsErrorAndTheRunGoesOn) {
  class FullDiskFile : public platform::SecureFile {
   public:
    bool WriteAt(uint64_t offset, const void* data, size_t count) override {
      if (platform::FileNameOf(Path()) == L"full.bin") return Fail(platform::kErrorDiskFull);
      return SecureFile::WriteAt(offset, data, count);
    }
  };
  TAmnesia failing([] { return std::make_unique<FullDiskFile>(); });
  host.amnesia = &failing;
  const std::wstring a = Plant(L"a.tmp", 3);
  const std::wstring full = Plant(L"full.bin", 5);
  const std::wstring c = Plant(L"c.tmp", 7);
  CleanOptions options;
  options.method = DeletionMethod::OnePassRandom;
  options.logDeletions = true;
  EXPECT_EQ(Clean(options), 10u);
  EXPECT_FALSE(tree.Exists(L"a.tmp"));
  EXPECT_FALSE(tree.Exists(L"c.tmp"));
  EXPECT_EQ(tree.ReadFile(L"full.bin"), std::string(5, 'x'));
  const std::vector<std::wstring> messages = Messages();
  ASSERT_GE(messages.size(), 4u);
  EXPECT_EQ(messages[2], L"Deletion of : " + full + L" [FAILED] - Error 112");
  EXPECT_EQ(messages[3], L"Deletion of : " + c + L" [SUCCESS]");
  EXPECT_EQ(Paths(), std::vector<std::wstring>{full});
}

#ifndef _WIN32
// Only "no such file" means gone: a path that cannot be looked at (here a
// folder link that loops) may still hold the file, and says why.
TEST_F(CleanThread, AStatusErrorOtherThanNotFoundIsAFailureWithItsCode) {
  ASSERT_EQ(symlink("loop", testsupport::NativePath(tree.Path(L"loop")).c_str()), 0);
  const std::wstring unreachable = tree.Path(L"loop\\file.tmp");
  const std::wstring gone = tree.Path(L"gone\\file.tmp");
  list.Add(L"Temporary File", unreachable, L"");
  list.Add(L"Temporary File", gone, L"");
  CleanOptions options;
  options.logDeletions = true;
  EXPECT_EQ(Clean(options), 0u);
  EXPECT_EQ(Messages(), (std::vector<std::wstring>{L"Pass 1 : 2 items to be deleted",
                                                   L"Deletion of : " + unreachable + L" [FAILED] - Error 1921"}));
  EXPECT_EQ(outcomes, (std::vector<std::pair<std::wstring, RowOutcome>>{{unreachable, RowOutcome::Failed}}));
  EXPECT_EQ(Paths(), std::vector<std::wstring>{unreachable});
}
#endif

// Stores that record what the cleaning asked of them.
class FakeHistory : public platform::UrlHistory {
 public:
  platform::HistoryAccess HasUrlWithPrefix(const std::wstring&, bool& found) override {
    found = !cleared;
    return available ? platform::HistoryAccess::Done : platform::HistoryAccess::Unavailable;
  }
  platform::HistoryAccess Clear() override {
    cleared = available;
    return available ? platform::HistoryAccess::Done : platform::HistoryAccess::Unavailable;
  }
  bool available = true;
  bool cleared = false;
};

class EmptyCache : public platform::UrlCache {
 public:
  std::unique_ptr<platform::UrlCacheEnumeration> First(std::wstring&, uint32_t& error) override {
    ++enumerations;
    error = platform::kErrorNoMoreItems;
    return nullptr;
  }
  bool DeleteEntry(const std::wstring&) override { return false; }
  int enumerations = 0;
};

TEST_F(CleanThread, IndexFilesAreScheduledAndTheirStoresEmptied) {
#ifndef _WIN32
  testsupport::PlantedPrefix prefix;  // gives the history and cache folders
#endif
  const std::wstring history = platform::KnownFolderPath(platform::kCsidlHistory);
  const std::wstring cache = platform::KnownFolderPath(platform::kCsidlInternetCache);
  if (history.empty() || cache.empty()) GTEST_SKIP() << "no history or cache folder on this system";
  const IEIndexFiles files = IEIndexFilePaths(history, cache);
  // Plant the two index files where the known folders say.
  for (const std::wstring& path : {files.history, files.cache}) {
    platform::DeleteFileAt(path);
    testsupport::WriteFileAt(path, "index");
    list.Add(L"Temporary Internet File", path, L"");
  }
  FakeHistory urlHistory;
  EmptyCache urlCache;
  std::vector<std::wstring> scheduled;
  IEStores stores{urlCache, urlHistory, [&](const std::wstring& p) {
                    scheduled.push_back(p);
                    return true;
                  }};
  CleanHost host;
  host.dispatcher = &dispatcher;
  host.log = &log;
  host.list = &list;
  host.amnesia = &amnesia;
  host.stores = &stores;
  CleanOptions options;
  options.logDeletions = true;
  EXPECT_EQ(TCleanThd::Execute(host, options), 0u);  // nothing is gone yet
  EXPECT_TRUE(urlHistory.cleared);
  EXPECT_EQ(urlCache.enumerations, 1);
  EXPECT_EQ(scheduled, (std::vector<std::wstring>{files.history, files.cache}));
  // The history index row goes once the history is empty; the cache index row stays.
  EXPECT_EQ(Paths(), std::vector<std::wstring>{files.cache});
  EXPECT_EQ(Messages()[1].rfind(L"Deletion of : " + files.history + L" [FAILED] - Error ", 0), 0u);
  platform::DeleteFileAt(files.history);
  platform::DeleteFileAt(files.cache);

  // A history that cannot be reached ends the cleaning.
  list.Clear();
  testsupport::WriteFileAt(files.history, "index");
  const std::wstring after = Plant(L"after.tmp", 1);
  list.Clear();
  list.Add(L"Temporary Internet File", files.history, L"");
  list.Add(L"Temporary File", after, L"");
  urlHistory.available = false;
  TCleanThd::Execute(host, options);
  EXPECT_TRUE(tree.Exists(L"after.tmp"));
  EXPECT_EQ(list.Count(), 2u);
  platform::DeleteFileAt(files.history);
}

}  // namespace

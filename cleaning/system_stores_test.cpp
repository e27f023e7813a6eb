// The stores emptied through their owners: the algorithms over scripted fakes
// of the URL cache and history, then the running system's stores (Wine's real
// calls, or the posix trash and in-memory stores).
#include "cleaning/system_stores.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "tests/support/temp_tree.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "platform/win32/handle.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/descriptor.h"

#include <cstdlib>
#include <fstream>

#include "platform/posix/memory_stores.h"
#endif

namespace {

using Log = std::vector<std::wstring>;

// A cache that answers from a script and logs every call. nextErrors fail the
// next-entry calls in turn before the next entry comes; with persistent set,
// the last one repeats for ever.
class ScriptedCache : public platform::UrlCache {
 public:
  ScriptedCache(Log& log, std::vector<std::wstring> entries) : log_(log), entries_(std::move(entries)) {}

  uint32_t firstError = platform::kErrorNoMoreItems;
  std::vector<uint32_t> nextErrors;
  bool persistent = false;
  std::vector<std::wstring> refused;  // deletions that fail
  int nextCalls = 0;

  std::unique_ptr<platform::UrlCacheEnumeration> First(std::wstring& url, uint32_t& error) override {
    log_.push_back(L"first");
    if (entries_.empty()) {
      error = firstError;
      return nullptr;
    }
    url = entries_[0];
    return std::make_unique<Enumeration>(*this);
  }
  bool DeleteEntry(const std::wstring& url) override {
    log_.push_back(L"delete " + url);
    return std::find(refused.begin(), refused.end(), url) == refused.end();
  }

 private:
  class Enumeration : public platform::UrlCacheEnumeration {
   public:
    explicit Enumeration(ScriptedCache& cache) : cache_(cache) {}
    ~Enumeration() override { cache_.log_.push_back(L"close"); }
    bool Next(std::wstring& url, uint32_t& error) override {
      cache_.log_.push_back(L"next");
      // A guard so that a loop that never ends fails the test instead of hanging it.
      if (++cache_.nextCalls > 1000) {
        error = platform::kErrorNoMoreItems;
        return false;
      }
      if (!cache_.nextErrors.empty()) {
        error = cache_.nextErrors.front();
        if (!(cache_.persistent && cache_.nextErrors.size() == 1)) cache_.nextErrors.erase(cache_.nextErrors.begin());
        return false;
      }
      if (++position_ >= cache_.entries_.size()) {
        error = platform::kErrorNoMoreItems;
        return false;
      }
      url = cache_.entries_[position_];
      return true;
    }

   private:
    ScriptedCache& cache_;
    size_t position_ = 0;
  };

  Log& log_;
  std::vector<std::wstring> entries_;
};

TEST(DeleteAllUrlCacheEntries, DeletesEachEntryAsTheEnumerationGoes) {
  Log log;
  ScriptedCache cache(log, {L"a", L"b", L"c"});
  cache.refused = {L"b"};
  DeleteAllUrlCacheEntries(cache);
  EXPECT_EQ(log, (Log{L"first", L"delete a", L"next", L"delete b", L"next", L"delete c", L"next", L"close"}));
}

TEST(DeleteAllUrlCacheEntries, NoFirstEntryMeansNothingToDo) {
  for (uint32_t error : {platform::kErrorNoMoreItems, 2u}) {
    Log log;
    ScriptedCache cache(log, {});
    cache.firstError = error;
    DeleteAllUrlCacheEntries(cache);
    EXPECT_EQ(log, (Log{L"first"}));
  }
}

TEST(DeleteAllUrlCacheEntries, EndsWhenNextKeepsFailing) {
  Log log;
  ScriptedCache cache(log, {L"a", L"b"});
  cache.nextErrors = {5};
  cache.persistent = true;
  DeleteAllUrlCacheEntries(cache);
  EXPECT_EQ(cache.nextCalls, kUrlCacheFailuresBeforeGivingUp);
  EXPECT_EQ(log.front(), L"first");
  EXPECT_EQ(log.back(), L"close");
  EXPECT_EQ(std::count(log.begin(), log.end(), L"delete a"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), L"delete b"), 0);
}

TEST(DeleteAllUrlCacheEntries, GoesOnAfterPassingFailures) {
  Log log;
  ScriptedCache cache(log, {L"a", L"b"});
  // Fewer failures in a row than the limit: the entry behind them is still reached.
  cache.nextErrors = std::vector<uint32_t>(kUrlCacheFailuresBeforeGivingUp - 1, 5);
  DeleteAllUrlCacheEntries(cache);
  EXPECT_EQ(std::count(log.begin(), log.end(), L"delete b"), 1);
  EXPECT_EQ(log.back(), L"close");
}

TEST(UrlCacheIsEmpty, TrueOnlyWithoutAFirstEntry) {
  Log log;
  ScriptedCache full(log, {L"a"});
  EXPECT_FALSE(UrlCacheIsEmpty(full));
  EXPECT_EQ(log, (Log{L"first", L"close"}));

  ScriptedCache empty(log, {});
  EXPECT_TRUE(UrlCacheIsEmpty(empty));
  ScriptedCache failing(log, {});
  failing.firstError = 2;
  EXPECT_TRUE(UrlCacheIsEmpty(failing));
}

class ScriptedHistory : public platform::UrlHistory {
 public:
  explicit ScriptedHistory(Log& log) : log_(log) {}
  bool available = true;
  bool holdsMatch = false;

  platform::HistoryAccess HasUrlWithPrefix(const std::wstring& prefix, bool& found) override {
    log_.push_back(L"has " + prefix);
    if (!available) return platform::HistoryAccess::Unavailable;
    found = holdsMatch;
    return platform::HistoryAccess::Done;
  }
  platform::HistoryAccess Clear() override {
    log_.push_back(L"clear");
    return available ? platform::HistoryAccess::Done : platform::HistoryAccess::Unavailable;
  }

 private:
  Log& log_;
};

TEST(IEHistory, EmptinessAsksForPlainHttpAddresses) {
  Log log;
  ScriptedHistory history(log);
  EXPECT_EQ(IEHistoryIsEmpty(history), std::optional<bool>(true));
  history.holdsMatch = true;
  EXPECT_EQ(IEHistoryIsEmpty(history), std::optional<bool>(false));
  EXPECT_EQ(log, (Log{L"has http://", L"has http://"}));
  EXPECT_TRUE(ClearIEHistory(history));

  history.available = false;
  EXPECT_EQ(IEHistoryIsEmpty(history), std::nullopt);
  EXPECT_FALSE(ClearIEHistory(history));
}

TEST(IndexFiles, PathsFromTheKnownFolders) {
  IEIndexFiles files = IEIndexFilePaths(L"C:\\Users\\u\\History", L"C:\\Users\\u\\Temporary Internet Files\\");
  EXPECT_EQ(files.history, L"C:\\Users\\u\\History\\History.IE5\\index.dat");
  EXPECT_EQ(files.cache, L"C:\\Users\\u\\Temporary Internet Files\\Content.IE5\\index.dat");
  // A folder the system cannot supply leaves a path no file has.
  EXPECT_EQ(IEIndexFilePaths(L"", L"").history, L"\\History.IE5\\index.dat");
}

TEST(IndexFiles, EmptyTheirStoreThenAskForDeletionAtRestart) {
  const IEIndexFiles files = IEIndexFilePaths(L"C:\\H", L"C:\\C");
  struct Case {
    std::wstring path;
    bool historyAvailable;
    IndexFileCleaning result;
    Log log;
  } cases[] = {
      {files.history, true, IndexFileCleaning::Scheduled, {L"clear", L"reboot " + files.history}},
      {files.cache, true, IndexFileCleaning::Scheduled,
       {L"first", L"delete u1", L"next", L"delete u2", L"next", L"close", L"reboot " + files.cache}},
      {files.history, false, IndexFileCleaning::HistoryUnavailable, {L"clear"}},
      // The cache does not need the history object.
      {files.cache, false, IndexFileCleaning::Scheduled,
       {L"first", L"delete u1", L"next", L"delete u2", L"next", L"close", L"reboot " + files.cache}},
      // Paths are compared with letter case, as the rows hold them.
      {L"C:\\h\\History.IE5\\index.dat", true, IndexFileCleaning::NotAnIndexFile, {}},
      {L"C:\\C\\Content.IE5\\other.dat", true, IndexFileCleaning::NotAnIndexFile, {}},
  };
  for (const Case& c : cases) {
    Log log;
    ScriptedCache cache(log, {L"u1", L"u2"});
    ScriptedHistory history(log);
    history.available = c.historyAvailable;
    IEStores stores{cache, history, [&log](const std::wstring& p) {
                      log.push_back(L"reboot " + p);
                      return true;
                    }};
    EXPECT_EQ(CleanIndexFile(c.path, files, stores), c.result);
    EXPECT_EQ(log, c.log);
  }
}

TEST(RecycleBinRow, FreesTheDropInSize) {
  std::vector<std::string> calls;
  std::vector<uint64_t> sizes = {5000000000ull, 1000};
  auto size = [&] {
    calls.push_back("size");
    uint64_t s = sizes.front();
    sizes.erase(sizes.begin());
    return s;
  };
  auto empty = [&] {
    calls.push_back("empty");
    return true;
  };
  uint64_t itemsLeft = 0;
  auto items = [&] {
    calls.push_back("items");
    return itemsLeft;
  };
  RecycleBinEmptying emptying = EmptyRecycleBinMeasured(size, empty, items);
  EXPECT_EQ(emptying.freedBytes, 5000000000ull - 1000);
  EXPECT_TRUE(emptying.emptied);
  EXPECT_EQ(calls, (std::vector<std::string>{"size", "empty", "size", "items"}));

  // Something was deleted into the bin meanwhile: nothing was freed, and a
  // bin that is not empty afterwards failed, whatever the emptying said.
  sizes = {100, 300};
  itemsLeft = 1;
  emptying = EmptyRecycleBinMeasured(size, empty, items);
  EXPECT_EQ(emptying.freedBytes, 0u);
  EXPECT_FALSE(emptying.emptied);
  EXPECT_EQ(emptying.errorCode, platform::kErrorDirNotEmpty);
}

#ifdef _WIN32

std::wstring WideEnv(const wchar_t* name) {
  wchar_t buffer[32768];
  DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
  return n ? std::wstring(buffer, n) : std::wstring();
}

// Windows names of the entries of a Linux folder, through drive Z.
std::vector<std::wstring> LinuxFolderEntries(const std::wstring& linuxPath) {
  std::wstring folder = L"Z:" + linuxPath;
  for (wchar_t& c : folder)
    if (c == L'/') c = L'\\';
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  const platform::FindHandle h(FindFirstFileW((folder + L"\\*").c_str(), &fd));
  if (!h.Valid()) return names;
  do {
    std::wstring name = fd.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(h.Get(), &fd));
  return names;
}

// Wine 8's extended cache enumeration is a stub that fails with
// ERROR_FILE_NOT_FOUND, and its history object exists but answers E_NOTIMPL to
// enumerating and clearing: both stores read as empty and clearing them does
// no harm.
TEST(RunningSystem, WineStoresReadAsEmpty) {
  std::wstring url;
  uint32_t error = 0;
  EXPECT_EQ(platform::SystemUrlCache().First(url, error), nullptr);
  EXPECT_EQ(error, uint32_t(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(UrlCacheIsEmpty());
  DeleteAllUrlCacheEntries();
  EXPECT_EQ(IEHistoryIsEmpty(), std::optional<bool>(true));
  EXPECT_TRUE(ClearIEHistory());
  EXPECT_EQ(IEHistoryIsEmpty(), std::optional<bool>(true));
}

TEST(RunningSystem, EmptyRecycleBinEmptiesWinesTrash) {
  const std::wstring trash = WideEnv(L"XDG_DATA_HOME") + L"/Trash";
  ASSERT_EQ(trash.substr(0, 1), L"/") << "the test runner gives every run its own XDG_DATA_HOME";
  testsupport::TempTree tree;
  std::wstring file = tree.WriteFile(L"trashed.txt", "bytes");
  std::wstring from = file + L'\0';  // the list ends with a second NUL
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  ASSERT_EQ(SHFileOperationW(&op), 0);
  ASSERT_FALSE(tree.Exists(L"trashed.txt"));
  ASSERT_EQ(LinuxFolderEntries(trash + L"/files"), (std::vector<std::wstring>{L"trashed.txt"}));

  // The "Recycle Bin" row as the cleaning runs it, on the real bin.
  const RecycleBinEmptying emptying = EmptyRecycleBinMeasured();
  EXPECT_EQ(emptying.freedBytes, 5u);
  EXPECT_TRUE(emptying.emptied);
  EXPECT_TRUE(LinuxFolderEntries(trash + L"/files").empty());
  EXPECT_TRUE(LinuxFolderEntries(trash + L"/info").empty());
}

TEST(RunningSystem, DeleteAtRebootRecordsAPendingDeletion) {
  testsupport::TempTree tree;
  std::wstring file = tree.WriteFile(L"index.dat", "x");
  ASSERT_TRUE(platform::DeleteAtReboot(file));
  EXPECT_TRUE(tree.Exists(L"index.dat"));

  platform::KeyHandle key;
  const wchar_t* sessionManager = L"System\\CurrentControlSet\\Control\\Session Manager";
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, sessionManager, 0, KEY_READ, key.Receive()), ERROR_SUCCESS);
  DWORD type = 0, bytes = 0;
  ASSERT_EQ(RegQueryValueExW(key.Get(), L"PendingFileRenameOperations", nullptr, &type, nullptr, &bytes), ERROR_SUCCESS);
  std::wstring data(bytes / sizeof(wchar_t), L'\0');
  RegQueryValueExW(key.Get(), L"PendingFileRenameOperations", nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &bytes);
  key.Reset();
  EXPECT_EQ(type, DWORD(REG_MULTI_SZ));
  // Pairs of source and target; an empty target means delete.
  std::wstring expected = L"\\??\\" + file + L'\0' + L'\0';
  EXPECT_NE(data.find(expected), std::wstring::npos);
}

#else

// A trash planted under a test's own XDG_DATA_HOME, with a link that points
// out of it and a folder the user made read-only.
class PlantedTrash : public testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_DATA_HOME");
    savedDataHome_ = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("XDG_DATA_HOME", testsupport::NativePath(tree_.Path(L"data")).c_str(), 1);
  }
  void TearDown() override {
    if (savedDataHome_) setenv("XDG_DATA_HOME", savedDataHome_->c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
  }
  std::string Native(const std::wstring& relative) { return testsupport::NativePath(tree_.Path(relative)); }

  testsupport::TempTree tree_;
  std::optional<std::string> savedDataHome_;
};

TEST_F(PlantedTrash, EmptiesFilesAndInfoWithoutFollowingLinks) {
  tree_.WriteFile(L"outside\\keep.txt", "keep");
  tree_.WriteFile(L"data\\Trash\\files\\a.txt", "a");
  tree_.WriteFile(L"data\\Trash\\files\\dir\\sub\\b.txt", "b");
  tree_.WriteFile(L"data\\Trash\\files\\locked\\c.txt", "c");
  tree_.WriteFile(L"data\\Trash\\info\\a.txt.trashinfo", "[Trash Info]\n");
  tree_.WriteFile(L"data\\Trash\\directorysizes", "1 2 dir\n");
  ASSERT_EQ(symlink(Native(L"outside").c_str(), Native(L"data\\Trash\\files\\link").c_str()), 0);
  ASSERT_EQ(chmod(Native(L"data\\Trash\\files\\locked").c_str(), 0500), 0);

  const RecycleBinEmptying emptying = EmptyRecycleBinMeasured();
  EXPECT_EQ(emptying.freedBytes, 3u);
  EXPECT_TRUE(emptying.emptied);
  EXPECT_TRUE(tree_.Exists(L"data\\Trash\\files"));
  EXPECT_FALSE(tree_.Exists(L"data\\Trash\\files\\a.txt"));
  EXPECT_FALSE(tree_.Exists(L"data\\Trash\\files\\dir"));
  EXPECT_FALSE(tree_.Exists(L"data\\Trash\\files\\locked"));
  EXPECT_FALSE(tree_.Exists(L"data\\Trash\\files\\link"));
  EXPECT_FALSE(tree_.Exists(L"data\\Trash\\info\\a.txt.trashinfo"));
  EXPECT_FALSE(tree_.Exists(L"data\\Trash\\directorysizes"));
  EXPECT_EQ(tree_.ReadFile(L"outside\\keep.txt"), "keep");
  EXPECT_TRUE(platform::EmptyRecycleBin());
  // A missing trash is an empty one.
  tree_.MakeFolder(L"data\\gone");
  setenv("XDG_DATA_HOME", Native(L"data\\gone").c_str(), 1);
  EXPECT_TRUE(platform::EmptyRecycleBin());
}

TEST_F(PlantedTrash, ATrashThatIsALinkIsLeftAlone) {
  tree_.WriteFile(L"elsewhere\\files\\precious.txt", "precious");
  tree_.MakeFolder(L"data");
  ASSERT_EQ(symlink(Native(L"elsewhere").c_str(), Native(L"data\\Trash").c_str()), 0);
  EXPECT_FALSE(platform::EmptyRecycleBin());
  EXPECT_EQ(tree_.ReadFile(L"elsewhere\\files\\precious.txt"), "precious");
  // The bin still shows what it holds, so the row failed, with the error.
  const RecycleBinEmptying emptying = EmptyRecycleBinMeasured();
  EXPECT_EQ(emptying.freedBytes, 0u);
  EXPECT_FALSE(emptying.emptied);
  EXPECT_EQ(emptying.errorCode, 1921u);  // a link where the trash should be
}

// An entry that cannot be removed (immutable, which holds even for root)
// leaves the bin not empty: failed, with the error.
TEST_F(PlantedTrash, AnEntryThatCannotBeRemovedFailsTheRow) {
  tree_.WriteFile(L"data\\Trash\\files\\dir\\stuck.txt", "stuck");
  tree_.WriteFile(L"data\\Trash\\files\\free.txt", "free");
  const std::string stuck = Native(L"data\\Trash\\files\\dir\\stuck.txt");
  if (std::system(("chattr +i '" + stuck + "' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "this file system has no immutable files (chattr)";
  const RecycleBinEmptying emptying = EmptyRecycleBinMeasured();
  std::system(("chattr -i '" + stuck + "'").c_str());
  EXPECT_EQ(emptying.freedBytes, 4u);
  EXPECT_FALSE(emptying.emptied);
  EXPECT_EQ(emptying.errorCode, platform::kErrorAccessDenied);  // EPERM
  EXPECT_FALSE(tree_.Exists(L"data\\Trash\\files\\free.txt"));
}

// A trash deeper than any stack or descriptor limit is measured and emptied
// all the same.
TEST_F(PlantedTrash, ATrashFifteenThousandLevelsDeepIsMeasuredAndEmptied) {
  tree_.MakeFolder(L"data\\Trash\\files");
  tree_.MakeFolder(L"data\\Trash\\info");
  platform::Descriptor at(open(Native(L"data\\Trash\\files").c_str(), O_RDONLY | O_DIRECTORY));
  ASSERT_TRUE(at.Valid());
  for (int level = 0; level < 15000; ++level) {
    ASSERT_EQ(mkdirat(at.Get(), "d", 0755), 0);
    at.Reset(openat(at.Get(), "d", O_RDONLY | O_DIRECTORY));
    ASSERT_TRUE(at.Valid());
  }
  {
    platform::Descriptor file(openat(at.Get(), "bottom.bin", O_WRONLY | O_CREAT, 0644));
    ASSERT_TRUE(file.Valid());
    ASSERT_EQ(write(file.Get(), "1234567", 7), 7);
  }
  at.Reset();
  EXPECT_EQ(platform::RecycleBinSize(), 7u);
  const RecycleBinEmptying emptying = EmptyRecycleBinMeasured();
  EXPECT_EQ(emptying.freedBytes, 7u);
  EXPECT_TRUE(emptying.emptied) << "error " << emptying.errorCode;
  EXPECT_FALSE(tree_.Exists(L"data\\Trash\\files\\d"));
}

// posix keeps the Internet Explorer stores in memory; an https-only history
// is empty, and delete-at-restart requests are remembered, never honoured.
TEST(RunningSystem, PosixStoresInMemory) {
  platform::MemoryUrlCache& cache = platform::PosixUrlCache();
  platform::MemoryUrlHistory& history = platform::PosixUrlHistory();
  cache.Reset();
  history.Reset();
  platform::ForgetRebootDeletes();

  EXPECT_TRUE(UrlCacheIsEmpty());
  EXPECT_EQ(IEHistoryIsEmpty(), std::optional<bool>(true));
  cache.Add(L"https://a/1");
  cache.Add(L"https://a/2");
  cache.Add(L"Cookie:u@a/");
  history.Add(L"https://secure.example/");
  EXPECT_FALSE(UrlCacheIsEmpty());
  EXPECT_EQ(IEHistoryIsEmpty(), std::optional<bool>(true));
  history.Add(L"HTTP://plain.example/");
  EXPECT_EQ(IEHistoryIsEmpty(), std::optional<bool>(false));

  const IEIndexFiles files = IEIndexFilePaths(L"C:\\H", L"C:\\C");
  EXPECT_EQ(CleanIndexFile(files.cache, files), IndexFileCleaning::Scheduled);
  EXPECT_TRUE(cache.Entries().empty());
  EXPECT_EQ(CleanIndexFile(files.history, files), IndexFileCleaning::Scheduled);
  EXPECT_TRUE(history.Urls().empty());
  EXPECT_EQ(platform::RequestedRebootDeletes(), (std::vector<std::wstring>{files.cache, files.history}));
  EXPECT_FALSE(platform::DeleteAtReboot(L"C:\\x"));

  history.SetAvailable(false);
  EXPECT_EQ(CleanIndexFile(files.history, files), IndexFileCleaning::HistoryUnavailable);
  history.Reset();
  platform::ForgetRebootDeletes();
}

#endif

}  // namespace

// The worker end to end: categories in catalogue order, settings read as the
// run reaches them, every row handed over before the next is produced, the end
// notification after the last row, and a failing rule ending the run.
#include "analysis/analyse_thread.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "model/catalogue.h"
#include "model/review_list.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/memory_stores.h"
#include "settings/settings_store.h"
#include "system/dispatcher.h"
#include "system/worker_thread.h"
#include "system/log.h"
#include "tests/support/planted_prefix.h"
#include "tests/support/run_category.h"
#include "tests/support/temp_tree.h"

namespace {

using namespace testsupport::planted;


class AnalyseThread : public ::testing::Test {
 protected:
  // Runs the worker on its own thread while this thread serves hand-overs.
  void RunWorker() {
    QueueDispatcher dispatcher;
    AnalysisHost host;
    host.dispatcher = &dispatcher;
    host.log = &log;
    host.list = &list;
    host.showStatus = [&](const std::wstring& status) { statuses.push_back(status); };
    host.itemAdded = [&](size_t index, int64_t bytes) {
      sizes.push_back(bytes);
      // Each row arrives alone and in order.
      EXPECT_EQ(index, rowsSeen);
      EXPECT_EQ(list.Count(), index + 1);
      ++rowsSeen;
    };
    host.done = [&] {
      rowsAtDone = list.Count();
      ++doneCount;
      dispatcher.Stop();
    };
    host.isEnabled = isEnabled;
    WorkerThread worker;
    TAnalyseThd::Start(worker, host);
    dispatcher.Serve();
    worker.Join();
  }

  std::vector<std::wstring> AnalyzingLines() {
    std::vector<std::wstring> out;
    const std::vector<std::wstring> lines = log.Lines();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
      size_t pos = it->find(L"Analyzing : ");
      if (pos != std::wstring::npos) out.push_back(it->substr(pos));
    }
    return out;
  }

  void EnableOnly(const std::vector<std::wstring>& keys) {
    for (const Category& c : kCatalogue) {
      bool on = std::find(keys.begin(), keys.end(), c.key) != keys.end();
      SetSetting(c.key, on ? L"1" : L"0");
    }
  }

  testsupport::PlantedPrefix prefix;
  TKLog log{L"", 10000, false};
  ReviewList list;
  std::function<bool(const std::wstring&)> isEnabled;  // empty: the settings decide
  std::vector<std::wstring> statuses;
  std::vector<int64_t> sizes;  // as each row was added
  size_t rowsSeen = 0, rowsAtDone = 0;
  int doneCount = 0;
};

TEST_F(AnalyseThread, EveryCategoryInCatalogueOrderWhenNoSettingExists) {
  prefix.Plant(kWin + L"Temp\\a.tmp", "aaaa");
  prefix.Plant(kWin + L"setupact.log", "bb");
  prefix.Plant(kWin + L"Temp\\Desktop.INI", "x");
  prefix.PutInRecycleBin("bin", 2048);
  RunWorker();

  std::vector<std::wstring> expected;
  for (const Category& c : kCatalogue) expected.push_back(std::wstring(L"Analyzing : ") + c.statusCaption);
  EXPECT_EQ(AnalyzingLines(), expected);
  ASSERT_EQ(statuses.size(), kCategoryCount);
  EXPECT_EQ(statuses[5], L"Spybot Update Cache");

  testsupport::Found found = testsupport::Rows(list);
  EXPECT_EQ(found, (testsupport::Found{{L"Recycle Bin", L""},
                                        {L"Temporary File", kWin + L"Temp\\a.tmp"},
                                        {L"Windows Log files", kWin + L"setupact.log"}}));
  EXPECT_EQ(list.At(0).sizeText, L"2 Kb.");
  EXPECT_EQ(list.At(1).sizeText, L"4    b.");
  EXPECT_EQ(sizes, (std::vector<int64_t>{2048, 4, 2}));
  EXPECT_TRUE(list.Checked(1));
  EXPECT_EQ(doneCount, 1);
  EXPECT_EQ(rowsAtDone, 3u);
}

TEST_F(AnalyseThread, DisabledCategoriesAreNotAnalysed) {
  prefix.Plant(kWin + L"Temp\\a.tmp");
  EnableOnly({});
  RunWorker();
  EXPECT_TRUE(AnalyzingLines().empty());
  EXPECT_TRUE(statuses.empty());
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(doneCount, 1);

  SetSetting(L"Temporary_Files", L"");  // only "0" switches a category off
  doneCount = 0;
  RunWorker();
  EXPECT_EQ(AnalyzingLines(), std::vector<std::wstring>{L"Analyzing : Temporary Files"});
  EXPECT_EQ(list.Count(), 1u);
}

TEST_F(AnalyseThread, AnInjectedFilterDecidesInsteadOfTheSettings) {
  prefix.Plant(kWin + L"Temp\\a.tmp");
  prefix.Plant(kWin + L"setupact.log", "bb");
  EnableOnly({L"Temporary_Files"});
  std::vector<std::wstring> asked;
  isEnabled = [&](const std::wstring& key) {
    asked.push_back(key);
    return key == L"Windows_Log_files";
  };
  RunWorker();

  std::vector<std::wstring> everyKey;
  for (const Category& c : kCatalogue) everyKey.push_back(c.key);
  EXPECT_EQ(asked, everyKey);
  EXPECT_EQ(AnalyzingLines(), std::vector<std::wstring>{L"Analyzing : Windows Log files"});
  EXPECT_EQ(testsupport::Rows(list), (testsupport::Found{{L"Windows Log files", kWin + L"setupact.log"}}));
}

TEST_F(AnalyseThread, AFailingRuleEndsTheRunButKeepsItsRowsAndNotifies) {
  // The legacy history store out of reach fails its rule after the cache rows.
  const std::wstring cache = kLocal + L"Microsoft\\Windows\\INetCache\\";
  prefix.Plant(cache + L"Content.IE5\\page.htm");
  prefix.Plant(kLocal + L"Microsoft\\Windows\\History\\History.IE5\\index.dat");
  prefix.Plant(kWin + L"setupact.log", "later");
  platform::PosixUrlHistory().SetAvailable(false);
  EnableOnly({L"Temporary_Internet_Files", L"Windows_Log_files"});

  RunWorker();
  platform::PosixUrlHistory().SetAvailable(true);
  EXPECT_EQ(AnalyzingLines(), std::vector<std::wstring>{L"Analyzing : Temporary Internet Files"});
  EXPECT_EQ(testsupport::Rows(list),
            (testsupport::Found{{L"Temporary Internet File", cache + L"Content.IE5\\page.htm"}}));
  EXPECT_EQ(doneCount, 1);
}

TEST_F(AnalyseThread, AnInstallerPackageThatCannotBeComparedEndsNothing) {
  prefix.Plant(kWin + L"Installer\\a.msi", "");
  prefix.Plant(kWin + L"Installer\\b.msi", "");  // a duplicate of a.msi: found
  const std::string socketPath = testsupport::NativePath(kWin + L"Installer\\c.msi");
  platform::Descriptor fd(socket(AF_UNIX, SOCK_STREAM, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  prefix.Plant(kWin + L"Temp\\later.tmp");
  EnableOnly({L"Windows_Installer_Duplicates", L"Temporary_Files"});

  RunWorker();
  fd.Reset();
  EXPECT_EQ(AnalyzingLines(),
            (std::vector<std::wstring>{L"Analyzing : Windows Installer Duplicates", L"Analyzing : Temporary Files"}));
  EXPECT_EQ(testsupport::Rows(list), (testsupport::Found{{L"Windows Installer Duplicate", kWin + L"Installer\\b.msi"},
                                                         {L"Temporary File", kWin + L"Temp\\later.tmp"}}));
  EXPECT_EQ(doneCount, 1);
}

TEST_F(AnalyseThread, AnExceptionEndsTheRunLikeAFailingRuleAndIsLogged) {
  prefix.Plant(kWin + L"Temp\\a.tmp");
  prefix.Plant(kWin + L"setupact.log", "bb");
  isEnabled = [](const std::wstring& key) {
    if (key == L"Windows_Log_files") throw std::runtime_error("settings gone");
    return key == L"Temporary_Files";
  };
  RunWorker();
  EXPECT_EQ(testsupport::Rows(list), (testsupport::Found{{L"Temporary File", kWin + L"Temp\\a.tmp"}}));
  EXPECT_EQ(doneCount, 1);
  const std::wstring newest = log.Lines().front();
  EXPECT_EQ(newest.substr(newest.rfind(L'\t') + 1), L"Unexpected error in the analysis: settings gone");
}

TEST_F(AnalyseThread, LocalLowIsDerivedFromTheLocalFolder) {
  EXPECT_EQ(DeriveLocalLow(L"C:\\Users\\Bob\\AppData\\LOCAL\\"), L"C:\\Users\\Bob\\AppData\\LocalLow\\");
  EXPECT_EQ(DeriveLocalLow(L"C:\\Documents and Settings\\Bob\\Local Settings\\Application Data\\"), L"");
  EXPECT_EQ(DeriveLocalLow(L""), L"");
  EXPECT_EQ(ResolveKnownFolders().localLow, L"C:\\users\\tester\\AppData\\LocalLow\\");
}

}  // namespace

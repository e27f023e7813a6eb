// The Windows categories on a planted tree: what must be found, in order, and
// the near-misses that must not.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/posix/descriptor.h"
#include "system/log.h"
#include "tests/support/fake_clock.h"
#include "tests/support/temp_tree.h"

#include "tests/support/planted_prefix.h"
#include "tests/support/run_category.h"

namespace {

using namespace testsupport::planted;

using testsupport::Found;
using testsupport::RunCategory;


class SystemRules : public ::testing::Test {
 protected:
  testsupport::PlantedPrefix prefix;
};

TEST_F(SystemRules, RecycleBinRowOnlyWhenTheBinHoldsSomething) {
  EXPECT_EQ(RunCategory(L"Recycle_Bin"), Found{});
  prefix.PutInRecycleBin("one", 10);
  prefix.PutInRecycleBin("two", 20);
  EXPECT_EQ(RunCategory(L"Recycle_Bin"), (Found{{L"Recycle Bin", L""}}));
}

TEST_F(SystemRules, VirtualStoreFindsOnlyOrphanedCopies) {
  prefix.MakeFolder(L"C:\\Program Files\\App");
  prefix.Plant(kLocal + L"VirtualStore\\Program Files\\App\\app.ini");
  prefix.Plant(kLocal + L"VirtualStore\\Program Files\\Gone\\old.ini");
  prefix.Plant(kLocal + L"VirtualStore\\Gone2\\sub\\x.dat");
  EXPECT_EQ(RunCategory(L"Windows_VirtualStore"),
            (Found{{L"Windows VirtualStore", kLocal + L"VirtualStore\\Gone2\\sub\\x.dat"},
                   {L"Windows VirtualStore", kLocal + L"VirtualStore\\Program Files\\Gone\\old.ini"}}));
  prefix.Remove(L"C:\\Program Files\\App");
  EXPECT_EQ(RunCategory(L"Windows_VirtualStore").size(), 3u);
}

TEST_F(SystemRules, InstallerDuplicatesKeepTheFirstOfEachGroup) {
  prefix.Plant(kWin + L"Installer\\a.msi", "same-bytes");
  prefix.Plant(kWin + L"Installer\\b.msp", "same-bytes");
  prefix.Plant(kWin + L"Installer\\c.msi", "same-bytes");
  prefix.Plant(kWin + L"Installer\\d.msi", "diff-bytes");  // same size, other content
  prefix.Plant(kWin + L"Installer\\e.txt", "same-bytes");  // not a package
  EXPECT_EQ(RunCategory(L"Windows_Installer_Duplicates"),
            (Found{{L"Windows Installer Duplicate", kWin + L"Installer\\b.msp"},
                   {L"Windows Installer Duplicate", kWin + L"Installer\\c.msi"}}));
}

TEST_F(SystemRules, PackagesThatCannotBeComparedAreSkippedAndTheRuleGoesOn) {
  // Entries named like packages that are no regular file: a socket (even root
  // cannot open it), a FIFO (opening it would block) and a link to a FIFO.
  // Nothing but a regular file may be opened: IN_OPEN on the FIFO shows it.
  prefix.Plant(kWin + L"Installer\\a.msi", "");
  const std::string socketPath = testsupport::NativePath(kWin + L"Installer\\b.msi");
  const platform::Descriptor fd(socket(AF_UNIX, SOCK_STREAM, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, socketPath.c_str());
  ASSERT_EQ(bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const std::string fifo = testsupport::NativePath(kWin + L"Installer\\c.msi");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(symlink(fifo.c_str(), testsupport::NativePath(kWin + L"Installer\\d.msi").c_str()), 0);
  prefix.Plant(kWin + L"Installer\\e.msi", "");  // a duplicate of a.msi
  const platform::Descriptor watch(inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  ASSERT_GE(inotify_add_watch(watch.Get(), fifo.c_str(), IN_OPEN), 0);

  testsupport::FakeClock clock;
  TKLog log(L"C:\\no such folder\\test.log", 100, false, clock);
  bool failed = true;
  EXPECT_EQ(RunCategory(L"Windows_Installer_Duplicates", &failed, &log),
            (Found{{L"Windows Installer Duplicate", kWin + L"Installer\\e.msi"}}));
  EXPECT_FALSE(failed);
  std::vector<std::wstring> lines = log.Lines();
  std::reverse(lines.begin(), lines.end());
  std::vector<std::wstring> expected;
  for (const wchar_t* name : {L"b.msi", L"c.msi", L"d.msi"})
    expected.push_back(L"Error\t[26-03-14 09:05:07]\t[SKIPPED] - Cannot be compared : " + kWin + L"Installer\\" + name);
  EXPECT_EQ(lines, expected);
  char events[256];
  EXPECT_EQ(read(watch.Get(), events, sizeof events), -1) << "the FIFO was opened";
}

TEST_F(SystemRules, DrWatsonAndThumbnails) {
  prefix.Plant(kCommon + L"Microsoft\\Dr Watson\\DRWTSN32.LOG");
  prefix.Plant(kCommon + L"Microsoft\\Dr Watson\\sub\\user.dmp");
  prefix.Plant(kCommon + L"Microsoft\\Dr Watson\\user.dmp.txt");
  EXPECT_EQ(RunCategory(L"Dr_Watson_Logs"), (Found{{L"Dr Watson", kCommon + L"Microsoft\\Dr Watson\\DRWTSN32.LOG"},
                                                   {L"Dr Watson", kCommon + L"Microsoft\\Dr Watson\\sub\\user.dmp"}}));
  prefix.Plant(kLocal + L"Microsoft\\Windows\\Explorer\\thumbcache_256.db");
  prefix.Plant(kLocal + L"Microsoft\\Windows\\Explorer\\iconcache_256.db");
  prefix.Plant(kLocal + L"Microsoft\\Windows\\Explorer\\ThumbCache_idx.db");
  EXPECT_EQ(RunCategory(L"Windows_Thumbnails"),
            (Found{{L"Windows Thumbnails", kLocal + L"Microsoft\\Windows\\Explorer\\thumbcache_256.db"},
                   {L"Windows Thumbnails", kLocal + L"Microsoft\\Windows\\Explorer\\ThumbCache_idx.db"}}));
}

TEST_F(SystemRules, TemporaryFilesInTheirOrder) {
  prefix.Plant(kWin + L"Temp\\w.tmp");
  prefix.Plant(kWin + L"Temp\\sub\\desktop.ini");  // never found
  prefix.Plant(kProfile + L"Local Settings\\Temp\\p.tmp");
  prefix.Plant(kLocal + L"CrashDumps\\app.dmp");
  prefix.Plant(kWin + L"Logs\\CBS\\CBS.log");
  prefix.Plant(kWin + L"Logs\\CBS\\CBS.cab");
  prefix.Plant(kWin + L"Microsoft.NET\\Framework\\v4\\ngen.log");
  prefix.Plant(kWin + L"ntbtlog.txt", "");
  const Found withoutBootLog{{L"Temporary File", kWin + L"Temp\\w.tmp"},
                             {L"Temporary File", kProfile + L"Local Settings\\Temp\\p.tmp"},
                             {L"Temporary File", kLocal + L"CrashDumps\\app.dmp"},
                             {L"Temporary File", kWin + L"Logs\\CBS\\CBS.log"},
                             {L"Temporary File", kWin + L"Microsoft.NET\\Framework\\v4\\ngen.log"}};
  EXPECT_EQ(RunCategory(L"Temporary_Files"), withoutBootLog);  // an empty boot log is not found
  prefix.Plant(kWin + L"ntbtlog.txt", "boot");
  Found withBootLog = withoutBootLog;
  withBootLog.emplace_back(L"Temporary File", kWin + L"ntbtlog.txt");
  EXPECT_EQ(RunCategory(L"Temporary_Files"), withBootLog);
}

TEST_F(SystemRules, RecentDefenderErrorReportsTerminalAndPCHealth) {
  prefix.Plant(kRecent + L"doc.lnk");
  prefix.Plant(kRecent + L"sub\\b.LNK");
  prefix.Plant(kRecent + L"doc.txt");
  EXPECT_EQ(RunCategory(L"Recent_Files"),
            (Found{{L"Recent File", kRecent + L"doc.lnk"}, {L"Recent File", kRecent + L"sub\\b.LNK"}}));

  const std::wstring defender = kCommon + L"Microsoft\\Windows Defender\\Scans\\History\\Results\\Resource\\";
  prefix.Plant(defender + L"{1}");
  EXPECT_EQ(RunCategory(L"Windows_Defender_History"), (Found{{L"Windows Defender History", defender + L"{1}"}}));

  prefix.Plant(kLocal + L"Microsoft\\Windows\\WER\\ReportQueue\\r\\Report.wer");
  EXPECT_EQ(RunCategory(L"Windows_Error_Reports"),
            (Found{{L"Windows Error Reports", kLocal + L"Microsoft\\Windows\\WER\\ReportQueue\\r\\Report.wer"}}));

  EXPECT_EQ(RunCategory(L"MSTerminal_Cache"), Found{});
  prefix.Plant(kLocal + L"Microsoft\\Terminal Server Client\\Cache\\bcache22.bmc");
  EXPECT_EQ(RunCategory(L"MSTerminal_Cache"),
            (Found{{L"MS Terminal Cache", kLocal + L"\\Microsoft\\Terminal Server Client\\Cache\\bcache22.bmc"}}));

  prefix.Plant(kWin + L"PCHealth\\ErrorRep\\UserDumps\\a\\x.hdmp");
  EXPECT_EQ(RunCategory(L"PCHealth_Dumps"),
            (Found{{L"PCHealth Dumps", kWin + L"PCHealth\\ErrorRep\\UserDumps\\a\\x.hdmp"}}));
}

TEST_F(SystemRules, HotfixUninstallers) {
  const wchar_t kCaption[] = L"Hotfixes / Service Packs Uninstallers";
  prefix.Plant(kWin + L"$NtUninstallKB123456$\\spuninst\\spuninst.exe");
  prefix.Plant(kWin + L"NtUninstallKB123456\\x.exe");
  prefix.Plant(kWin + L"$ntservicepackuninstall$\\a.dll");
  prefix.Plant(kWin + L"ie7updates\\KB9\\u.dll");
  prefix.Plant(kWin + L"ie7updates\\XKB\\u.dll");
  prefix.Plant(kWin + L"SoftwareDistribution\\Download\\abc\\pkg.cab");
  EXPECT_EQ(RunCategory(L"Hotfixes_Uninstallers"),
            (Found{{kCaption, kWin + L"$ntservicepackuninstall$\\a.dll"},
                   {kCaption, kWin + L"$NtUninstallKB123456$\\spuninst\\spuninst.exe"},
                   {kCaption, kWin + L"\\ie7updates\\KB9\\u.dll"},
                   {kCaption, kWin + L"SoftwareDistribution\\Download\\abc\\pkg.cab"}}));
}

TEST_F(SystemRules, WindowsLogFilesWithTheirExceptions) {
  const wchar_t kCaption[] = L"Windows Log files";
  for (const wchar_t* name : {L"setupact.log", L"WindowsUpdate.log", L"wiadebug.log", L"Sti_Trace.log", L"old.bak",
                              L"Debug\\netsetup.LOG", L"Debug\\PASSWD.LOG", L"system32\\wbem\\Logs\\wmiprov.log",
                              L"inf\\setupapi.dev.log", L"inf\\setupapi.log", L"sub\\nested.log"})
    prefix.Plant(kWin + name);
  EXPECT_EQ(RunCategory(L"Windows_Log_files"),
            (Found{{kCaption, kWin + L"setupact.log"},
                   {kCaption, kWin + L"Debug\\netsetup.LOG"},
                   {kCaption, kWin + L"system32\\wbem\\Logs\\wmiprov.log"},
                   {kCaption, kWin + L"inf\\setupapi.dev.log"},
                   {kCaption, kWin + L"old.bak"}}));
}

}  // namespace

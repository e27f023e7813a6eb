// The start-up: the exact start-up lines, the known folders, the install id,
// the update leftovers, and the whole first activation over a temporary tree
// (posix: a temporary prefix; Wine: the test's own prefix).
#include "app/startup.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/known_folders.h"
#include "platform/registry.h"
#include "platform/whole_file.h"
#include "platform/win_path.h"
#include "platform/wow64.h"
#include "settings/settings_store.h"
#include "system/formatters.h"
#include "system/privileges.h"
#include "system/windows_version.h"
#include "tests/support/fake_clock.h"
#include "tests/support/known_folder_table.h"
#include "tests/support/own_prefix.h"
#include "tests/support/temp_tree.h"

namespace {

using testsupport::FakeClock;
using testsupport::TempTree;

const std::wstring kInfo = L"Info\t[26-03-14 09:05:07]\t";
const std::wstring kVerbose = L"Verbose\t[26-03-14 09:05:07]\t";

// The log's lines, oldest first.
std::vector<std::wstring> Chronological(const TKLog& log) {
  std::vector<std::wstring> lines = log.Lines();
  return std::vector<std::wstring>(lines.rbegin(), lines.rend());
}

TEST(StartupLinesTest, ExactLinesInOrder) {
  StartupFacts windows;
  windows.programPath = L"C:\\Tools\\Purgello.exe";
  windows.caption = L"Purgello v1.0.0.0";
  windows.windowsVersion = L"10.0.19045 (Windows10)";
  windows.wow64 = true;
  windows.administrator = false;
  windows.portable = true;
  windows.uid = L"136246095";

  StartupFacts reactOS = windows;
  reactOS.reactOSVersion = L"0.4.14 (20210310-0.4.14-release)";
  reactOS.windowsVersion = L"5.2 (Windows 2003)";  // not shown when ReactOS names itself
  reactOS.wow64 = false;
  reactOS.administrator = true;
  reactOS.portable = false;
  reactOS.firstParameter = L"/minimized";
  reactOS.languageName = L"Fran\u00e7ais";
  reactOS.openSslVersion = L"Not Available";

  StartupFacts emptyParameter = windows;
  emptyParameter.firstParameter = L"";
  emptyParameter.languageName = L"";
  emptyParameter.uid = L"";

  struct Case {
    const char* what;
    const StartupFacts& facts;
    bool verbose;
    std::vector<std::wstring> expected;
  } cases[] = {
      {"Windows, debug mode, no parameter, no language switcher or TLS library yet", windows, true,
       {kInfo + L"Starting", kVerbose + L"Debug mode", kInfo + L"C:\\Tools\\Purgello.exe", kInfo + L"Purgello v1.0.0.0",
        kInfo + L"Windows : 10.0.19045 (Windows10)", kInfo + L"64Bits : Yes", kInfo + L"Administrator : No",
        kInfo + L"Portable : Yes", kVerbose + L"UID : 136246095"}},
      {"the same without debug mode keeps no verbose line", windows, false,
       {kInfo + L"Starting", kInfo + L"C:\\Tools\\Purgello.exe", kInfo + L"Purgello v1.0.0.0",
        kInfo + L"Windows : 10.0.19045 (Windows10)", kInfo + L"64Bits : Yes", kInfo + L"Administrator : No",
        kInfo + L"Portable : Yes"}},
      {"ReactOS with a parameter, a language and the TLS line", reactOS, true,
       {kInfo + L"Starting", kVerbose + L"Debug mode", kInfo + L"C:\\Tools\\Purgello.exe", kInfo + L"Purgello v1.0.0.0",
        kInfo + L"ReactOS : 0.4.14 (20210310-0.4.14-release)", kInfo + L"64Bits : No", kInfo + L"Administrator : Yes",
        kInfo + L"Portable : No", kInfo + L"/minimized", kInfo + L"Language : Fran\u00e7ais",
        kVerbose + L"UID : 136246095", kVerbose + L"OpenSSL : Not Available"}},
      {"an empty first parameter is still a parameter", emptyParameter, true,
       {kInfo + L"Starting", kVerbose + L"Debug mode", kInfo + L"C:\\Tools\\Purgello.exe", kInfo + L"Purgello v1.0.0.0",
        kInfo + L"Windows : 10.0.19045 (Windows10)", kInfo + L"64Bits : Yes", kInfo + L"Administrator : No",
        kInfo + L"Portable : Yes", kInfo, kInfo + L"Language : ", kVerbose + L"UID : "}},
  };
  TempTree tree;
  FakeClock clock;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TKLog log(tree.Path(L"startup.log"), kLogMaxLines, c.verbose, clock);
    WriteStartupLines(log, c.facts);
    EXPECT_EQ(Chronological(log), c.expected);
  }
}

TEST(StartupLinesTest, KnownFoldersInOrderWithTrailingBackslash) {
  std::vector<int> asked;
  auto lookup = [&asked](int csidl) -> std::wstring {
    asked.push_back(csidl);
    if (csidl == platform::kCsidlProgramFilesX86) return std::wstring();  // a 32-bit system has none
    if (csidl == platform::kCsidlWindows) return L"C:\\windows\\";    // already ends with one
    return L"C:\\F" + std::to_wstring(csidl);
  };
  TempTree tree;
  FakeClock clock;
  TKLog log(tree.Path(L"folders.log"), kLogMaxLines, false, clock);
  LogKnownFolders(log, lookup);
  std::vector<int> wanted;
  std::vector<std::wstring> lines;
  for (const auto& row : testsupport::kKnownFolderRows) {
    wanted.push_back(row.csidl);
    const std::wstring path = row.csidl == 42 ? L"\\" : row.csidl == 36 ? L"C:\\windows\\"
                                                  : L"C:\\F" + std::to_wstring(row.csidl) + L"\\";
    lines.push_back(kInfo + row.name + L" = " + path);
  }
  EXPECT_EQ(asked, wanted);
  EXPECT_EQ(Chronological(log), lines);
}

TEST(StartupLinesTest, InstallIdIsSecondOfDayOver24ThenDaysSince1899) {
  struct Case {
    platform::LocalTime time;
    const wchar_t* expected;
  } cases[] = {
      {{1899, 12, 30, 0, 0, 0}, L"00"},
      {{1899, 12, 31, 0, 0, 23}, L"01"},      // 23 s is not yet 1/3600 of a day
      {{1900, 1, 1, 0, 0, 24}, L"12"},        // 24 s is
      {{1900, 3, 1, 0, 0, 0}, L"061"},        // 1900 is no leap year
      {{2000, 1, 1, 12, 0, 0}, L"180036526"},  // noon is 1800
      {{2024, 2, 29, 0, 0, 47}, L"145351"},
      {{2026, 3, 14, 9, 5, 7}, L"136246095"},
      {{2026, 3, 14, 23, 59, 59}, L"359946095"},
  };
  for (const Case& c : cases) EXPECT_EQ(InstallIdFor(c.time), c.expected) << c.time.year << "-" << c.time.month;
}

// Each test works on its own prefix (posix) and leaves the registry as it found it.
class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    // Some known folders exist, the others are logged as missing.
    for (const wchar_t* folder : {L"windows", L"users\\tester\\AppData\\Roaming",
                                  L"users\\tester\\AppData\\Local\\Microsoft\\Windows\\History"})
      prefix_.MakeFolder(std::wstring(L"prefix\\drive_c\\") + folder);
#endif
    ownPrefix_.emplace(prefix_.Path(L"prefix"));
    platform::DeleteKeyTree(platform::RegRoot::CurrentUser, kMakerBranch);
  }
  void TearDown() override {
    platform::DeleteKeyTree(platform::RegRoot::CurrentUser, kMakerBranch);
    const std::wstring appData = platform::KnownFolderPath(platform::kCsidlAppData);
    if (!appData.empty()) DeleteMakerFolder(appData + L"\\Halvoris");
  }
  static void DeleteMakerFolder(const std::wstring& folder) {
    for (const wchar_t* name : {L"Purgello\\Purgello.log", L"Purgello\\update.exe", L"Purgello\\update.log"})
      platform::DeleteFileAt(folder + L"\\" + name);
    platform::RemoveEmptyFolder(folder + L"\\Purgello");
    platform::RemoveEmptyFolder(folder);
  }
  static void MakeDataFolder() {
    const std::wstring maker = platform::KnownFolderPath(platform::kCsidlAppData) + L"\\Halvoris";
    platform::WideCreateFolder(maker);
    platform::WideCreateFolder(maker + L"\\Purgello");
  }
  static std::wstring ExpectedDataFolder() {
    return platform::WithTrailingBackslash(platform::KnownFolderPath(platform::kCsidlAppData)) +
           L"Halvoris\\Purgello\\";
  }

  TempTree prefix_;
  TempTree program_;
  std::optional<testsupport::OwnPrefix> ownPrefix_;
};

TEST_F(StartupTest, UpdateLeftoversGoOnlyWhenNotEmpty) {
  struct Case {
    const char* what;
    std::string exeBytes, logBytes;  // "-" for no file
    bool exeStays, logStays;
  } cases[] = {
      {"both with content", "MZ", "done", false, false},
      {"an empty log counts as absent", "MZ", "", false, true},
      {"an empty installer counts as absent", "", "done", true, false},
      {"neither there", "-", "-", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempTree data;
    if (c.exeBytes != "-") data.WriteFile(L"update.exe", c.exeBytes);
    if (c.logBytes != "-") data.WriteFile(L"update.log", c.logBytes);
    data.WriteFile(L"Purgello.log", "kept");
    data.WriteFile(L"update.exe.part", "kept");
    DeleteUpdateLeftovers(data.Root() + L"\\");
    EXPECT_EQ(data.Exists(L"update.exe"), c.exeStays);
    EXPECT_EQ(data.Exists(L"update.log"), c.logStays);
    EXPECT_TRUE(data.Exists(L"Purgello.log"));
    EXPECT_TRUE(data.Exists(L"update.exe.part"));
  }
}

TEST_F(StartupTest, InstallIdIsWrittenOnceAndNeverChanged) {
  FakeClock clock;
  EnsureInstallId(clock);
  EXPECT_EQ(GetSetting(L"uid"), L"136246095");
  clock.now = {2030, 1, 1, 10, 0, 0};
  EnsureInstallId(clock);
  EXPECT_EQ(GetSetting(L"uid"), L"136246095");
}

TEST_F(StartupTest, PortableImportOnlyWhenNotInstalled) {
  const std::wstring exe = program_.WriteFile(L"Purgello.exe", "MZ");
  program_.WriteFile(L"settings.ini", "[Settings]\r\nExpertMode=1\r\n[Settings_DWORD]\r\nLangue=1036\r\n");
  ImportPortableSettings(exe);
  EXPECT_EQ(GetSetting(L"ExpertMode"), L"1");
  uint32_t langue = 0;
  EXPECT_TRUE(platform::RegKey::Open(platform::RegRoot::CurrentUser, kSettingsBranch, platform::RegAccess::Read)
                  .ReadDword(L"Langue", langue));
  EXPECT_EQ(langue, 1036u);

  const std::wstring registration = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Halvoris Purgello";
  ASSERT_TRUE(platform::RegKey::Create(platform::RegRoot::CurrentUser, registration).IsOpen());
  ASSERT_TRUE(SetSetting(L"ExpertMode", L"0"));
  ImportPortableSettings(exe);
  platform::DeleteKeyTree(platform::RegRoot::CurrentUser, registration);
  EXPECT_EQ(GetSetting(L"ExpertMode"), L"0");
}

TEST_F(StartupTest, FirstActivationWritesMakerValueLogAndFolders) {
  for (bool debugMode : {false, true}) {
    SCOPED_TRACE(debugMode ? "debug mode" : "normal");
    platform::DeleteKeyTree(platform::RegRoot::CurrentUser, kMakerBranch);
    if (debugMode) {
      ASSERT_TRUE(SetSetting(L"DebugMode", L"1"));
    }
    const std::wstring exe = program_.WriteFile(L"Purgello.exe", "MZ");
    const std::wstring dataFolder = ExpectedDataFolder();
    // A previous run's downloaded installer.
    MakeDataFolder();
    ASSERT_TRUE(platform::WriteWholeFile(dataFolder + L"update.exe", "MZ"));

    FakeClock clock;
    ProgramRun run = StartProgramRun(exe, std::wstring(L"two words"), clock);
    EXPECT_EQ(run.programPath, exe);
    EXPECT_EQ(run.dataFolder, dataFolder);
    EXPECT_EQ(ReadMakerValue(L"Purgello"), exe);
    EXPECT_FALSE(platform::WideFileExists(dataFolder + L"update.exe"));
    ASSERT_TRUE(run.log);
    EXPECT_EQ(run.log->FilePath(), dataFolder + L"Purgello.log");
    EXPECT_EQ(run.log->Verbose(), debugMode);

    const std::wstring reactOS = ReactOSVersionText();
    std::vector<std::wstring> expected = {kInfo + L"Starting"};
    if (debugMode) expected.push_back(kVerbose + L"Debug mode");
    expected.insert(expected.end(),
                    {kInfo + exe, kInfo + L"Purgello v",
                     kInfo + (reactOS.empty() ? L"Windows : " + WindowsVersionText() : L"ReactOS : " + reactOS),
                     kInfo + L"64Bits : " + YesNo(platform::IsWow64()),
                     kInfo + L"Administrator : " + YesNo(IsAdministrator()), kInfo + L"Portable : Yes",
                     kInfo + L"two words"});
    if (debugMode) expected.push_back(kVerbose + L"UID : 136246095");
    for (const auto& row : testsupport::kKnownFolderRows)
      expected.push_back(kInfo + row.name + L" = " +
                         platform::WithTrailingBackslash(platform::KnownFolderPath(row.csidl)));
    EXPECT_EQ(Chronological(*run.log), expected);

    // Only a verbose log is written as it grows.
    EXPECT_EQ(platform::WideFileExists(run.log->FilePath()), debugMode);
    run.log.reset();
    platform::DeleteFileAt(dataFolder + L"Purgello.log");
  }
}

}  // namespace

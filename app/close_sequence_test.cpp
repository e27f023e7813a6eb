// The close over a real run's start-up: what stays in the registry, in the
// settings file and in the user's profile (posix: a temporary prefix; Wine: the
// test's own prefix).
#include "app/close_sequence.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/known_folders.h"
#include "platform/registry.h"
#include "platform/whole_file.h"
#include "platform/win_path.h"
#include "settings/ini_file.h"
#include "settings/settings_store.h"
#include "tests/support/fake_clock.h"
#include "tests/support/own_prefix.h"
#include "tests/support/temp_tree.h"

namespace {

using platform::RegRoot;
using testsupport::FakeClock;
using testsupport::TempTree;

const std::wstring kRegistration = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Halvoris Purgello 1.0";
const std::wstring kShredixBranch = L"SOFTWARE\\Halvoris\\Shredix";

class CloseSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    for (const wchar_t* folder : {L"AppData\\Roaming", L"AppData\\Local"})
      prefix_.MakeFolder(std::wstring(L"prefix\\drive_c\\users\\tester\\") + folder);
#endif
    ownPrefix_.emplace(prefix_.Path(L"prefix"));
    Forget();
    appData_ = platform::KnownFolderPath(platform::kCsidlAppData);
    ASSERT_FALSE(appData_.empty());
    exe_ = program_.WriteFile(L"Purgello.exe", "MZ");
  }
  void TearDown() override {
    Forget();
  }
  // The registry and the profile as a machine that never ran the program.
  void Forget() {
    platform::DeleteKeyTree(RegRoot::CurrentUser, kMakerBranch);
    platform::DeleteKeyTree(RegRoot::CurrentUser, kRegistration);
    const std::wstring appData = platform::KnownFolderPath(platform::kCsidlAppData);
    if (!appData.empty()) testsupport::RemoveTree(appData + L"\\Halvoris");
  }

  // Creates each missing folder of relative, one below the other, under base.
  static void MakeFoldersBelow(const std::wstring& base, const std::wstring& relative) {
    std::wstring path = base;
    for (size_t from = 0; from < relative.size();) {
      size_t to = relative.find(L'\\', from);
      if (to == std::wstring::npos) to = relative.size();
      if (to > from) platform::WideCreateFolder(path += L"\\" + relative.substr(from, to - from));
      from = to + 1;
    }
  }

  std::wstring MakerFolder() const { return appData_ + L"\\Halvoris"; }
  std::wstring DataFolder() const { return MakerFolder() + L"\\Purgello\\"; }

  // Start-up as the program runs it, then the close.
  void RunProgram(const WindowCloseState& window, void (*beforeClose)(ProgramRun&) = nullptr) {
    ImportPortableSettings(exe_);
    ProgramRun run = StartProgramRun(exe_, std::nullopt, clock_);
    ASSERT_EQ(run.dataFolder, DataFolder());
    if (beforeClose) beforeClose(run);
    RunCloseSequence(run, window);
    EXPECT_FALSE(run.log);
  }

  std::map<std::wstring, std::wstring> IniSection(const std::wstring& section) const {
    std::map<std::wstring, std::wstring> out;
    for (const IniEntry& e : IniFile(program_.ReadFile(L"settings.ini")).ReadSection(section)) out[e.name] = e.value;
    return out;
  }
  static bool BranchExists(const std::wstring& path) { return platform::KeyExists(RegRoot::CurrentUser, path); }

  TempTree prefix_;
  TempTree program_;
  FakeClock clock_;
  std::wstring appData_;
  std::wstring exe_;
  std::optional<testsupport::OwnPrefix> ownPrefix_;
};

TEST_F(CloseSequenceTest, PortableRunTakesItsSettingsBackAndLeavesNothingBehind) {
  program_.WriteFile(L"settings.ini",
                     "[Settings]\r\nExpertMode=1\r\nMaximized=1\r\nTrim=1\r\n[Settings_DWORD]\r\nLangue=1036\r\n");
  RunProgram({false, false});

  EXPECT_EQ(IniSection(L"Settings"), (std::map<std::wstring, std::wstring>{{L"ExpertMode", L"0"},
                                                                           {L"Maximized", L"0"},
                                                                           {L"Trim", L"1"},
                                                                           {L"uid", L"136246095"}}));
  EXPECT_EQ(IniSection(L"Settings_DWORD"), (std::map<std::wstring, std::wstring>{{L"Langue", L"1036"}}));
  EXPECT_FALSE(BranchExists(kSettingsBranch));
  EXPECT_FALSE(BranchExists(kMakerBranch));
  EXPECT_FALSE(platform::WideFolderExists(MakerFolder()));
}

TEST_F(CloseSequenceTest, AnotherProductKeepsTheMakerBranchAndFolder) {
  ASSERT_TRUE(platform::RegKey::Create(RegRoot::CurrentUser, kShredixBranch).WriteString(L"Lang", L"1"));
  WriteMakerValue(L"Shredix", L"C:\\Shredix\\Shredix.exe");
  ASSERT_TRUE(platform::WideCreateFolder(MakerFolder()));
  ASSERT_TRUE(platform::WideCreateFolder(MakerFolder() + L"\\Shredix"));
  RunProgram({true, true});

  EXPECT_EQ(IniSection(L"Settings"), (std::map<std::wstring, std::wstring>{
                                         {L"ExpertMode", L"1"}, {L"Maximized", L"1"}, {L"uid", L"136246095"}}));
  EXPECT_FALSE(BranchExists(kSettingsBranch));
  EXPECT_FALSE(MakerValueExists(L"Purgello"));
  EXPECT_EQ(ReadMakerValue(L"Shredix"), L"C:\\Shredix\\Shredix.exe");
  EXPECT_TRUE(BranchExists(kShredixBranch));
  EXPECT_TRUE(platform::WideFolderExists(MakerFolder() + L"\\Shredix"));
  EXPECT_FALSE(platform::WideFolderExists(MakerFolder() + L"\\Purgello"));
}

TEST_F(CloseSequenceTest, FailedExportKeepsTheRegistry) {
  // A folder where the settings file should go: the export cannot write it.
  program_.MakeFolder(L"settings.ini");
  RunProgram({false, true});

  EXPECT_EQ(GetSetting(L"ExpertMode"), L"1");
  EXPECT_EQ(GetSetting(L"uid"), L"136246095");
  EXPECT_EQ(ReadMakerValue(L"Purgello"), exe_);
  // The profile is cleaned all the same.
  EXPECT_FALSE(platform::WideFolderExists(MakerFolder()));
}

TEST_F(CloseSequenceTest, DebugModeKeepsTheLogAndTheDataFolder) {
  program_.WriteFile(L"settings.ini", "[Settings]\r\nDebugMode=1\r\n");
  // A language file a protected program folder had redirected into the store,
  // beside a file of the user's.
  const std::wstring local = platform::KnownFolderPath(platform::kCsidlLocalAppData);
  const std::wstring below = L"VirtualStore\\" + program_.Root().substr(3);  // without the drive
  const std::wstring store = local + L"\\" + below + L"\\";
  MakeFoldersBelow(local, below);
  ASSERT_TRUE(platform::WriteWholeFile(store + L"HV_0000040C.SPK", "QLM"));
  ASSERT_TRUE(platform::WriteWholeFile(store + L"notes.txt", "mine"));

  RunProgram({false, false});

  std::string bytes;
  ASSERT_EQ(platform::ReadWholeFile(DataFolder() + L"Purgello.log", 1 << 20, bytes), platform::WholeFileRead::Ok);
  const std::string oldest = "Info\t[26-03-14 09:05:07]\tStarting\r\n";
  EXPECT_EQ(bytes.rfind(oldest), bytes.size() - oldest.size()) << bytes;
  EXPECT_EQ(bytes.find("Verbose\t[26-03-14 09:05:07]\tCleaning VirtualStore : "), 0u) << bytes;
  EXPECT_FALSE(platform::WideFileExists(store + L"HV_0000040C.SPK"));
  EXPECT_TRUE(platform::WideFileExists(store + L"notes.txt"));
  EXPECT_EQ(IniSection(L"Settings")[L"DebugMode"], L"1");
  EXPECT_FALSE(BranchExists(kSettingsBranch));

  platform::DeleteFileAt(store + L"notes.txt");
  for (std::wstring folder = platform::WithoutTrailingBackslash(store); folder.size() > local.size();
       folder = platform::WithoutTrailingBackslash(platform::FolderOf(folder)))
    platform::RemoveEmptyFolder(folder);
}

TEST_F(CloseSequenceTest, InstalledRunShredsTheLogAndKeepsItsSettings) {
  ASSERT_TRUE(platform::RegKey::Create(RegRoot::CurrentUser, kRegistration).IsOpen());
  program_.WriteFile(L"settings.ini", "[Settings]\r\nExpertMode=1\r\n");
  // The log was shown once (saved), so its file holds the start-up lines.
  RunProgram({false, true}, [](ProgramRun& run) {
    run.log->Save();
    ASSERT_GT(platform::FileSize64(run.log->FilePath()), 0u);
  });

  // Shredded, then emptied: a file of zero bytes stays.
  EXPECT_TRUE(platform::WideFileExists(DataFolder() + L"Purgello.log"));
  EXPECT_EQ(platform::FileSize64(DataFolder() + L"Purgello.log"), 0u);
  EXPECT_EQ(GetSetting(L"ExpertMode"), L"1");
  EXPECT_EQ(ReadMakerValue(L"Purgello"), exe_);
  // An installed program neither reads nor writes the settings file.
  EXPECT_EQ(program_.ReadFile(L"settings.ini"), "[Settings]\r\nExpertMode=1\r\n");
}

TEST_F(CloseSequenceTest, CleanLogFileShredsTheFileAndKeepsTheLines) {
  TempTree data;
  TKLog log(data.Path(L"Purgello.log"), kLogMaxLines, false, clock_);
  CleanLogFile(log);  // no file yet: nothing to do
  log.Add(L"Starting", kLogInfo);
  log.Save();
  data.WriteFile(L"other.txt", "mine");
  CleanLogFile(log);
  std::vector<std::wstring> left;
  for (platform::DirectoryReader reader(data.Root() + L"\\*"); reader.Next();)
    if (!reader.IsFolder()) left.push_back(reader.Name());
  EXPECT_EQ(left, std::vector<std::wstring>{L"other.txt"});  // no file under a scrambled name either
  EXPECT_EQ(log.Lines(), std::vector<std::wstring>{L"Info\t[26-03-14 09:05:07]\tStarting"});
  log.Save();
  EXPECT_EQ(data.ReadFile(L"Purgello.log"), "Info\t[26-03-14 09:05:07]\tStarting\r\n");
}

TEST_F(CloseSequenceTest, ProgramFolderAsDataFolderLosesOnlyTheProgramsOwnFiles) {
  for (const wchar_t* name : {L"Purgello.log", L"update.exe", L"update.log", L"letter.doc", L"sub\\photo.jpg"})
    program_.WriteFile(name, "x");
  RemovePortableData(exe_, program_.Root() + L"\\", false);
  EXPECT_FALSE(program_.Exists(L"Purgello.log"));
  EXPECT_FALSE(program_.Exists(L"update.exe"));
  EXPECT_FALSE(program_.Exists(L"update.log"));
  EXPECT_TRUE(program_.Exists(L"Purgello.exe"));
  EXPECT_TRUE(program_.Exists(L"letter.doc"));
  EXPECT_TRUE(program_.Exists(L"sub\\photo.jpg"));

  // In debug mode nothing of it goes.
  program_.WriteFile(L"Purgello.log", "x");
  RemovePortableData(exe_, program_.Root() + L"\\", true);
  EXPECT_TRUE(program_.Exists(L"Purgello.log"));
}

}  // namespace

// The real Purgello.exe started and closed: what it leaves in its log, its
// settings file, the registry and the user's profile.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/purgello_exe_fixture.h"
#include "platform/file_system.h"
#include "platform/known_folders.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "platform/whole_file.h"
#include "i18n/language_text.h"
#include "model/catalogue.h"
#include "platform/win32/handle.h"
#include "platform/win_path.h"
#include "settings/ini_file.h"
#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"
#include "system/formatters.h"
#include "system/privileges.h"
#include "system/windows_version.h"
#include "tests/support/known_folder_table.h"
#include "tests/support/temp_tree.h"

namespace {

using namespace exetest;

TEST_F(PurgelloExeTest, DebugRunKeepsItsLogAndGivesBackItsSettings) {
  tree_.WriteFile(L"settings.ini",
                  "[Settings]\r\nAutoUpdate=0\r\nDebugMode=1\r\nExpertMode=1\r\n[Settings_DWORD]\r\nLangue=1036\r\n");
  // A previous update's installer and its empty log.
  MakeDataFolder();
  ASSERT_TRUE(platform::WriteWholeFile(DataFolder() + L"update.exe", "MZ"));
  ASSERT_TRUE(platform::WriteWholeFile(DataFolder() + L"update.log", ""));
  // A language file that Windows had redirected into the user's VirtualStore,
  // beside a file of the user's.
  const std::wstring local = platform::KnownFolderPath(platform::kCsidlLocalAppData);
  std::wstring store = local + L"\\VirtualStore";
  platform::WideCreateFolder(store);
  const std::wstring below = tree_.Root().substr(3);
  for (size_t from = 0; from < below.size();) {
    size_t to = below.find(L'\\', from);
    if (to == std::wstring::npos) to = below.size();
    platform::WideCreateFolder(store += L"\\" + below.substr(from, to - from));
    from = to + 1;
  }
  store += L"\\";
  ASSERT_TRUE(platform::WriteWholeFile(store + L"HV_0000040C.SPK", "QLM"));
  ASSERT_TRUE(platform::WriteWholeFile(store + L"notes.txt", "mine"));

  ASSERT_EQ(Run(L"\"two words\" second"), 0u);

  const Entries settings = IniSection(L"Settings");
  ASSERT_EQ(settings.count(L"uid"), 1u);
  const std::wstring uid = settings.at(L"uid");
  EXPECT_FALSE(uid.empty());
  EXPECT_EQ(uid.find_first_not_of(L"0123456789"), std::wstring::npos) << platform::ToUtf8(uid);
  EXPECT_EQ(settings, (Entries{{L"AutoUpdate", L"0"}, {L"DebugMode", L"1"}, {L"ExpertMode", L"1"},
                               {L"Maximized", L"0"}, {L"uid", uid}}));
  EXPECT_EQ(IniSection(L"Settings_DWORD"), (Entries{{L"Langue", L"1036"}}));
  EXPECT_FALSE(BranchExists(kSettingsBranch));
  EXPECT_FALSE(BranchExists(kMakerBranch));

  const std::wstring reactOS = ReactOSVersionText();
  std::vector<LogLine> expected = {
      {L"Info", L"Starting"},
      {L"Verbose", L"Debug mode"},
      {L"Info", exe_},
      {L"Info", L"Purgello v" PURGELLO_VERSION_TEXT},
      {L"Info", reactOS.empty() ? L"Windows : " + WindowsVersionText() : L"ReactOS : " + reactOS},
      {L"Info", sizeof(void*) == 4 ? L"64Bits : Yes" : L"64Bits : No"},  // the tests run on 64-bit Wine
      {L"Info", L"Administrator : " + YesNo(IsAdministrator())},
      {L"Info", L"Portable : Yes"},
      {L"Info", L"two words"},
      {L"Info", L"Language : "},  // the saved French has no file here
      {L"Verbose", L"UID : " + uid},
      {L"Verbose", L"OpenSSL : Schannel (WinHTTP)"},
  };
  // Both builds see the same folders of the 64-bit prefix, but that Windows
  // shows a 32-bit program the 32-bit program-files folder as its own.
  wchar_t user[256] = L"";
  GetEnvironmentVariableW(L"USERNAME", user, 256);
  const std::wstring profile = L"C:\\users\\" + std::wstring(user);
  for (const auto& row : testsupport::kKnownFolderRows) {
    const std::wstring path = sizeof(void*) == 4 && row.csidl == 38 ? L"C:\\Program Files (x86)"
                                                                    : testsupport::WineFolderOf(row, profile);
    expected.push_back({L"Info", row.name + (L" = " + path + L"\\")});
  }
  expected.push_back({L"Verbose", L"Cleaning VirtualStore : " + store});
  EXPECT_EQ(LogLines(), expected);

  EXPECT_FALSE(platform::WideFileExists(DataFolder() + L"update.exe"));
  EXPECT_TRUE(platform::WideFileExists(DataFolder() + L"update.log"));  // empty: left alone
  EXPECT_FALSE(platform::WideFileExists(store + L"HV_0000040C.SPK"));
  EXPECT_TRUE(platform::WideFileExists(store + L"notes.txt"));

  platform::DeleteFileAt(store + L"notes.txt");
  for (std::wstring folder = platform::WithoutTrailingBackslash(store); folder.size() > local.size();
       folder = platform::WithoutTrailingBackslash(platform::FolderOf(folder)))
    platform::RemoveEmptyFolder(folder);
}

// This test process plays the running instance: it holds the instance mutex
// and owns a minimised main window that records what is handed over.
struct RunningInstance {
  static inline std::wstring handedOver;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data->dwData == kCommandLineHandOver && data->cbData >= sizeof(wchar_t))
        handedOver.assign(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t) - 1);
      return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
};

TEST_F(PurgelloExeTest, SecondStartHandsOverToTheRunningOneAndDoesNothingElse) {
  const platform::Handle mutex(CreateMutexW(nullptr, FALSE, kInstanceMutexName));
  ASSERT_TRUE(mutex.Get());
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = RunningInstance::Proc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kMainDlgClass;
  ASSERT_TRUE(RegisterClassW(&windowClass));
  HWND first = CreateWindowExW(0, kMainDlgClass, L"Purgello", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(first);
  ShowWindow(first, SW_SHOWMINIMIZED);
  ASSERT_TRUE(IsIconic(first));
  // Would be imported, and the program recorded, by a first start.
  tree_.WriteFile(L"settings.ini", "[Settings]\r\nExpertMode=1\r\n");

  // The hand-over is a sent message: this thread serves it while it waits.
  std::wstring commandLine = L"\"" + exe_ + L"\" /minimized";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessW(exe_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             tree_.Root().c_str(), &startup, &process));
  const platform::Handle running(process.hProcess), thread(process.hThread);
  HANDLE waitFor = running.Get();
  const DWORD deadline = GetTickCount() + 60000;
  while (MsgWaitForMultipleObjects(1, &waitFor, FALSE, 1000, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (GetTickCount() > deadline) {
      TerminateProcess(running.Get(), 1);
      FAIL() << "the second start did not end";
    }
  }
  DWORD exitCode = DWORD(-1);
  GetExitCodeProcess(running.Get(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(RunningInstance::handedOver, commandLine);
  EXPECT_FALSE(IsIconic(first)) << "the running instance is brought back";
  DestroyWindow(first);
  UnregisterClassW(kMainDlgClass, GetModuleHandleW(nullptr));

  // No import, no log, no registry value.
  EXPECT_FALSE(BranchExists(kSettingsBranch));
  EXPECT_FALSE(BranchExists(kMakerBranch));
  EXPECT_FALSE(platform::WideFolderExists(MakerFolder()));
  EXPECT_EQ(tree_.ReadFile(L"settings.ini"), "[Settings]\r\nExpertMode=1\r\n");
}

// Every value below a branch of the current user's registry, as the
// key's path and the value's name, and its type and bytes.
void CollectValues(HKEY parent, const std::wstring& path, Entries& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD nameChars = 16384, type = 0, bytes = 0;
    if (RegEnumValueW(key, i, name, &nameChars, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) break;
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    nameChars = 16384;
    RegEnumValueW(key, i, name, &nameChars, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes);
    data.resize(bytes / sizeof(wchar_t));
    out[path + L"\\" + name] = std::to_wstring(type) + L":" + data;
  }
  std::vector<std::wstring> subKeys;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameChars = 256;
    if (RegEnumKeyExW(key, i, name, &nameChars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subKeys.push_back(name);
  }
  RegCloseKey(key);
  for (const std::wstring& sub : subKeys) {
    out[path + L"\\" + sub + L"\\"] = L"key";
    CollectValues(parent, path + L"\\" + sub, out);
  }
}

// What a start could write: the maker branch with the settings below it,
// the Run entries, the log.
struct Traces {
  Entries registry;
  std::string log;
  bool operator==(const Traces& o) const { return registry == o.registry && log == o.log; }
};

// Two real instances. The first runs with its window put away; a second
// start ends at once with 0, writes nothing (its settings file has changed
// since the first imported it, so an import would show in the registry) and
// brings the first back in front.
TEST_F(PurgelloExeTest, SecondRealInstanceBringsTheFirstForwardAndWritesNothing) {
  struct Case {
    const char* name;
    const char* minSysTray;
  };
  for (const Case& c : {Case{"minimised", "0"}, Case{"in the tray", "1"}}) {
    SCOPED_TRACE(c.name);
    Forget();
    tree_.WriteFile(L"settings.ini",
                    std::string("[Settings]\r\nAutoUpdate=0\r\nDebugMode=1\r\nRecycle_Bin=0\r\nMinSysTray=") +
                        c.minSysTray + "\r\n");
    RunningProgram first;
    ASSERT_TRUE(Start(first, L""));
    const HWND window = first.WaitForMainWindow();
    ASSERT_TRUE(window);
    // Its placement stored first, else it would be when the window comes back.
    ASSERT_TRUE(WaitUntil([] { return !GetSetting(kTopSetting).empty(); }, 10000));
    PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    RunningProgram::Sync(window);
    const bool toTray = c.minSysTray[0] == '1';
    ASSERT_TRUE(WaitUntil([&] { return toTray ? !IsWindowVisible(window) : IsIconic(window) != FALSE; }, 10000))
        << "visible " << IsWindowVisible(window) << ", minimised " << IsIconic(window);

    // Something of this process in front, for the first to take it back from.
    const HWND front = CreateWindowExW(0, L"STATIC", L"front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                       nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(front);
    SetForegroundWindow(front);
    const bool frontObserved = GetForegroundWindow() == front;

    auto traces = [this] {
      Traces t;
      CollectValues(HKEY_CURRENT_USER, kMakerBranch, t.registry);
      CollectValues(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", t.registry);
      EXPECT_EQ(platform::ReadWholeFile(DataFolder() + L"Purgello.log", 1 << 22, t.log), platform::WholeFileRead::Ok);
      return t;
    };
    // The first is idle: what it has written stays as it is, once its log
    // has saved the lines that wait in memory for their save.
    Traces before = traces();
    ASSERT_EQ(before.registry.count(std::wstring(kSettingsBranch) + L"\\MinSysTray"), 1u) << "imported by the first";
    ASSERT_TRUE(WaitUntil(
        [&] {
          Sleep(2000);
          Traces now = traces();
          const bool still = now == before;
          before = std::move(now);
          return still;
        },
        30000))
        << "the first instance is still writing";
    tree_.WriteFile(L"settings.ini", "[Settings]\r\nDebugMode=0\r\nExpertMode=1\r\n");

    RunningProgram second;
    const DWORD started = GetTickCount();
    ASSERT_TRUE(Start(second, L"/minimized"));
    EXPECT_EQ(second.WaitForExit(30000), 0u);
    const DWORD took = GetTickCount() - started;
    EXPECT_LT(took, 10000u) << "the second start took " << took << " ms";

    const Traces after = traces();
    EXPECT_EQ(after.registry, before.registry);
    EXPECT_TRUE(after.log == before.log) << "the log has changed:\n" << after.log;
    EXPECT_EQ(tree_.ReadFile(L"settings.ini"), "[Settings]\r\nDebugMode=0\r\nExpertMode=1\r\n");
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    if (frontObserved) {
      EXPECT_EQ(GetForegroundWindow(), window);
    }
    EXPECT_TRUE(frontObserved) << "this display does not show which window is in front";

    DestroyWindow(front);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitForExit(60000), 0u);
  }
}

TEST_F(PurgelloExeTest, NormalRunLeavesOnlyItsSettingsFile) {
  tree_.WriteFile(L"settings.ini",
                  "[Settings]\r\nAutoUpdate=0\r\nExpertMode=0\r\nMaximized=1\r\n[Settings_DWORD]\r\nLangue=1033\r\n");
  // A sibling product keeps its own folder and registry value.
  ASSERT_TRUE(platform::WideCreateFolder(MakerFolder()));
  ASSERT_TRUE(platform::WideCreateFolder(MakerFolder() + L"\\Shredix"));
  WriteMakerValue(L"Shredix", L"C:\\Shredix\\Shredix.exe");

  ASSERT_EQ(Run(L""), 0u);

  const Entries settings = IniSection(L"Settings");
  ASSERT_EQ(settings.count(L"uid"), 1u);
  EXPECT_EQ(settings,
            (Entries{{L"AutoUpdate", L"0"}, {L"ExpertMode", L"0"}, {L"Maximized", L"1"},
                     {L"uid", settings.at(L"uid")}}));
  EXPECT_EQ(IniSection(L"Settings_DWORD"), (Entries{{L"Langue", L"1033"}}));
  EXPECT_FALSE(BranchExists(kSettingsBranch));
  EXPECT_FALSE(MakerValueExists(L"Purgello"));
  EXPECT_EQ(ReadMakerValue(L"Shredix"), L"C:\\Shredix\\Shredix.exe");
  // The data folder went with the log in it; the maker folder stays for the sibling.
  EXPECT_FALSE(platform::WideFolderExists(MakerFolder() + L"\\Purgello"));
  EXPECT_TRUE(platform::WideFolderExists(MakerFolder() + L"\\Shredix"));
  // Nothing but the program and its settings file beside it.
  std::vector<std::wstring> beside;
  for (platform::DirectoryReader reader(tree_.Root() + L"\\*"); reader.Next();)
    if (!reader.IsFolder()) beside.push_back(reader.Name());
  EXPECT_EQ(beside, (std::vector<std::wstring>{L"Purgello.exe", L"settings.ini"}));
}

// Logging off: the program lets the session end, and has run its close
// sequence by the time it answers the end, since Windows may end the process
// at once afterwards (here it is ended by force, as Windows would).
TEST_F(PurgelloExeTest, LoggingOffRunsTheCloseSequenceBeforeTheEndIsAnswered) {
  tree_.WriteFile(L"settings.ini", "[Settings]\r\nAutoUpdate=0\r\nRecycle_Bin=1\r\nMaximized=0\r\n");
  RunningProgram program;
  ASSERT_TRUE(Start(program, L""));
  const HWND window = program.WaitForMainWindow();
  ASSERT_TRUE(window);
  ASSERT_TRUE(platform::WideFolderExists(MakerFolder() + L"\\Purgello"));
  ShowWindow(window, SW_MAXIMIZE);
  RunningProgram::Sync(window);
  ASSERT_TRUE(IsZoomed(window));

  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &answer));
  EXPECT_EQ(answer, DWORD_PTR(TRUE));
  ASSERT_TRUE(SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 30000, &answer));
  program.WaitForExit(0);

  const Entries settings = IniSection(L"Settings");
  ASSERT_EQ(settings.count(L"uid"), 1u);
  EXPECT_EQ(settings, (Entries{{L"AutoUpdate", L"0"}, {L"ExpertMode", L"0"}, {L"Maximized", L"1"},
                               {L"Recycle_Bin", L"1"}, {L"uid", settings.at(L"uid")}}));
  EXPECT_FALSE(BranchExists(kSettingsBranch));
  // The log went as at a close, with the data folder.
  EXPECT_FALSE(platform::WideFolderExists(MakerFolder() + L"\\Purgello"));
}

TEST_F(PurgelloExeTest, StartsInTheSavedLanguageAndKeepsItAcrossRuns) {
  ShipLanguage(L"HV_0000040C.SPK");
  ShipLanguage(L"HV_00000407.SPK");
  // A second French file that has since gone: the French one stands in for it.
  tree_.WriteFile(L"settings.ini", "[Settings]\r\nAutoUpdate=0\r\nDebugMode=1\r\n[Settings_DWORD]\r\nLangue=66572\r\n");
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    ASSERT_EQ(Run(L""), 0u);
    EXPECT_TRUE(LogHas({L"Info", L"Language : Fran\u00E7ais"}));
    EXPECT_EQ(IniSection(L"Settings_DWORD"), (Entries{{L"Langue", L"1036"}}));  // 0x040C, as switched to
    Forget();
  }
}

TEST_F(PurgelloExeTest, CoWritesTheTemplateBesideTheProgramAndStartsAsUsual) {
  tree_.WriteFile(L"settings.ini", "[Settings]\r\nAutoUpdate=0\r\nDebugMode=1\r\n");
  ASSERT_EQ(Run(L"/CO"), 0u);
  EXPECT_TRUE(LogHas({L"Info", L"Starting"}));
  EXPECT_TRUE(LogHas({L"Info", L"Language : "}));
  // As text and back: the same file, with every window's texts in it.
  std::string text, error, original = tree_.ReadFile(L"HV_ORIGINAL.SPK");
  ASSERT_TRUE(LanguageFileToText(tree_.Path(L"HV_ORIGINAL.SPK"), text, error)) << error;
  EXPECT_NE(text.find("\nProgramVersion = " PURGELLO_VERSION_TEXT "\n"), std::string::npos);
  EXPECT_NE(text.find("\nSettingsDlg.save_btn.Caption = Save\n"), std::string::npos);
  EXPECT_NE(text.find("\nMainDlg.main_ts.Items = Purgello is a powerful"), std::string::npos);
  EXPECT_NE(text.find("\nAboutDlg.TS_about.Items = About\\r\\n"), std::string::npos);
  ASSERT_TRUE(TextToLanguageFile(text, tree_.Root() + L"\\", tree_.Path(L"back.spk"), error)) << error;
  EXPECT_EQ(tree_.ReadFile(L"back.spk"), original);
  // The same with the translators' tool, run as they run it.
  for (const wchar_t* arguments : {L"to-text HV_ORIGINAL.SPK template.txt", L"to-file template.txt by-tool.spk"}) {
    RunningProgram tool;
    ASSERT_TRUE(tool.Start(BuiltPath(PURGELLO_LANGTEXT), tree_.Root(), arguments));
    ASSERT_EQ(tool.WaitForExit(30000), 0u) << platform::ToUtf8(arguments);
  }
  EXPECT_EQ(tree_.ReadFile(L"template.txt"), text);
  EXPECT_EQ(tree_.ReadFile(L"by-tool.spk"), original);
}


// The first start, with no category setting yet: the notice, then the
// settings dialog, which has stored every category's default before it
// showed, so that cancelling it keeps them. Its start-up is a user's first,
// with the update check on: the check is still on its way (the vendor's name
// resolves nowhere here) when the window closes, and the program ends cleanly.
TEST_F(PurgelloExeTest, FirstStartShowsTheNoticeThenTheSettingsWhoseCancelKeepsTheDefaults) {
  tree_.WriteFile(L"settings.ini", "[Settings]\r\nDebugMode=1\r\n");
  RunningProgram program;
  ASSERT_TRUE(Start(program, L""));
  const HWND notice = program.WaitForBox(L"Purgello");
  ASSERT_TRUE(notice) << "no notice";
  EXPECT_EQ(RunningProgram::BoxText(notice), L"Purgello is a powerful and secured file cleaner. Use with care.");
  EXPECT_TRUE(program.TopWindows(L"#32770", L"Settings").empty() ||
              !IsWindowVisible(program.TopWindows(L"#32770", L"Settings").front()))
      << "the settings show after the notice";
  RunningProgram::Answer(notice, IDOK);
  const HWND settings = program.WaitForBox(L"Settings");
  ASSERT_TRUE(settings) << "no settings dialog after the notice";
  ASSERT_TRUE(RunningProgram::PressAndLeave(FindWindowExW(settings, nullptr, WC_BUTTONW, L"Cancel")));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(settings); }, 10000));
  ASSERT_TRUE(program.WaitForMainWindow());
  PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
  ASSERT_EQ(program.WaitForExit(60000), 0u);

  const Entries stored = IniSection(L"Settings");
  for (const Category& category : kCatalogue) {
    SCOPED_TRACE(platform::ToUtf8(category.key));
    ASSERT_EQ(stored.count(category.key), 1u);
    EXPECT_EQ(stored.at(category.key), category.enabledByDefault ? L"1" : L"0");
  }
  EXPECT_FALSE(BranchExists(kSettingsBranch));
}

// Started from the Run entry with "/minimized" and CleanOnce: armed without a
// question, the run five seconds later cleans what is old enough, then the
// program closes by itself and gives its settings back to the file.
TEST_F(PurgelloExeTest, MinimizedStartWithCleanOnceCleansAndCloses) {
  tree_.WriteFile(L"settings.ini",
                  "[Settings]\r\nAutoUpdate=0\r\nDebugMode=1\r\nCleanOnce=1\r\nRecycle_Bin=0\r\nTemporary_Files=1\r\n");
  // The Windows folder's Temp: Wine's user temporary folder has no
  // "Local Settings" link in the profile, through which the category reaches
  // it on Windows.
  const std::wstring temp = platform::KnownFolderPath(platform::kCsidlWindows) + L"\\Temp\\";
  const std::wstring old = temp + L"purgello_e2e_old.tmp", young = temp + L"purgello_e2e_young.tmp";
  ASSERT_TRUE(platform::WriteWholeFile(old, "old"));
  ASSERT_TRUE(platform::WriteWholeFile(young, "young"));
  {
    // Two hours old: an automatic run keeps the last hour's temporary files.
    const platform::Handle file(CreateFileW(old.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= 2ull * 3600 * 10000000;
    const FILETIME then{t.LowPart, t.HighPart};
    ASSERT_TRUE(SetFileTime(file.Get(), &then, &then, &then));
  }

  ASSERT_EQ(Run(L"/minimized", false), 0u);

  EXPECT_EQ(GetFileAttributesW(old.c_str()), INVALID_FILE_ATTRIBUTES) << "the old file was cleaned";
  EXPECT_NE(GetFileAttributesW(young.c_str()), INVALID_FILE_ATTRIBUTES) << "the young one stays";
  platform::DeleteFileAt(young);
  std::vector<std::wstring> session;
  for (const LogLine& line : LogLines())
    if (line.second.rfind(L"Start of", 0) == 0 || line.second.rfind(L"End of", 0) == 0 ||
        line.second.rfind(L"Automatic mode", 0) == 0)
      session.push_back(line.second);
  EXPECT_EQ(session, (std::vector<std::wstring>{L"Start of analysis", L"End of analysis", L"Start of cleaning",
                                                L"End of cleaning"}));
  EXPECT_EQ(IniSection(L"Settings").count(L"CleanOnce"), 1u);
  EXPECT_FALSE(BranchExists(kSettingsBranch));
}

}  // namespace

// The update dialogs under Wine, driven in-process: each Execute runs its
// modal loop while thread timers read and press the controls as a user would.
// The downloads go to the loopback servers of tests/servers/update_servers.py,
// which serve the installers tests/installer/sign_installers.py signs.
#include "tests/support/update_servers.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "app/auto_update_dlg.h"
#include "app/update_dlg.h"
#include "gui/win32/layout_check.h"
#include "gui/window_dispatcher.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "platform/whole_file.h"
#include "system/log.h"
#include "tests/support/loopback_network.h"
#include "update/update_network.h"

namespace {

using testsupport::InstallersFolder;
using testsupport::ReadAll;
using testsupport::ServerPort;
using testsupport::TrustRoot;

std::wstring InstallerUrl(const std::string& server) {
  return L"http://127.0.0.1:" + std::to_wstring(ServerPort(server)) + L"/files/purgello_lite.exe";
}

// Thread timers that act inside a modal loop: once after a delay, or every
// period until they are stopped.
std::vector<std::pair<UINT_PTR, std::function<void()>>> actions;
void CALLBACK RunAction(HWND, UINT, UINT_PTR id, DWORD) {
  for (auto& [actionId, action] : actions)
    if (actionId == id) action();
}
UINT_PTR Every(UINT periodMs, std::function<void()> action) {
  const UINT_PTR id = SetTimer(nullptr, 0, periodMs, RunAction);
  actions.emplace_back(id, std::move(action));
  return id;
}
void After(UINT delayMs, std::function<void()> action) {
  auto once = std::make_shared<UINT_PTR>(0);
  *once = Every(delayMs, [once, action = std::move(action)] {
    KillTimer(nullptr, *once);
    action();
  });
}
void StopActions() {
  for (auto& [id, action] : actions) KillTimer(nullptr, id);
  actions.clear();
}

// The log's lines oldest first as "Level: text", the milliseconds as N.
std::vector<std::wstring> Logged(const TKLog& log) {
  std::vector<std::wstring> lines;
  const std::vector<std::wstring> newestFirst = log.Lines();
  for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it)
    lines.push_back(std::regex_replace(it->substr(0, it->find(L'\t')) + L": " + it->substr(it->rfind(L'\t') + 1),
                                       std::wregex(L"in [0-9]+ms$"), L"in Nms"));
  return lines;
}

constexpr uint32_t kBoundMs = 3000;  // the network's waits here

class UpdateDlgTest : public ::testing::Test {
 protected:
  UpdateDlgTest() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    dataFolder = std::wstring(temp) + L"purgello-update-test\\";
    platform::WideCreateFolder(dataFolder);
    for (const wchar_t* name : {L"update.exe", L"update.exe.args", L"update.log"})
      DeleteFileW((dataFolder + name).c_str());
  }
  ~UpdateDlgTest() override { StopActions(); }

  // A safety net: no test leaves a dialog open for long.
  void CloseAllAfter(UINT ms) {
    After(ms, [this] {
      autoUpdate.EndModal(IDCANCEL);
      update.EndModal(IDCANCEL);
    });
  }

  AutoUpdateDlgEnvironment AutoEnvironment() {
    AutoUpdateDlgEnvironment environment = DefaultAutoUpdateDlgEnvironment(*network, [this] { return dataFolder; });
    environment.signerSha256 = [] {
      const std::string hex = ReadAll(InstallersFolder() + L"pin.txt");
      return std::wstring(hex.begin(), hex.end());
    }();
    environment.showMessage = [this](HWND, const std::wstring& text) { messages.push_back(text); };
    return environment;
  }
  UpdateDlgEnvironment Environment() {
    UpdateDlgEnvironment environment;
    environment.shellOpen = [this](const std::wstring& target) { opened.push_back(target); };
    return environment;
  }

  std::wstring dataFolder;
  WindowDispatcher dispatcher;
  std::unique_ptr<UpdateNetwork> network = std::make_unique<testsupport::LoopbackNetwork>(dispatcher, false, kBoundMs);
  TKLog log{L"", 100, true};
  std::vector<std::wstring> messages, opened;
  TAutoUpdateDlg autoUpdate{AutoEnvironment()};
  TUpdateDlg update{autoUpdate, Environment()};
};

bool HaveServers() { return testsupport::HaveServers() && std::getenv("PURGELLO_TEST_INSTALLERS"); }

TEST_F(UpdateDlgTest, ShowsItsTextsUncutAndTheChangeLogLinkOnlyWithACallback) {
  EXPECT_EQ(update.Caption(), L"Update");
  EXPECT_EQ(autoUpdate.Caption(), L"Auto Update");
  EXPECT_EQ(update.Label2->Caption(), L"Update Available");
  EXPECT_EQ(update.Label1.Caption(),
            L"New version is available to download ! Updates are recommended in order to benefit from bug fixes and "
            L"new features.");
  for (const bool withCallback : {false, true}) {
    int calls = 0;
    update.changeLog = withCallback ? std::function<void()>([&] { ++calls; }) : nullptr;
    bool visible = false;
    std::vector<std::wstring> faults;
    After(50, [&] {
      visible = update.changelog_lbl->Visible();
      faults = gui::LayoutFaults(update);
      if (visible) update.changelog_lblClick();
      update.close_btn.Click();
    });
    EXPECT_FALSE(update.Execute());
    EXPECT_EQ(visible, withCallback);
    EXPECT_EQ(calls, withCallback ? 1 : 0);
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
  }
  EXPECT_EQ(update.changelog_lbl->Alignment(), 1);
  EXPECT_TRUE(opened.empty());
}

TEST_F(UpdateDlgTest, BothDialogsShowTheProgramIconDrawnForTheDpiAndAgainForANewOne) {
  for (gui::WindowBase* dlg : {static_cast<gui::WindowBase*>(&update), static_cast<gui::WindowBase*>(&autoUpdate)}) {
    SCOPED_TRACE(platform::ToUtf8(dlg->Caption()));
    EXPECT_EQ(gui::WindowIconWidth(dlg->Hwnd(), ICON_SMALL), gui::Scale(16, dlg->Dpi()));
    EXPECT_EQ(gui::WindowIconWidth(dlg->Hwnd(), ICON_BIG), gui::Scale(32, dlg->Dpi()));
    const int dpi = dlg->Dpi() == 96 ? 144 : 96;
    RECT r{};
    GetWindowRect(dlg->Hwnd(), &r);
    SendMessageW(dlg->Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(gui::WindowIconWidth(dlg->Hwnd(), ICON_SMALL), gui::Scale(16, dpi));
    EXPECT_EQ(gui::WindowIconWidth(dlg->Hwnd(), ICON_BIG), gui::Scale(32, dpi));
  }
}

TEST_F(UpdateDlgTest, CountsDownFrom20To1OnTheCloseButtonThenClosesAndStartsAgainAt20) {
  ASSERT_EQ(update.TimerClose.Interval(), 1000u);
  update.TimerClose.SetInterval(20);  // the same count, faster
  std::vector<std::wstring> captions;
  After(1, [&] { captions.push_back(update.close_btn.WindowText()); });
  update.TimerClose.onTimer = [&] {
    update.TimerCloseTimer();
    captions.push_back(update.close_btn.WindowText());
  };
  CloseAllAfter(10000);
  EXPECT_FALSE(update.Execute());
  // Closed by the last tick: nothing after "(1)".
  std::vector<std::wstring> expected{L"Close"};
  for (int n = 20; n >= 1; --n) expected.push_back(L"Close\n\r(" + std::to_wstring(n) + L")");
  EXPECT_EQ(captions, expected);

  // A second showing: no leftover count, and it starts at 20 again.
  captions.clear();
  After(1, [&] { captions.push_back(update.close_btn.WindowText()); });
  update.TimerClose.onTimer = [&] {
    update.TimerCloseTimer();
    captions.push_back(update.close_btn.WindowText());
    update.close_btn.Click();
  };
  EXPECT_FALSE(update.Execute());
  EXPECT_EQ(captions, (std::vector<std::wstring>{L"Close", L"Close\n\r(20)"}));
  EXPECT_TRUE(opened.empty());
  EXPECT_TRUE(Logged(log).empty());
}

TEST_F(UpdateDlgTest, ManualUpdateOpensTheViewPageAndAsksToQuit) {
  update.log = &log;
  update.viewPageUrl = L"https://www.halvoris.example/pylo/view.php?&ProductName=Purgello&Company=Halvoris&prot=2";
  After(50, [&] { update.manual_btn.Click(); });
  CloseAllAfter(5000);
  EXPECT_TRUE(update.Execute());
  EXPECT_EQ(opened, std::vector<std::wstring>{update.viewPageUrl});
  EXPECT_EQ(Logged(log), std::vector<std::wstring>{L"Info: Manual update selected by user"});
}

TEST_F(UpdateDlgTest, AutomaticUpdateStartsOnlyAWholeInstallerSignedByTheVendor) {
  if (!HaveServers()) GTEST_SKIP() << "needs the loopback servers";
  TrustRoot(InstallersFolder() + L"test_root.der");
  TrustRoot(InstallersFolder() + L"foreign_root.der");
  const std::wstring selected = L"Info: Auto update selected by user", starting = L"Info: Starting update download",
                     downloaded = L"Info: File downloaded in Nms", failed = L"Info: Auto update failed";
  const struct {
    const char* server;
    bool started;
    std::vector<std::wstring> lines;  // between "Starting update download" and the last line
    bool fileStays;
  } cases[] = {
      {"signed", true, {downloaded, L"Info: Starting update process"}, true},
      {"size102399", false, {downloaded, L"Info: Failed download. File Size : 102399 Bytes"}, true},
      {"size102400", false, {downloaded, L"Error: Update installer refused : signature check failed"}, false},
      {"unsigned", false, {downloaded, L"Error: Update installer refused : signature check failed"}, false},
      {"tampered", false, {downloaded, L"Error: Update installer refused : signature check failed"}, false},
      {"foreign", false, {downloaded, L"Error: Update installer refused : signer check failed"}, false},
      {"cut", false,
       {L"Error: File download : Server error (12030 Cause : OK)", L"Info: Failed download. File Size : 0 Bytes"},
       false},
      {"refused", false,
       {L"Error: File download : Server error (12029 Cause : )", L"Info: Failed download. File Size : 0 Bytes"},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server);
    TKLog caseLog(L"", 100, true);
    messages.clear();
    update.log = &caseLog;
    update.downloadUrl = InstallerUrl(c.server);
    update.proxy = ProxySettings{};
    // A leftover of an earlier download is not mistaken for this one.
    ASSERT_TRUE(platform::WriteWholeFile(dataFolder + L"update.exe", "left over"));
    DeleteFileW((dataFolder + L"update.exe.args").c_str());
    After(50, [&] { update.auto_btn.Click(); });
    CloseAllAfter(20000);
    EXPECT_EQ(update.Execute(), c.started);
    StopActions();
    std::vector<std::wstring> expected{selected, starting};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    expected.push_back(c.started ? L"Info: Auto update succeeded" : failed);
    EXPECT_EQ(Logged(caseLog), expected);
    EXPECT_EQ(messages, c.started ? std::vector<std::wstring>{} : std::vector<std::wstring>{L"Failed"});
    EXPECT_EQ(platform::WideFileExists(dataFolder + L"update.exe"), c.fileStays);

    // The stand-in installer records its command line beside itself.
    std::string args;
    for (int i = 0; i < (c.started ? 200 : 6); ++i) {
      args = ReadAll(dataFolder + L"update.exe.args");
      if (!args.empty()) break;
      Sleep(50);
    }
    if (!c.started) {
      EXPECT_TRUE(args.empty()) << "an installer was started";
      continue;
    }
    const std::wstring line(reinterpret_cast<const wchar_t*>(args.data()), args.size() / sizeof(wchar_t));
    const std::wstring switches =
        L"/FORCECLOSEAPPLICATIONS /VERYSILENT /NOICONS /LOG=\"" + dataFolder + L"update.log\"";
    ASSERT_GE(line.size(), switches.size()) << line;
    EXPECT_EQ(line.substr(line.size() - switches.size()), switches);
    EXPECT_NE(line.find(L"update.exe"), std::wstring::npos) << line;
  }
}

TEST_F(UpdateDlgTest, TheBarFollowsTheAnnouncedLengthOrOnlyTheBytesReceived) {
  if (!HaveServers()) GTEST_SKIP() << "needs the loopback servers";
  const struct {
    const char* server;
    int maximum;          // throughout the download once it has begun
    std::vector<int> positions;  // seen at least these, in this order
  } cases[] = {
      {"slow", 300000, {100000, 200000}},
      {"trickle", 100, {40, 80, 100}},  // no length: the bar's own range stays
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server);
    autoUpdate.log = &log;
    autoUpdate.downloadUrl = InstallerUrl(c.server);
    std::vector<int> maxima, positions;
    Every(20, [&] {
      if (autoUpdate.TmrTag() != 1) return;
      if (maxima.empty() || maxima.back() != autoUpdate.pb.Maximum()) maxima.push_back(autoUpdate.pb.Maximum());
      if (positions.empty() || positions.back() != autoUpdate.pb.Position())
        positions.push_back(autoUpdate.pb.Position());
    });
    CloseAllAfter(20000);
    EXPECT_FALSE(autoUpdate.Execute());  // neither is signed
    StopActions();
    EXPECT_EQ(maxima.back(), c.maximum);
    size_t at = 0;
    for (const int p : positions)
      if (at < c.positions.size() && p == c.positions[at]) ++at;
    EXPECT_EQ(at, c.positions.size()) << "positions seen: " << ::testing::PrintToString(positions);
  }
}

TEST_F(UpdateDlgTest, ASilentServerFailsTheDownloadWithinItsBoundWhileTheDialogStaysResponsive) {
  if (!HaveServers()) GTEST_SKIP() << "needs the loopback servers";
  const struct {
    const char* server;
    const wchar_t* error;
  } cases[] = {
      // Says nothing after the request; stops sending after the headers and a little of the body.
      {"stalled", L"Error: File download : Server error (12002 Cause : )"},
      {"stalled_body", L"Error: File download : Server error (12002 Cause : OK)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server);
    TKLog caseLog(L"", 100, true);
    messages.clear();
    autoUpdate.log = &caseLog;
    autoUpdate.downloadUrl = InstallerUrl(c.server);
    int ticks = 0;
    Every(100, [&] { ticks += autoUpdate.IsVisible() ? 1 : 0; });
    CloseAllAfter(20000);
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(autoUpdate.Execute());
    const ULONGLONG elapsed = GetTickCount64() - start;
    StopActions();
    EXPECT_EQ(Logged(caseLog), (std::vector<std::wstring>{L"Info: Starting update download", c.error,
                                                          L"Info: Failed download. File Size : 0 Bytes"}));
    EXPECT_EQ(messages, std::vector<std::wstring>{L"Failed"});
    EXPECT_GE(elapsed, kBoundMs);
    EXPECT_LT(elapsed, kBoundMs + 4000);
    EXPECT_GT(ticks, int(elapsed / 200)) << "the dialog's messages waited";
  }
}

TEST_F(UpdateDlgTest, ClosingTheDownloadDialogDropsTheDownload) {
  if (!HaveServers()) GTEST_SKIP() << "needs the loopback servers";
  autoUpdate.log = &log;
  autoUpdate.downloadUrl = InstallerUrl("trickle");
  After(800, [&] { PostMessageW(autoUpdate.Hwnd(), WM_CLOSE, 0, 0); });
  CloseAllAfter(20000);
  EXPECT_FALSE(autoUpdate.Execute());
  EXPECT_EQ(autoUpdate.TmrTag(), 0);
  // What the server still sends reaches nobody.
  const ULONGLONG until = GetTickCount64() + 3500;
  dispatcher.ServeUntil([&] { return GetTickCount64() > until; });
  EXPECT_EQ(Logged(log), std::vector<std::wstring>{L"Info: Starting update download"});
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(platform::WideFileExists(dataFolder + L"update.exe"));
}

}  // namespace

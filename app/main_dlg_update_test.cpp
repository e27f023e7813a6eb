// The main window's update commands under Wine, in-process, against the
// loopback servers of tests/servers/update_servers.py. The window reaches the
// vendor's host name through the user's proxy settings, as a user behind a
// proxy runs it: the test proxy forwards the check and the download to the
// servers the test routes them to. TLS is reported unusable, so the check and
// the download fall back to plain HTTP, which the proxy speaks.
#include "tests/support/update_servers.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "app/auto_update_dlg.h"
#include "app/main_dlg.h"
#include "app/program_languages.h"
#include "app/startup.h"
#include "app/update_dlg.h"
#include "app/vendor.h"
#include "gui/window_dispatcher.h"
#include "i18n/text_storage.h"
#include "model/review_list.h"
#include "platform/file_system.h"
#include "settings/settings_store.h"
#include "settings/settings_vocabulary.h"
#include "system/data_folder.h"
#include "system/log.h"
#include "tests/support/loopback_network.h"
#include "update/pylo_lite.h"
#include "update/update_network.h"

namespace {

using testsupport::InstallersFolder;
using testsupport::ReadAll;
using testsupport::ServerPort;
using testsupport::TrustRoot;

std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

// Thread timers acting inside modal loops.
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
void StopActions() {
  for (auto& [id, action] : actions) KillTimer(nullptr, id);
  actions.clear();
}

std::vector<std::wstring> Logged(const TKLog& log) {
  std::vector<std::wstring> lines;
  const std::vector<std::wstring> newestFirst = log.Lines();
  for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it)
    lines.push_back(std::regex_replace(it->substr(0, it->find(L'\t')) + L": " + it->substr(it->rfind(L'\t') + 1),
                                       std::wregex(L" in [0-9]+ms$"), L" in Nms"));
  return lines;
}

std::string VendorHost() {
  const std::wstring host = VendorServer();
  return std::string(host.begin(), host.end());
}

bool HaveServers() { return testsupport::HaveServers() && std::getenv("PURGELLO_TEST_INSTALLERS"); }

class MainDlgUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveServers()) GTEST_SKIP() << "needs the loopback servers";
    DeleteSettingsBranch(kApplicationTitle);
    SetSetting(kUseHttpProxySetting, L"1");
    SetSetting(kHttpProxyHostSetting, L"127.0.0.1");
    SetSetting(kHttpProxyPortSetting, std::to_wstring(ServerPort("proxy")));
    SetSetting(kHttpProxyUserNameSetting, L"ann");
    SetSetting(kHttpProxyPasswordSetting, L"s3cret");
    dlg = std::make_unique<TMainDlg>(list, Environment());
  }
  void TearDown() override {
    StopActions();
    dlg.reset();
    DeleteSettingsBranch(kApplicationTitle);
  }

  MainDlgEnvironment Environment() {
    MainDlgEnvironment environment = DefaultMainDlgEnvironment();
    environment.shellOpen = [this](const std::wstring& target) { opened.push_back(L"open " + target); };
    environment.shellOpenFor = [this](HWND owner, const std::wstring& target, const std::wstring& parameters) {
      opened.push_back(std::wstring(owner == dlg->Hwnd() ? L"window" : L"?") + L" open " + target + L" [" +
                       parameters + L"]");
    };
    environment.infoBox = [this](HWND, const std::wstring& text) { boxes.push_back(text); };
    environment.updateNetwork = [](Dispatcher& gui) { return std::make_unique<testsupport::LoopbackNetwork>(gui, false); };
    environment.isInstalled = [this] { return installed; };
    // The test's own signer stands in for the vendor's.
    const std::string pin = ReadAll(InstallersFolder() + L"pin.txt");
    environment.installerSigner = std::wstring(pin.begin(), pin.end());
    return environment;
  }

  // Asks the proxy (directly) to send the check and the download to these servers.
  void Route(const std::string& check, const std::string& files = "newer") {
    std::unique_ptr<platform::HttpClient> client = CreateSystemNetwork(helperDispatcher)->NewClient();
    bool done = false;
    ASSERT_EQ(client->Get(L"http://127.0.0.1:" + std::to_wstring(ServerPort("proxy")) + L"/route?check=" +
                              std::wstring(check.begin(), check.end()) + L"&files=" +
                              std::wstring(files.begin(), files.end()),
                          [&](const platform::HttpResponse&) { done = true; }),
              0u);
    Serve([&] { return done; });
  }
  std::string ProxySaw() {
    std::unique_ptr<platform::HttpClient> client = CreateSystemNetwork(helperDispatcher)->NewClient();
    std::string body;
    bool done = false;
    client->Get(L"http://127.0.0.1:" + std::to_wstring(ServerPort("proxy")) + L"/seen",
                [&](const platform::HttpResponse& r) {
                  body = r.body;
                  done = true;
                });
    Serve([&] { return done; });
    return body;
  }
  void Serve(const std::function<bool()>& done, ULONGLONG ms = 20000) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    helperDispatcher.ServeUntil([&] { return done() || GetTickCount64() > deadline; });
  }
  // Serves until the check has handed its result over (its menu item is back).
  void WaitForCheck() {
    Serve([&] { return dlg->MenuItemNamed(L"Checkforupdate1").Enabled(); });
    ASSERT_TRUE(dlg->MenuItemNamed(L"Checkforupdate1").Enabled()) << "no result within 20 s";
  }
  // The window has closed itself (its Quit command ran): shown before the
  // check, it is hidden now.
  void ShowWindowFirst() { ShowWindow(dlg->Hwnd(), SW_SHOWNOACTIVATE); }
  bool QuitAsked() {
    Serve([] { return false; }, 300);
    return !IsWindowVisible(dlg->Hwnd());
  }

  WindowDispatcher helperDispatcher;
  ReviewList list;
  TKLog log{L"", 200, true};
  std::unique_ptr<TMainDlg> dlg;
  std::vector<std::wstring> opened, boxes;
  bool installed = true;
};

const wchar_t kCheckStart[] = L"Info: Self update check...";
const wchar_t kInit[] = L"Info: Purgello Update self check : Initialization";
const wchar_t kNoSsl[] = L"Verbose: PyloLite : No SSL / Back to HTTP";
const wchar_t kUpToDate[] = L"Purgello is already up to date.";

TEST_F(MainDlgUpdateTest, TheMenuCheckReportsTheResultAndTheStartUpCheckIsSilent) {
  const struct {
    const char* server;
    bool silent;  // the start-up check rather than the menu
    std::vector<std::wstring> lines;  // after the reply's own lines
    bool box, dialog;
  } cases[] = {
      {"equal", false, {L"Info: Purgello Update self check : Server replied 3.8.6.116 in Nms", L"Info: Purgello is already up to date."}, true, false},
      {"equal", true, {L"Info: Purgello Update self check : Server replied 3.8.6.116 in Nms", L"Info: Purgello is already up to date."}, false, false},
      {"garbage", false, {L"Info: Purgello Update self check : Server replied 0.0.0.0 in Nms", L"Verbose: Purgello Update self check : Server error (0 Cause : OK)"}, true, false},
      {"garbage", true, {L"Info: Purgello Update self check : Server replied 0.0.0.0 in Nms", L"Verbose: Purgello Update self check : Server error (0 Cause : OK)"}, false, false},
      {"newer", true, {L"Info: Purgello Update self check : Server replied 3.8.7.0 in Nms", L"Info: New version of Purgello is detected"}, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.server) + (c.silent ? " silent" : " menu"));
    TKLog caseLog(L"", 100, true);
    boxes.clear();
    Route(c.server);
    bool dialogShown = false;
    Every(20, [&] {
      if (!dlg->UpdateDlg().IsVisible()) return;
      dialogShown = true;
      dlg->UpdateDlg().close_btn.Click();
    });
    // A client anew, as at the first activation; the menu case starts none there.
    dlg = std::make_unique<TMainDlg>(list, Environment());
    ShowWindowFirst();
    SetSetting(kAutoUpdateSetting, c.silent ? L"1" : L"0");
    dlg->StartUpdateClient(caseLog, OwnPath());
    dlg->StartupUpdateCheck();
    if (!c.silent) {
      EXPECT_TRUE(Logged(caseLog).empty()) << "AutoUpdate 0 still checked at start";
      dlg->MenuItemNamed(L"Checkforupdate1").Click();
    }
    WaitForCheck();
    StopActions();
    std::vector<std::wstring> expected{kCheckStart, kInit, kNoSsl};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(Logged(caseLog), expected);
    EXPECT_EQ(boxes, c.box ? std::vector<std::wstring>{kUpToDate} : std::vector<std::wstring>{});
    EXPECT_EQ(dialogShown, c.dialog);
    EXPECT_FALSE(QuitAsked()) << "closed by a dialog left alone";
  }
}

TEST_F(MainDlgUpdateTest, TwoClicksStartOneCheckThroughTheProxyWithTheUsersCredentials) {
  SetSetting(kAutoUpdateSetting, L"0");
  dlg->StartUpdateClient(log, OwnPath());
  dlg->StartupUpdateCheck();
  Route("equal");
  const std::string sawBefore = ProxySaw();
  dlg->MenuItemNamed(L"Checkforupdate1").Click();
  dlg->MenuItemNamed(L"Checkforupdate1").Click();
  dlg->Checkforupdate1Click();  // the shortcut while the item is disabled
  WaitForCheck();
  const std::vector<std::wstring> lines = Logged(log);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), std::wstring(kCheckStart)), 1);
  const std::string saw = std::regex_replace(ProxySaw().substr(sawBefore.size()), std::regex(":80/"), "/");
  EXPECT_EQ(saw, "GET http://" + VendorHost() +
                     "/pylo/check.php?uid=0&ProductName=Purgello&Company=Halvoris&VH=196616&VL=393332 HTTP/1.1"
                     " | Basic YW5uOnMzY3JldA==\n");
  EXPECT_EQ(boxes, std::vector<std::wstring>{kUpToDate});
}

TEST_F(MainDlgUpdateTest, WithoutUseHttpProxyTheCheckGoesDirect) {
  // Only the proxy knows the vendor's host; a direct request cannot resolve it.
  SetSetting(kUseHttpProxySetting, L"0");
  SetSetting(kAutoUpdateSetting, L"0");
  dlg->StartUpdateClient(log, OwnPath());
  dlg->StartupUpdateCheck();
  const std::string sawBefore = ProxySaw();
  dlg->Checkforupdate1Click();
  WaitForCheck();
  EXPECT_EQ(ProxySaw(), sawBefore);
  EXPECT_EQ(Logged(log).back(), L"Error: Purgello Update self check : Server error (12007)");
  EXPECT_EQ(boxes, std::vector<std::wstring>{kUpToDate});
}

TEST_F(MainDlgUpdateTest, TheUpdateDialogOffersTheVendorsPagesAndQuitsAfterManualUpdate) {
  SetSetting(kAutoUpdateSetting, L"0");
  dlg->StartUpdateClient(log, OwnPath());
  dlg->StartupUpdateCheck();
  Route("newer");
  bool autoEnabled = true;
  Every(20, [&] {
    if (!dlg->UpdateDlg().IsVisible()) return;
    autoEnabled = dlg->UpdateDlg().auto_btn.Enabled();
    dlg->UpdateDlg().changelog_lblClick();
    dlg->UpdateDlg().manual_btn.Click();
  });
  installed = false;  // a portable copy
  ShowWindowFirst();
  dlg->Checkforupdate1Click();
  WaitForCheck();
  EXPECT_FALSE(autoEnabled);
  const std::wstring server = VendorServer();
  EXPECT_EQ(opened, (std::vector<std::wstring>{
                        L"window open https://" + server + L"/bugs/changelog_page.php?project_id=12 []",
                        L"open https://" + server +
                            L"/pylo/view.php?&ProductName=Purgello&Company=Halvoris&prot=2",
                    }));
  EXPECT_EQ(Logged(log).back(), L"Info: Manual update selected by user");
  EXPECT_TRUE(QuitAsked());

  opened.clear();
  dlg->MenuItemNamed(L"Bugreport1").Click();
  dlg->MenuItemNamed(L"ChangeLog1").Click();
  EXPECT_EQ(opened, (std::vector<std::wstring>{
                        L"window open https://" + server + L"/bugs/view_all_bug_page.php?project_id=12 []",
                        L"window open https://" + server + L"/bugs/changelog_page.php?project_id=12 []",
                    }));
}

TEST_F(MainDlgUpdateTest, AutomaticUpdateDownloadsThroughTheProxyStartsTheInstallerAndQuits) {
  TrustRoot(InstallersFolder() + L"test_root.der");
  const std::wstring dataFolder = DataFolder(OwnPath(), kApplicationTitle);
  DeleteFileW((dataFolder + L"update.exe.args").c_str());
  SetSetting(kAutoUpdateSetting, L"0");
  dlg->StartUpdateClient(log, OwnPath());
  dlg->StartupUpdateCheck();
  Route("newer", "signed");
  Every(20, [&] {
    if (dlg->UpdateDlg().IsVisible() && !dlg->AutoUpdateDlg().IsVisible()) dlg->UpdateDlg().auto_btn.Click();
  });
  ShowWindowFirst();
  dlg->Checkforupdate1Click();
  WaitForCheck();
  StopActions();
  const std::vector<std::wstring> lines = Logged(log);
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(std::vector<std::wstring>(lines.end() - 6, lines.end()),
            (std::vector<std::wstring>{L"Info: Auto update selected by user", L"Info: Starting update download",
                                       L"Verbose: FileGrabber : No SSL / Back to HTTP", L"Info: File downloaded in Nms", L"Info: Starting update process",
                                       L"Info: Auto update succeeded"}));
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(QuitAsked());
  std::string args;
  for (int i = 0; i < 200 && args.empty(); ++i) {
    Sleep(50);
    args = ReadAll(dataFolder + L"update.exe.args");
  }
  const std::wstring line(reinterpret_cast<const wchar_t*>(args.data()), args.size() / sizeof(wchar_t));
  const std::wstring switches = L"/FORCECLOSEAPPLICATIONS /VERYSILENT /NOICONS /LOG=\"" + dataFolder + L"update.log\"";
  ASSERT_GE(line.size(), switches.size()) << line;
  EXPECT_EQ(line.substr(line.size() - switches.size()), switches);
  // Through the proxy, under the vendor's name.
  EXPECT_NE(std::regex_replace(ProxySaw(), std::regex(":80/"), "/").find("GET http://" + VendorHost() +
                            "/files/purgello_lite.exe HTTP/1.1 | Basic YW5uOnMzY3JldA==\n"),
            std::string::npos);
}

// The program closes (the window's close, or Windows ending the session)
// while the download dialog waits on a download: both dialogs end at once with
// Cancel, the download is dropped and nothing more is written to the log,
// which goes with the close.
TEST_F(MainDlgUpdateTest, TheCloseEndsTheUpdateDialogsAndTheirDownload) {
  SetSetting(kAutoUpdateSetting, L"0");
  dlg->StartUpdateClient(log, OwnPath());
  Route("newer", "stalled_body");
  size_t linesAtClose = 0;
  bool closed = false;
  Every(20, [&] {
    if (closed) return;
    if (dlg->UpdateDlg().IsVisible() && !dlg->AutoUpdateDlg().IsVisible()) dlg->UpdateDlg().auto_btn.Click();
    if (dlg->AutoUpdateDlg().TmrTag() == 1) {
      closed = true;
      linesAtClose = log.Lines().size();
      dlg->DropUpdateClient();
    }
  });
  ShowWindowFirst();
  dlg->Checkforupdate1Click();
  WaitForCheck();
  StopActions();
  ASSERT_TRUE(closed);
  EXPECT_FALSE(dlg->UpdateDlg().IsVisible());
  EXPECT_FALSE(dlg->AutoUpdateDlg().IsVisible());
  const std::vector<std::wstring> lines = Logged(log);
  EXPECT_NE(std::find(lines.begin(), lines.end(), L"Info: Starting update download"), lines.end());
  Serve([] { return false; }, 1500);
  EXPECT_EQ(log.Lines().size(), linesAtClose);
  EXPECT_TRUE(boxes.empty());
  EXPECT_FALSE(QuitAsked());
  EXPECT_EQ(dlg->UpdateClient(), nullptr);
}

}  // namespace

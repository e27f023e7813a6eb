// The real Purgello.exe's silent update check at start-up, against the
// loopback servers of tests/servers/update_servers.py, reached through the
// program's own proxy settings as a user behind a proxy runs it: the proxy
// tunnels the check's https request to the vendor's server, whose test
// certificate this prefix trusts.
#include "tests/support/update_servers.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "app/purgello_exe_fixture.h"

namespace {

using namespace exetest;
using testsupport::ServerPort;

class PurgelloExeUpdateTest : public PurgelloExeTest {
 protected:
  void SetUp() override {
    if (!testsupport::HaveServers()) GTEST_SKIP() << "needs the loopback servers";
    PurgelloExeTest::SetUp();
    testsupport::TrustRoot(testsupport::TlsFolder() + L"tls_root.der");
  }

  // A portable copy in debug mode (its log is on disk after every line)
  // whose requests go through the proxy at this loopback port.
  void WriteSettings(int proxyPort) {
    tree_.WriteFile(L"settings.ini", "[Settings]\r\nDebugMode=1\r\nRecycle_Bin=1\r\nUseHTTPProxy=1\r\n"
                                     "HTTPProxyHost=127.0.0.1\r\nHTTPProxyPort=" +
                                         std::to_string(proxyPort) + "\r\n");
  }
  // The vendor's server answers the check with this text, after this many seconds.
  static void AnswerCheckWith(const std::string& text, int afterSeconds = 0) {
    testsupport::LoopbackGet(ServerPort("proxy"), "/route?tunnel=https&check=" +
                                                      (afterSeconds ? "after:" + std::to_string(afterSeconds) + ":"
                                                                    : std::string("reply:")) +
                                                      text);
  }

  // The update lines of the log, the milliseconds as N.
  std::vector<std::wstring> UpdateLines() const {
    std::vector<std::wstring> lines = LogMessagesStartingWith(
        {L"Self update check", L"Purgello Update self check", L"Purgello is already", L"New version"});
    for (std::wstring& line : lines) line = std::regex_replace(line, std::wregex(L" in [0-9]+ms$"), L" in Nms");
    return lines;
  }
  // The program's dialogs and message boxes that show.
  static std::vector<std::wstring> ShownBoxes(const RunningProgram& program) {
    std::vector<std::wstring> captions;
    for (HWND window : program.TopWindows(L"#32770"))
      if (IsWindowVisible(window)) captions.push_back(WindowText(window));
    return captions;
  }
  static DWORD Close(RunningProgram& program) {
    PostMessageW(program.MainWindow(), WM_CLOSE, 0, 0);
    return program.WaitForExit(15000);
  }
};

const wchar_t kCheckStart[] = L"Self update check...";
const wchar_t kInit[] = L"Purgello Update self check : Initialization";

TEST_F(PurgelloExeUpdateTest, AClosedWindowEndsTheProgramPromptlyWhileTheCheckWaitsOnAStalledServer) {
  WriteSettings(ServerPort("stalled"));
  RunningProgram program;
  ASSERT_TRUE(Start(program, L""));
  ASSERT_TRUE(program.WaitForMainWindow());
  ASSERT_TRUE(WaitUntil([&] { return UpdateLines().size() >= 2; }, 20000)) << "no check started";
  Sleep(1000);  // the request is on its way and waiting
  DWORD_PTR answer = 0;
  EXPECT_NE(SendMessageTimeoutW(program.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer), 0)
      << "the window does not answer while the check waits";
  const DWORD closed = GetTickCount();
  EXPECT_EQ(Close(program), 0u) << "still running 15 s after its window closed";
  EXPECT_LT(GetTickCount() - closed, 15000u);
  EXPECT_EQ(UpdateLines(), (std::vector<std::wstring>{kCheckStart, kInit}));
}

// A reply that comes while the window closes is queued behind the close: the
// close has ended the check by then, so the reply is dropped (nothing logged
// to the gone log, no update dialog) and the program ends. The program's GUI
// thread is held still while the close and then the reply reach its queue, so
// they come in that order every time.
TEST_F(PurgelloExeUpdateTest, AReplyQueuedBehindTheCloseIsDroppedAndTheProgramEnds) {
  WriteSettings(ServerPort("proxy"));
  AnswerCheckWith("9.9.9.9", 3);
  RunningProgram program;
  ASSERT_TRUE(Start(program, L""));
  ASSERT_TRUE(program.WaitForMainWindow());
  ASSERT_TRUE(WaitUntil([&] { return UpdateLines().size() >= 2; }, 20000)) << "no check started";
  const HWND window = program.MainWindow();
  platform::Handle gui(OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(window, nullptr)));
  ASSERT_TRUE(gui.Valid());
  ASSERT_NE(SuspendThread(gui.Get()), DWORD(-1));
  PostMessageW(window, WM_CLOSE, 0, 0);
  Sleep(5000);  // the reply has come and its completion waits behind the close
  ASSERT_NE(ResumeThread(gui.Get()), DWORD(-1));
  EXPECT_EQ(program.WaitForExit(15000), 0u) << "crashed or still running after its close";
  EXPECT_EQ(UpdateLines(), (std::vector<std::wstring>{kCheckStart, kInit}));
}

TEST_F(PurgelloExeUpdateTest, TheSilentCheckShowsTheUpdateDialogForANewerVersionAndNoBoxOtherwise) {
  const struct {
    std::string reply;  // empty: the proxy refuses the connection
    std::vector<std::wstring> lines;  // after the first two
    bool dialog;
  } cases[] = {
      {"3.8.7.0", {L"Purgello Update self check : Server replied 3.8.7.0 in Nms", L"New version of Purgello is detected"},
       true},
      {PURGELLO_VERSION_TEXT,
       {L"Purgello Update self check : Server replied " PURGELLO_VERSION_TEXT " in Nms",
        L"Purgello is already up to date."},
       false},
      {"garbage",
       {L"Purgello Update self check : Server replied 0.0.0.0 in Nms",
        L"Purgello Update self check : Server error (0 Cause : OK)"},
       false},
      {"", {L"Purgello Update self check : Server error (12029)"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    Forget();
    WriteSettings(ServerPort(c.reply.empty() ? "refused" : "proxy"));
    if (!c.reply.empty()) AnswerCheckWith(c.reply);
    RunningProgram program;
    ASSERT_TRUE(Start(program, L""));
    ASSERT_TRUE(program.WaitForMainWindow());
    ASSERT_TRUE(WaitUntil([&] { return UpdateLines().size() >= 2 + c.lines.size(); }, 30000)) << "no result";
    std::vector<std::wstring> expected{kCheckStart, kInit};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(UpdateLines(), expected);
    if (c.dialog) {
      ASSERT_TRUE(WaitUntil([&] { return !ShownBoxes(program).empty(); }, 10000)) << "no update dialog";
      EXPECT_EQ(ShownBoxes(program), std::vector<std::wstring>{L"Update"});
      // Its Close button, which carries the countdown, leaves the program running.
      HWND closeButton = nullptr;
      for (HWND b = FindWindowExW(program.TopWindows(L"#32770", L"Update").front(), nullptr, L"Button", nullptr); b;
           b = FindWindowExW(GetParent(b), b, L"Button", nullptr))
        if (WindowText(b).rfind(L"Close", 0) == 0) closeButton = b;
      ASSERT_TRUE(RunningProgram::PressAndLeave(closeButton));
      EXPECT_TRUE(WaitUntil([&] { return ShownBoxes(program).empty(); }, 10000)) << "the dialog stays";
      EXPECT_FALSE(program.Ended());
    } else {
      Sleep(1500);  // a box would be up by now
      EXPECT_EQ(ShownBoxes(program), std::vector<std::wstring>{});
    }
    EXPECT_EQ(Close(program), 0u);
  }
}

}  // namespace
